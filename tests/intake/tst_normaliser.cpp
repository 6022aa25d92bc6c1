#include "common/TestSupport.h"
#include "encoding/InputMode.h"
#include "intake/Normaliser.h"
#include "intake/Passes.h"
#include "base/Progress.h"
#include "common/InMemory.h"
#include "intake/ListedName.h"
#include "writer/PlaylistGenerator.h"

#include <QBuffer>
#include <QTest>

using testsupport::crlfLines;
using testsupport::hex;

Q_DECLARE_METATYPE(InputMode)

namespace {

QByteArray normalise(Normaliser &normaliser, InputMode mode, const QByteArrayList &rawLines,
                     QByteArrayList *names = nullptr)
{
    QByteArray out;
    normaliser.beginPass(mode);
    for (const QByteArray &line : rawLines) {
        const std::optional<QByteArrayView> name = normaliser.normaliseLine(line, out);
        if (name && names)
            *names << name->toByteArray();
    }
    normaliser.endPass();
    return out;
}

// The names a reader of the normalised copy lists.
QByteArrayList readBack(QByteArray copy, InputMode mode)
{
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    Progress progress;
    QByteArrayList names;
    (void)passes::readChannels(device, mode, progress, [&](const passes::ListedChannel &channel) { names << channel.name.toByteArray(); });
    return names;
}


QByteArray marker(int n)
{
    return QByteArray(n, '\x01');
}

} // namespace

class TestNormaliser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
    void eightEqualNames();
    void lastNameCarriesOverPasses_data();
    void lastNameCarriesOverPasses();
    void passWritesEveryLine_data();
    void passWritesEveryLine();
    void longLinesInPieces_data();
    void longLinesInPieces();
    void longNamesListedCut();
};

