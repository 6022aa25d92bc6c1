// Throughput of the text conversions on a playlist, line by line, as the
// passes use them.
//
//   bench_conversions PLAYLIST

#include "encoding/Ansi.h"
#include "encoding/EncodingGuess.h"
#include "encoding/Utf8.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double medianMegabytesPerSecond(qsizetype bytes, const std::function<void()> &work)
{
    QList<double> rates;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        rates << bytes / 1e6 / (timer.nsecsElapsed() / 1e9);
    }
    std::sort(rates.begin(), rates.end());
    return rates.at(2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_conversions PLAYLIST\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = file.readAll();
    const QList<QByteArray> lines = bytes.split('\n');
    QList<QString> texts;
    for (const QByteArray &line : lines)
        texts << QString::fromUtf8(line);

    qsizetype sink = 0;
    const auto report = [&](const char *what, double rate) { std::printf("%-28s %8.0f MB/s\n", what, rate); };
    report("encoding guess (load)", medianMegabytesPerSecond(bytes.size(), [&] {
               // In the blocks the load copies.
               EncodingGuess guess;
               for (qsizetype at = 0; at < bytes.size(); at += 1 << 20)
                   guess.feed(QByteArrayView(bytes).sliced(at, std::min<qsizetype>(1 << 20, bytes.size() - at)));
               guess.finish();
               sink += guess.validSequences();
           }));
    report("UTF-8 to text (lists)", medianMegabytesPerSecond(bytes.size(), [&] {
               for (const QByteArray &line : lines)
                   sink += utf8::toUtf16(utf8::beforeNul(line)).size();
           }));
    report("text to UTF-8", medianMegabytesPerSecond(bytes.size(), [&] {
               for (const QString &text : texts)
                   sink += utf8::fromUtf16(text).size();
           }));
    report("sanitise UTF-8 (normaliser)", medianMegabytesPerSecond(bytes.size(), [&] {
               QByteArray out;
               for (const QByteArray &line : lines) {
                   out.truncate(0);
                   utf8::appendSanitized(line, out);
                   sink += out.size();
               }
           }));
    report("Windows-1251 to text", medianMegabytesPerSecond(bytes.size(), [&] {
               for (const QByteArray &line : lines)
                   sink += ansi::toUtf16(line).size();
           }));
    report("text to Windows-1251", medianMegabytesPerSecond(bytes.size(), [&] {
               for (const QString &text : texts)
                   sink += ansi::fromUtf16(text).size();
           }));
    report("ANSI text to UTF-8 (writer)", medianMegabytesPerSecond(bytes.size(), [&] {
               QByteArray out;
               for (const QByteArray &line : lines) {
                   out.truncate(0);
                   ansi::appendAsUtf8(line, out);
                   sink += out.size();
               }
           }));
    return sink > 0 ? 0 : 1;
}
