#include "channels/ChannelWalk.h"
#include "common/TestSupport.h"
#include "intake/Normaliser.h"
#include "intake/RawCopier.h"
#include "base/Progress.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(InputMode)

namespace {

// The items "Создать" copies: the texts of the ticked items whose entries the
// walk meets.
QStringList created(QByteArray raw, InputMode mode, const QStringList &items, const QList<bool> &ticks)
{
    QBuffer device(&raw);
    device.open(QIODevice::ReadOnly);
    Progress progress;
    QStringList out;
    const Result<> result =
        channelWalk::forEachEntry(device, mode, int(items.size()), progress, [&](int i) {
            if (ticks.value(i))
                out << items[i];
        });
    return result ? out : QStringList{QStringLiteral("<failed>")};
}

int entriesSeen(const QByteArray &raw, InputMode mode)
{
    QByteArray copy = raw;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    Progress progress;
    int seen = 0;
    (void)channelWalk::forEachEntry(device, mode, std::numeric_limits<int>::max(), progress, [&](int) { ++seen; });
    return seen;
}

int entriesListed(const QByteArray &raw, InputMode mode)
{
    Normaliser normaliser;
    QByteArray normalised;
    normaliser.beginPass(mode);
    for (const QByteArray &line : raw.split('\n')) {
        if (line.isEmpty())
            continue;
        (void)normaliser.normaliseLine(line.chopped(1), normalised);
    }
    normaliser.endPass();
    int listed = 0;
    for (const QByteArray &line : normalised.split('\n')) {
        const QByteArray read = mode == InputMode::Utf8 ? line.left(line.indexOf('\0') < 0 ? line.size() : line.indexOf('\0')) : line;
        listed += read.contains("EXTINF");
    }
    return listed;
}

} // namespace

class TestChannelWalk : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mapping_data();
    void mapping();
    void indexNeverSlips();
    void stopsWhenAsked();
};

void TestChannelWalk::mapping_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<bool>>("ticks");
    QTest::addColumn<QStringList>("newList");

    const QByteArray six = "EXTM3U\r\nEXTINF:-1,A\r\nu\r\nEXTINF:-1,B\r\nEXTGRP:g\r\nu\r\nEXTINF:-1,C\r\nu\r\n"
                           "EXTINF:-1,D\r\n\r\nEXTINF:-1,E\r\nu\r\nEXTINF:-1,F\r\nu\r\n";
    const QStringList abcdef{"A", "B", "C", "D", "E", "F"};
    for (InputMode mode : {InputMode::Utf8, InputMode::Ansi}) {
        const char *m = mode == InputMode::Utf8 ? "utf8" : "ansi";
        QTest::addRow("%s-none-ticked", m) << six << mode << abcdef << QList<bool>(6, false) << QStringList();
        QTest::addRow("%s-all-ticked", m) << six << mode << abcdef << QList<bool>(6, true) << abcdef;
        QTest::addRow("%s-0-2-5", m) << six << mode << abcdef << QList<bool>{true, false, true, false, false, true}
                                     << QStringList{"A", "C", "F"};
        QTest::addRow("%s-markers-copied", m)
            << QByteArray("EXTINF:-1,S\r\nEXTINF:-1,S\r\nEXTINF:-1,S\r\n") << mode
            << QStringList{"S", QStringLiteral("S\x01"), QStringLiteral("S\x01\x01")} << QList<bool>{false, true, true}
            << QStringList{QStringLiteral("S\x01"), QStringLiteral("S\x01\x01")};
        QTest::addRow("%s-tag-in-url-counts", m)
            << QByteArray("EXTINF:-1,A\r\nhttp://x/EXTINF,y\r\nEXTINF:-1,B\r\n") << mode << QStringList{"A", "y", "B"}
            << QList<bool>{false, false, true} << QStringList{"B"};
        QTest::addRow("%s-lowercase-passes-by", m)
            << QByteArray("extinf:-1,x\r\nEXTINF:-1,A\r\n") << mode << QStringList{"A"} << QList<bool>{true}
            << QStringList{"A"};
        QTest::addRow("%s-more-entries-than-items", m) << six << mode << QStringList{"A", "B"}
                                                       << QList<bool>{true, true} << QStringList{"A", "B"};
        QTest::addRow("%s-tag-after-spaces", m) << QByteArray("   EXTINF:-1,A   \r\n") << mode << QStringList{"A"}
                                                << QList<bool>{true} << QStringList{"A"};
    }
    // Before the zero byte DecodeUTF8 stops; ANSI text goes on. Both walks
    // decide alike, so the lists stay aligned in both modes.
    const QByteArray nul("EXTINF:-1,A\r\nx\0EXTINF:-1,Z\r\nEXTINF:-1,B\r\n", 38);
    QTest::addRow("utf8-zero-byte-before-tag") << nul << InputMode::Utf8 << QStringList{"A", "B"}
                                               << QList<bool>{false, true} << QStringList{"B"};
    QTest::addRow("ansi-zero-byte-before-tag") << nul << InputMode::Ansi << QStringList{"A", "Z", "B"}
                                               << QList<bool>{false, false, true} << QStringList{"B"};
}

void TestChannelWalk::mapping()
{
    QFETCH(QByteArray, raw);
    QFETCH(InputMode, mode);
    QFETCH(QStringList, items);
    QFETCH(QList<bool>, ticks);
    QFETCH(QStringList, newList);
    QCOMPARE(created(raw, mode, items, ticks), newList);
}

void TestChannelWalk::indexNeverSlips()
{
    // Lines built from pieces that sit on the edges of the rules: zero bytes,
    // ill-formed UTF-8, the tag in odd places, spaces, brackets.
    static const char *const pieces[] = {"#EXTINF:-1,", "EXTINF", "extinf", "#EXTM3U", "EXTGRP:", "A", " ",
                                         "\xD0\x9F", "\xFF", "\xC0", "[", "]", "#", ",", "http://x/"};
    QRandomGenerator rng(42);
    for (int round = 0; round < 3000; ++round) {
        QByteArray input;
        const int lines = rng.bounded(1, 12);
        for (int l = 0; l < lines; ++l) {
            const int n = rng.bounded(0, 6);
            for (int p = 0; p < n; ++p) {
                if (rng.bounded(10) == 0)
                    input.append('\0');
                input.append(pieces[rng.bounded(int(std::size(pieces)))]);
            }
            input.append(rng.bounded(4) == 0 ? "\r\n" : "\n");
        }
        RawCopier copier;
        QByteArray raw;
        copier.feed(input, raw);
        copier.finish(raw);
        for (InputMode mode : {InputMode::Utf8, InputMode::Ansi}) {
            if (entriesSeen(raw, mode) != entriesListed(raw, mode))
                QFAIL(qPrintable(QString::fromLatin1(raw.toHex(' ')) + (mode == InputMode::Utf8 ? " utf8" : " ansi")));
        }
    }
}

void TestChannelWalk::stopsWhenAsked()
{
    QByteArray raw;
    for (int i = 0; i < 1000; ++i)
        raw += "EXTINF:-1,A\r\nu\r\n";
    QBuffer device(&raw);
    device.open(QIODevice::ReadOnly);
    int calls = 0;
    Progress progress([&] { ++calls; return false; }, 0);
    int seen = 0;
    const Result<> result = channelWalk::forEachEntry(device, InputMode::Utf8, 1000, progress, [&](int) { ++seen; });
    QVERIFY(result.isStopped());
    QCOMPARE(calls, 1);
    QCOMPARE(seen, 1);
}

QTEST_GUILESS_MAIN(TestChannelWalk)
#include "tst_channelwalk.moc"