void TestNormaliser::lines_data()
{
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<QByteArrayList>("raw");
    QTest::addColumn<QByteArrayList>("normalised");
    QTest::addColumn<QString>("lastName");

    for (InputMode mode : {InputMode::Utf8, InputMode::Ansi}) {
        const char *m = mode == InputMode::Utf8 ? "utf8" : "ansi";
        QTest::addRow("%s-typical", m)
            << mode << QByteArrayList{"#EXTM3U url-tvg=x", "#EXTINF:-1,A", "#EXTGRP:News", "http://a", "", "#EXTVLCOPT:x=y"}
            << QByteArrayList{"#EXTM3U url-tvg=x", "#EXTINF:-1,A", "#EXTGRP:News", "http://a", "", "#EXTVLCOPT:x=y"}
            << QStringLiteral("A");
        QTest::addRow("%s-entry-as-written", m) << mode << QByteArrayList{"#EXTINF:-1 a=\"[x]\",Kanal #1 [HD]"}
                                               << QByteArrayList{"#EXTINF:-1 a=\"[x]\",Kanal #1 [HD]"}
                                               << QStringLiteral("Kanal #1 [HD]");
        QTest::addRow("%s-hash-in-quoted-value", m)
            << mode << QByteArrayList{"#EXTINF:-1 tvg-logo=\"http://x/#a\" catchup-source=\"y#z\",N"}
            << QByteArrayList{"#EXTINF:-1 tvg-logo=\"http://x/#a\" catchup-source=\"y#z\",N"} << QStringLiteral("N");
        QTest::addRow("%s-name-only-brackets", m) << mode << QByteArrayList{"#EXTINF:-1,[]", "#EXTINF:0,[ ]"}
                                                 << QByteArrayList{"#EXTINF:-1,[]", "#EXTINF:0,[ ]"}
                                                 << QStringLiteral("[ ]");
        QTest::addRow("%s-other-lines-as-read", m) << mode << QByteArrayList{"  http://x/[a]#b  ", "#EXTM3U", "EXTM3U"}
                                                  << QByteArrayList{"http://x/[a]#b", "#EXTM3U", "EXTM3U"} << QString();
        QTest::addRow("%s-hash-inside-tag-is-no-entry", m) << mode << QByteArrayList{"#EXT#INF:-1,A", "EXTI#NF,B"}
                                                          << QByteArrayList{"#EXT#INF:-1,A", "EXTI#NF,B"} << QString();
        QTest::addRow("%s-quoted-comma-before-name", m)
            << mode << QByteArrayList{"#EXTINF:-1 ua=\"(KHTML, like Gecko)\",N", "#EXTINF:-1 ua=\"x, y\",N"}
            << QByteArrayList{"#EXTINF:-1 ua=\"(KHTML, like Gecko)\",N", "#EXTINF:-1 ua=\"x, y\",N" + marker(1)}
            << QStringLiteral("N");
        QTest::addRow("%s-header-and-entry", m) << mode << QByteArrayList{"EXTM3U EXTINF,X", "#EXTM3U EXTINF,Y"}
                                                << QByteArrayList{"#EXTM3U EXTINF,X", "#EXTM3U EXTINF,Y"}
                                                << QStringLiteral("Y");
        QTest::addRow("%s-spaces-trimmed-first", m) << mode << QByteArrayList{"  EXTINF:-1,A  ", " \tx\t "}
                                                    << QByteArrayList{"#EXTINF:-1,A", "\tx\t"} << QStringLiteral("A");
        QTest::addRow("%s-spaces-after-comma-kept", m) << mode << QByteArrayList{"EXTINF:-1,  A"}
                                                       << QByteArrayList{"#EXTINF:-1,  A"} << QStringLiteral("  A");
        QTest::addRow("%s-lowercase-is-no-entry", m) << mode << QByteArrayList{"extinf:-1,A", "extm3u"}
                                                     << QByteArrayList{"extinf:-1,A", "extm3u"} << QString();
        QTest::addRow("%s-three-equal", m)
            << mode << QByteArrayList{"EXTINF:-1,S", "u1", "EXTINF:-1,S", "u2", "EXTINF:-1,S", "u3", "EXTINF:-1,T", "EXTINF:-1,S"}
            << QByteArrayList{"#EXTINF:-1,S", "u1", "#EXTINF:-1,S" + marker(1), "u2", "#EXTINF:-1,S" + marker(2), "u3",
                              "#EXTINF:-1,T", "#EXTINF:-1,S"}
            << QStringLiteral("S");
        QTest::addRow("%s-equal-names-other-attributes", m)
            << mode << QByteArrayList{"EXTINF:-1 a=1,S", "EXTINF:0 b=2,S"}
            << QByteArrayList{"#EXTINF:-1 a=1,S", "#EXTINF:0 b=2,S" + marker(1)} << QStringLiteral("S");
        QTest::addRow("%s-no-comma-whole-line-is-name", m)
            << mode << QByteArrayList{"EXTINF:-1 x", "EXTINF:-1 x"}
            << QByteArrayList{"#EXTINF:-1 x", "#EXTINF:-1 x" + marker(1)} << QStringLiteral("#EXTINF:-1 x");
        // An empty name repeats the empty last name a new window starts with.
        QTest::addRow("%s-ends-with-comma", m) << mode << QByteArrayList{"EXTINF:-1,", "EXTINF:-1,"}
                                               << QByteArrayList{"#EXTINF:-1," + marker(2), "#EXTINF:-1," + marker(3)}
                                               << QString();
        QTest::addRow("%s-first-comma", m) << mode << QByteArrayList{"EXTINF:-1,a,b"} << QByteArrayList{"#EXTINF:-1,a,b"}
                                           << QStringLiteral("a,b");
        QTest::addRow("%s-bom-kept", m) << mode << QByteArrayList{hex("ef bb bf") + "#EXTM3U"}
                                        << QByteArrayList{hex("ef bb bf") + "#EXTM3U"} << QString();
        // Only the raw copy knows where the file starts; a mark on a line of
        // the copy is text like any other.
        QTest::addRow("%s-bom-inside-the-copy-is-text", m) << mode << QByteArrayList{hex("ef bb bf") + "#EXTINF:-1,A"}
                                                          << QByteArrayList{"#" + hex("ef bb bf") + "#EXTINF:-1,A"}
                                                          << QStringLiteral("A");
        QTest::addRow("%s-url-with-entry-tag", m) << mode << QByteArrayList{"http://x/EXTINF,y"}
                                                  << QByteArrayList{"#http://x/EXTINF,y"} << QStringLiteral("y");
    }

    // Спорт in UTF-8 and in Windows-1251
    const QByteArray sportUtf8 = hex("d0 a1 d0 bf d0 be d1 80 d1 82");
    const QByteArray sportAnsi = hex("d1 ef ee f0 f2");
    QTest::addRow("utf8-decoded-name") << InputMode::Utf8 << QByteArrayList{"EXTINF:-1," + sportUtf8}
                                       << QByteArrayList{"#EXTINF:-1," + sportUtf8} << QStringLiteral("Спорт");
    QTest::addRow("ansi-utf8-bytes-as-characters") << InputMode::Ansi << QByteArrayList{"EXTINF:-1," + sportUtf8}
                                                   << QByteArrayList{"#EXTINF:-1," + sportUtf8}
                                                   << QStringLiteral("РЎРїРѕСЂС‚");
    QTest::addRow("ansi-windows-1251") << InputMode::Ansi << QByteArrayList{"EXTINF:-1," + sportAnsi}
                                       << QByteArrayList{"#EXTINF:-1," + sportAnsi} << QStringLiteral("Спорт");
    QTest::addRow("utf8-windows-1251-bytes-replaced")
        << InputMode::Utf8 << QByteArrayList{"EXTINF:-1," + sportAnsi}
        << QByteArrayList{"#EXTINF:-1," + QByteArray("\xEF\xBF\xBD").repeated(5)} << QString(5, QChar(0xFFFD));
    QTest::addRow("utf8-cut-at-zero-byte") << InputMode::Utf8 << QByteArrayList{QByteArray("EXTINF:-1,A\0B", 13), QByteArray("x\0EXTINF:-1,C", 13)}
                                           << QByteArrayList{"#EXTINF:-1,A", "x"} << QStringLiteral("A");
    QTest::addRow("ansi-zero-byte-kept") << InputMode::Ansi << QByteArrayList{QByteArray("x\0EXTINF:-1,C ", 14)}
                                         << QByteArrayList{QByteArray("#x\0EXTINF:-1,C", 14)} << QStringLiteral("C");
    QTest::addRow("utf8-trailing-ill-formed-then-spaces")
        << InputMode::Utf8 << QByteArrayList{hex("45 58 54 49 4e 46 2c d0 20 20")}
        << QByteArrayList{hex("23 45 58 54 49 4e 46 2c ef bf bd")} << QString(QChar(0xFFFD));
}

