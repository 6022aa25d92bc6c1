// Times savePlaylist on generated playlists: every channel of the file, in
// file order, is in the new list. Each case runs in a child process so that its
// peak memory is its own; "writer" is that peak less the memory before the
// save and the mapped copy.
//
//   bench_writer [FOLDER]              FOLDER: where the bench playlists are, or are made
//   bench_writer --case FILE utf8|ansi one case

#include "base/Progress.h"
#include "intake/WorkingFiles.h"
#include "intake/Normaliser.h"
#include "intake/RawCopier.h"
#include "writer/PlaylistSave.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <numeric>
#include <cstdio>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int runs = 5;

// The normalised copy the loader makes of the playlist in this mode; counts
// its channels.
QByteArray normalisedCopy(const QByteArray &playlist, InputMode mode, qint32 &channels)
{
    RawCopier copier;
    QByteArray raw;
    copier.feed(playlist, raw);
    copier.finish(raw);
    Normaliser normaliser;
    QByteArray out;
    out.reserve(raw.size() + raw.size() / 8);
    normaliser.beginPass(mode);
    for (qsizetype start = 0, lf; (lf = raw.indexOf('\n', start)) >= 0; start = lf + 1)
        channels += normaliser.normaliseLine(QByteArrayView(raw).sliced(start, lf - 1 - start), out) ? 1 : 0; // without CR LF
    normaliser.endPass();
    return out;
}

qint64 kilobytes(const QByteArray &statusValue)
{
    return statusValue.split(' ').value(0).toLongLong();
}

QByteArray statusValue(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).simplified();
    }
    return "?";
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int runCase(const QString &playlistPath, InputMode mode)
{
    QTemporaryDir work;
    WorkingFiles files(work.path());
    const QString copyPath = files.path(WorkingFiles::Kind::Normalised);
    qint32 channels = 0;
    qint64 copySize = 0;
    {
        QFile in(playlistPath);
        if (!in.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray copy = normalisedCopy(in.readAll(), mode, channels);
        QFile out(copyPath);
        if (!out.open(QIODevice::WriteOnly) || out.write(copy) != copy.size())
            return 1;
        copySize = copy.size();
    }
    std::vector<qint32> items(size_t(channels), 0);
    std::iota(items.begin(), items.end(), 0);
#ifdef __GLIBC__
    malloc_trim(0); // what the set-up freed must not be counted as the writer's
#endif
    const QByteArray rssBefore = statusValue("VmRSS:");
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        clearRefs.write("5"); // restarts the peak count

    const QString folder = work.filePath(QStringLiteral("program"));
    QDir().mkpath(folder);
    std::vector<double> fresh, rotating;
    qint64 outputSize = 0;
    for (int i = 0; i < 2 * runs; ++i) {
        const bool rotate = i >= runs;
        if (!rotate) {
            QFile::remove(playlistOutputPath(folder, QStringLiteral("m3u")));
            QFile::remove(playlistBackupPath(folder, QStringLiteral("m3u")));
        }
        Progress progress;
        QElapsedTimer timer;
        timer.start();
        const Result<> saved = savePlaylist(folder, QStringLiteral("m3u"), files, items, mode, progress);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (!saved) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(saved.failure().message()));
            return 1;
        }
        (rotate ? rotating : fresh).push_back(seconds);
        outputSize = QFileInfo(playlistOutputPath(folder, QStringLiteral("m3u"))).size();
    }
    const qint64 peak = kilobytes(statusValue("VmHWM:"));
    const qint64 writer = peak - kilobytes(rssBefore) - copySize / 1024;
    std::printf("%-24s %-5s items %7lld  out %6.1f MB  save %6.1f ms  with backup %6.1f ms  "
                "RSS before %7lld kB, peak %7lld kB, writer %6.1f MB\n",
                qPrintable(QFileInfo(playlistPath).fileName()), mode == InputMode::Utf8 ? "UTF-8" : "ANSI",
                qlonglong(items.size()), double(outputSize) / 1e6, 1e3 * median(fresh), 1e3 * median(rotating),
                kilobytes(rssBefore), peak, double(writer) / 1024);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--case"))
        return runCase(args[2], args[3] == QLatin1String("ansi") ? InputMode::Ansi : InputMode::Utf8);

    QTemporaryDir made;
    const QString folder = args.size() > 1 ? args[1] : made.path();
    for (const auto &[probe, entries] : {std::pair{"/bench-100000.m3u", "100000"}, {"/bench-1000000.m3u", "1000000"}}) {
        if (QFileInfo::exists(folder + QLatin1String(probe)))
            continue;
        const int rc = QProcess::execute(QStringLiteral("python3"), {QStringLiteral(KELVARO_BENCH_SCRIPT), folder,
                                                                    QStringLiteral("--entries"), QLatin1String(entries)});
        if (rc != 0)
            return 1;
    }
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("bench-10000.m3u"), QStringLiteral("utf8")},
        {QStringLiteral("bench-100000.m3u"), QStringLiteral("utf8")},
        {QStringLiteral("bench-10000-dups.m3u"), QStringLiteral("utf8")},
        {QStringLiteral("bench-100000-dups.m3u"), QStringLiteral("utf8")},
        {QStringLiteral("bench-10000.cp1251.m3u"), QStringLiteral("ansi")},
        {QStringLiteral("bench-100000.cp1251.m3u"), QStringLiteral("ansi")},
        {QStringLiteral("bench-1000000.m3u"), QStringLiteral("utf8")},
    };
    for (const auto &[file, mode] : cases) {
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), {QStringLiteral("--case"), folder + u'/' + file, mode});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            std::printf("%s: failed\n", qPrintable(file));
    }
    return 0;
}