void TestNormaliser::lines()
{
    QFETCH(InputMode, mode);
    QFETCH(QByteArrayList, raw);
    QFETCH(QByteArrayList, normalised);
    QFETCH(QString, lastName);
    Normaliser normaliser;
    QByteArrayList names;
    const QByteArray out = normalise(normaliser, mode, raw, &names);
    QCOMPARE(out, crlfLines(normalised));
    QCOMPARE(normaliser.lastChannelName(), lastName);
    // What the pass lists as it writes is what reading the copy back lists.
    QCOMPARE(names, readBack(out, mode));
}

void TestNormaliser::eightEqualNames()
{
    QByteArrayList raw;
    for (int i = 0; i < 8; ++i)
        raw << "EXTINF:-1,Same" << "http://u";
    Normaliser normaliser;
    const QByteArrayList out = normalise(normaliser, InputMode::Utf8, raw).split('\n');
    const int expected[] = {0, 1, 2, 3, 4, 5, 6, 6};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(out[2 * i], "#EXTINF:-1,Same" + marker(expected[i]) + "\r");
}

void TestNormaliser::lastNameCarriesOverPasses_data()
{
    QTest::addColumn<InputMode>("firstMode");
    QTest::addColumn<QByteArrayList>("first");
    QTest::addColumn<InputMode>("secondMode");
    QTest::addColumn<QByteArrayList>("second");
    QTest::addColumn<QByteArray>("secondFirstLine");

    const QByteArray sportUtf8 = hex("d0 a1 d0 bf d0 be d1 80 d1 82");
    const QByteArray sportAnsi = hex("d1 ef ee f0 f2");
    // dupCount starts at 0 in every pass, so a repeat of the previous pass's
    // last name is the second repeat already: two markers.
    QTest::addRow("same-mode") << InputMode::Utf8 << QByteArrayList{"EXTINF:-1,B", "EXTINF:-1,A"} << InputMode::Utf8
                               << QByteArrayList{"EXTINF:-1,A"} << "#EXTINF:-1,A" + marker(2);
    QTest::addRow("other-first-name") << InputMode::Utf8 << QByteArrayList{"EXTINF:-1,A"} << InputMode::Utf8
                                      << QByteArrayList{"EXTINF:-1,B"} << QByteArray("#EXTINF:-1,B");
    QTest::addRow("texts-compared-across-modes") << InputMode::Utf8 << QByteArrayList{"EXTINF:-1," + sportUtf8}
                                                 << InputMode::Ansi << QByteArrayList{"EXTINF:-1," + sportAnsi}
                                                 << "#EXTINF:-1," + sportAnsi + marker(2);
    QTest::addRow("same-bytes-other-text") << InputMode::Utf8 << QByteArrayList{"EXTINF:-1," + sportUtf8}
                                           << InputMode::Ansi << QByteArrayList{"EXTINF:-1," + sportUtf8}
                                           << "#EXTINF:-1," + sportUtf8;
    QTest::addRow("name-without-ansi-form") << InputMode::Utf8 << QByteArrayList{"EXTINF:-1," + hex("e4 b8 ad")}
                                            << InputMode::Ansi << QByteArrayList{"EXTINF:-1,?"}
                                            << QByteArray("#EXTINF:-1,?");
    QTest::addRow("no-entry-in-between-keeps-name") << InputMode::Utf8 << QByteArrayList{"EXTINF:-1,A"} << InputMode::Utf8
                                                    << QByteArrayList{"http://x", "EXTINF:-1,A"}
                                                    << QByteArray("http://x");
}

void TestNormaliser::lastNameCarriesOverPasses()
{
    QFETCH(InputMode, firstMode);
    QFETCH(QByteArrayList, first);
    QFETCH(InputMode, secondMode);
    QFETCH(QByteArrayList, second);
    QFETCH(QByteArray, secondFirstLine);
    Normaliser normaliser;
    (void)normalise(normaliser, firstMode, first);
    const QByteArray out = normalise(normaliser, secondMode, second);
    QCOMPARE(out.left(out.indexOf("\r\n")), secondFirstLine);
}

void TestNormaliser::passWritesEveryLine_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("longLine"); // its length, 0 for none
    QTest::addRow("less than a block") << 1000 << 0;
    QTest::addRow("blocks and a rest") << 120000 << 0;
    QTest::addRow("a line longer than a block") << 60000 << (5 << 20);
}

// The pass writes its output in whole blocks: the copy must be what
// normalising line by line gives, wherever the blocks end.
void TestNormaliser::passWritesEveryLine()
{
    QFETCH(int, lines);
    QFETCH(int, longLine);
    QByteArrayList raw;
    for (int i = 0; i < lines; ++i) {
        if (i % 2 == 0)
            raw << "#EXTINF:-1 group-title=\"G\"," + QByteArray::number(i % 700) + " Канал";
        else
            raw << (i == lines / 2 && longLine ? QByteArray(longLine, 'u') : "http://example.org/" + QByteArray::number(i));
    }
    QByteArray rawCopy = crlfLines(raw);
    Normaliser lineByLine;
    const QByteArray expected = normalise(lineByLine, InputMode::Utf8, raw);

    QBuffer in(&rawCopy);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QByteArray written;
    QBuffer out(&written);
    QVERIFY(out.open(QIODevice::WriteOnly));
    Normaliser normaliser;
    Progress progress;
    QVERIFY(passes::normalise(in, out, normaliser, InputMode::Utf8, progress, [](const passes::ListedChannel &) {}));
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
}

namespace {

struct Listing
{
    QByteArray copy;
    QByteArrayList names;
};

Listing normalisedIn(const QByteArray &raw, InputMode mode, qsizetype longLine)
{
    Listing l;
    Normaliser normaliser;
    l.copy = inMemory::throughPass(raw, [&](QIODevice &in, QIODevice &out, Progress &progress) {
        return passes::normalise(in, out, normaliser, mode, progress,
                                 [&](const passes::ListedChannel &channel) { l.names << channel.name.toByteArray(); }, longLine);
    });
    return l;
}

QByteArrayList namesIn(QByteArray copy, InputMode mode, qsizetype longLine)
{
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    Progress progress;
    QByteArrayList names;
    if (!passes::readChannels(device, mode, progress, [&](const passes::ListedChannel &channel) { names << channel.name.toByteArray(); },
                                  passes::Groups::Read, longLine))
        qFatal("reading names failed on a buffer");
    return names;
}

} // namespace

void TestNormaliser::longLinesInPieces_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 4; ++seed)
        QTest::addRow("seed-%u", seed) << seed;
}

// A line too long to be held is read in pieces, and twice: the copy and the
// names must be what reading it whole gives, wherever the pieces end.
void TestNormaliser::longLinesInPieces()
{
    QFETCH(quint32, seed);
    PlaylistGenerator generator(seed);
    for (int i = 0; i < 150; ++i) {
        const QByteArray raw = inMemory::throughPass(generator.playlist(12), passes::copyRaw);
        for (const InputMode mode : {InputMode::Utf8, InputMode::Ansi}) {
            const Listing whole = normalisedIn(raw, mode, LineReader::defaultLongLine);
            QCOMPARE(namesIn(whole.copy, mode, LineReader::defaultLongLine), whole.names);
            for (const qsizetype longLine : {1, 2, 3, 5, 11}) {
                const Listing pieces = normalisedIn(raw, mode, longLine);
                QVERIFY2(pieces.copy == whole.copy, qPrintable(QStringLiteral("case %1, pieces of %2: %3")
                                                                  .arg(i).arg(longLine).arg(QString::fromLatin1(raw.toHex(' ')))));
                QCOMPARE(pieces.names, whole.names);
                QCOMPARE(namesIn(whole.copy, mode, longLine), whole.names);
            }
        }
    }
}

// A name of megabytes is cut in the list (at a character boundary, its markers
// kept); the copy keeps all of it.
void TestNormaliser::longNamesListedCut()
{
    const QByteArray name = QStringLiteral("Ж").repeated(int(ListedName::maxBytes)).toUtf8(); // twice the bytes
    const QByteArray line = "#EXTINF:-1,x" + name;
    const QByteArray raw = crlfLines({line, "u", line, "u"});
    const QByteArray cut = ("x" + name).first(ListedName::maxBytes - 1);
    for (const qsizetype longLine : {LineReader::defaultLongLine, qsizetype(1) << 20}) {
        const Listing l = normalisedIn(raw, InputMode::Utf8, longLine);
        QCOMPARE(l.copy, crlfLines({line, "u", line + marker(1), "u"}));
        QCOMPARE(l.names.size(), 2);
        QCOMPARE(l.names[0].size(), cut.size());
        QVERIFY(l.names[0] == cut);
        QVERIFY(l.names[1] == cut + marker(1));
        QCOMPARE(namesIn(l.copy, InputMode::Utf8, longLine), l.names);
    }
}

QTEST_GUILESS_MAIN(TestNormaliser)
#include "tst_normaliser.moc"
