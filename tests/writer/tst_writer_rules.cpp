#include "reference/ReferenceWriter.h"
#include "WriterTestSupport.h"

#include "intake/TimeSlice.h"
#include "common/TestSupport.h"
#include "encoding/Ansi.h"
#include "writer/PlaylistWriter.h"

#include <QBuffer>
#include <QTest>

using testsupport::hex;
using writertest::crlfLines;
using writertest::windows1251;
using writertest::itemBytes;
using writertest::views;

Q_DECLARE_METATYPE(InputMode)

namespace {

const QString header = QStringLiteral("#EXTM3U");
const QString entryA = QStringLiteral("#EXTINF:-1,A");
const QString entryB = QStringLiteral("#EXTINF:-1,B");
const QString entryC = QStringLiteral("#EXTINF:-1,C");

QString withMarkers(const QString &text, int count)
{
    return text + QString(count, QChar(1));
}

} // namespace

class TestWriterRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void output_data();
    void output();
    void patternMatchesReference_data();
    void patternMatchesReference();
    void stopsWhenTheSliceSaysSo_data();
    void stopsWhenTheSliceSaysSo();
    void writesAgainWithTheSameIndex();
};

void TestWriterRules::output_data()
{
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<QByteArray>("copy");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QByteArray>("expected");
    const InputMode utf8 = InputMode::Utf8;
    const InputMode ansiMode = InputMode::Ansi;

    const QStringList example = {
        QStringLiteral("#EXTM3U tvg-shift=3"),
        QStringLiteral("#EXTINF:-1 group-title=Новости,Первый"),
        QStringLiteral("EXTGRP:Новости"),
        QStringLiteral("U1"),
        QStringLiteral("#EXTINF:-1 group-title=Кино,Кино HD"),
        QStringLiteral("U2"),
        QStringLiteral("#EXTINF:-1,Первый"),
        QStringLiteral("U3"),
    };
    const QStringList exampleItems = {QStringLiteral("Кино HD"), QStringLiteral("Первый")};
    const QByteArray exampleOutput = crlfLines({header, QStringLiteral("#EXTINF:-1,Кино HD"), "U2",
                                                QStringLiteral("#EXTINF:-1,Первый"), "U1",
                                                QStringLiteral("#EXTINF:-1,Первый"), "U3"});
    QTest::addRow("worked-example") << utf8 << crlfLines(example) << exampleItems << exampleOutput;
    QTest::addRow("worked-example-windows-1251")
        << ansiMode << windows1251(example) << exampleItems << exampleOutput;

    // The usual shapes of an entry that matches.
    QTest::addRow("shape-url") << utf8 << crlfLines({header, entryA, "UA"}) << QStringList{"A"}
                               << crlfLines({header, entryA, "UA"});
    QTest::addRow("shape-group-line-url")
        << utf8 << crlfLines({header, "#EXTINF:-1 group-title=G,A", "EXTGRP:G", "UA"}) << QStringList{"A"}
        << crlfLines({header, entryA, "UA"});
    QTest::addRow("shape-option-line-loses-url")
        << utf8 << crlfLines({header, entryA, "EXTVLCOPT:http-referrer=x", "UA"}) << QStringList{"A"}
        << crlfLines({header, entryA, "EXTVLCOPT:http-referrer=x"});
    QTest::addRow("shape-empty-line-loses-url") << utf8 << crlfLines({header, entryA, "", "UA"})
                                                << QStringList{"A"} << crlfLines({header, entryA, ""});
    QTest::addRow("shape-entry-stretches-run")
        << utf8 << crlfLines({header, entryA, "#EXTINF:-1 group-title=G,B", "UB"}) << QStringList{"A"}
        << crlfLines({header, entryA, entryB, "UB"});
    QTest::addRow("shape-group-line-then-entry")
        << utf8 << crlfLines({header, entryA, "EXTGRP:G", "#EXTINF:-1 group-title=G,B", "UB"})
        << QStringList{"A"} << crlfLines({header, entryA, entryB});

    // The edge cases of the rules.
    const QByteArray abc = crlfLines({header, entryA, "UA", entryB, "UB", entryC, "UC"});
    QTest::addRow("empty-list") << utf8 << abc << QStringList{} << QByteArray();
    QTest::addRow("order-c-a-b") << utf8 << abc << QStringList{"C", "A", "B"}
                                 << crlfLines({header, entryC, "UC", entryA, "UA", entryB, "UB"});
    QTest::addRow("item-twice") << utf8 << abc << QStringList{"B", "B"}
                                << crlfLines({header, entryB, "UB", entryB, "UB"});
    QTest::addRow("same-name-at-two-places")
        << utf8 << crlfLines({header, entryA, "U1", entryB, "UB", entryA, "U2"}) << QStringList{"A", "A"}
        << crlfLines({header, entryA, "U1", entryA, "U2", entryA, "U1", entryA, "U2"});

    const QString sport = QStringLiteral("#EXTINF:-1,Спорт");
    const QByteArray sports = crlfLines({header, sport, "U1", withMarkers(sport, 1), "U2", withMarkers(sport, 2), "U3"});
    QTest::addRow("marker-one-writes-second-entry")
        << utf8 << sports << QStringList{withMarkers(QStringLiteral("Спорт"), 1)} << crlfLines({header, sport, "U2"});
    QTest::addRow("no-marker-writes-first-entry")
        << utf8 << sports << QStringList{QStringLiteral("Спорт")} << crlfLines({header, sport, "U1"});
    QTest::addRow("ansi-marker-removed")
        << ansiMode << windows1251({header, sport, "U1", withMarkers(sport, 1), "U2"})
        << QStringList{withMarkers(QStringLiteral("Спорт"), 1)} << crlfLines({header, sport, "U2"});

    const QString ntv = QStringLiteral("#EXTINF:-1,НТВ");
    const QString tv = QStringLiteral("#EXTINF:-1,ТВ");
    QTest::addRow("item-tv-also-writes-ntv") << utf8 << crlfLines({header, ntv, "U1", tv, "U2"})
                                             << QStringList{QStringLiteral("ТВ")}
                                             << crlfLines({header, ntv, "U1", tv, "U2"});

    const QStringList channels = {header, QStringLiteral("#EXTINF:-1,Канал 1"), "U1",
                                  QStringLiteral("#EXTINF:-1,Канал 2"), "U2",
                                  QStringLiteral("#EXTINF:-1,Канал 12"), "U3",
                                  QStringLiteral("#EXTINF:-1,Канал"), "U4",
                                  QStringLiteral("#EXTINF:-1,Канал 😀"), "U5"};
    QTest::addRow("question-mark-one-character")
        << utf8 << crlfLines(channels) << QStringList{QStringLiteral("Канал ?")}
        << crlfLines({header, channels[1], "U1", channels[3], "U2", channels[9], "U5"});
    QTest::addRow("star-any-run")
        << utf8 << crlfLines(channels) << QStringList{QStringLiteral("Канал*2")}
        << crlfLines({header, channels[3], "U2", channels[5], "U3"});
    QTest::addRow("star-alone-matches-every-entry")
        << utf8 << abc << QStringList{"*"} << crlfLines({header, entryA, "UA", entryB, "UB", entryC, "UC"});
    QTest::addRow("empty-item-matches-every-entry")
        << utf8 << abc << QStringList{""} << crlfLines({header, entryA, "UA", entryB, "UB", entryC, "UC"});
    QTest::addRow("ansi-question-mark-one-byte")
        << ansiMode << windows1251({header, QStringLiteral("#EXTINF:-1,Канал 1"), "U1"})
        << QStringList{QStringLiteral("Ка?ал ?")} << crlfLines({header, QStringLiteral("#EXTINF:-1,Канал 1"), "U1"});

    // The first line.
    QTest::addRow("header-attributes-dropped")
        << utf8 << crlfLines({"#EXTM3U url-tvg=\"http://e.example/x.xml\" tvg-shift=3", entryA, "UA"})
        << QStringList{"A"} << crlfLines({header, entryA, "UA"});
    QTest::addRow("first-line-empty") << utf8 << crlfLines({"", entryA, "UA"}) << QStringList{"A"}
                                      << crlfLines({"", entryA, "UA"});
    QTest::addRow("first-line-comment")
        << utf8 << crlfLines({QStringLiteral("Плейлист"), entryA, "UA"}) << QStringList{"A"}
        << crlfLines({QStringLiteral("Плейлист"), entryA, "UA"});
    QTest::addRow("later-header-line-inside-run")
        << utf8 << crlfLines({"", entryA, "#EXTM3U x-tvg-url=y", "UA"}) << QStringList{"A"}
        << crlfLines({"", entryA, header});
    QTest::addRow("first-line-keeps-group-attribute")
        << utf8 << crlfLines({"#EXTINF:-1 group-title=G,A", "UA"}) << QStringList{"A"}
        << crlfLines({"#EXTINF:-1 group-title=G,A", entryA, "UA"});
    // The header drops its markers in what it writes; the line itself keeps
    // them for the match that follows.
    QTest::addRow("first-line-markers")
        << utf8 << crlfLines({withMarkers(entryA, 2), "UA"}) << QStringList{withMarkers("A", 2)}
        << crlfLines({entryA, entryA, "UA"});
    QTest::addRow("first-line-group-line-written")
        << utf8 << crlfLines({"EXTGRP:G", entryA, "UA"}) << QStringList{"A"} << crlfLines({"EXTGRP:G", entryA, "UA"});
    QTest::addRow("byte-order-mark-lost-utf8")
        << utf8 << hex("23 ef bb bf") + crlfLines({"EXTM3U", entryA, "UA"}) << QStringList{"A"}
        << crlfLines({header, entryA, "UA"});
    QTest::addRow("byte-order-mark-lost-ansi")
        << ansiMode << hex("23 ef bb bf") + crlfLines({"EXTM3U", entryA, "UA"}) << QStringList{"A"}
        << crlfLines({header, entryA, "UA"});
    QTest::addRow("empty-copy") << utf8 << QByteArray() << QStringList{"A"} << QByteArray();

    // Encodings: П is CF in Windows-1251, D0 9F in UTF-8.
    QTest::addRow("windows-1251-in-ansi-mode")
        << ansiMode << hex("23 45 58 54 4d 33 55 0d 0a") + "#EXTINF:-1," + hex("cf 0d 0a") + "U\r\n"
        << QStringList{QStringLiteral("П")} << "#EXTM3U\r\n#EXTINF:-1," + hex("d0 9f 0d 0a") + "U\r\n";
    QTest::addRow("utf8-in-ansi-mode-encoded-twice")
        << ansiMode << "#EXTM3U\r\n#EXTINF:-1," + hex("d0 9f 0d 0a") + "U\r\n"
        << QStringList{ansi::toUtf16(hex("d0 9f"))} << "#EXTM3U\r\n#EXTINF:-1," + hex("d0 a0 d1 9f 0d 0a") + "U\r\n";
    QTest::addRow("windows-1251-in-utf8-mode")
        << utf8 << "#EXTM3U\r\n#EXTINF:-1," + hex("cf f0 0d 0a") + "U\r\n" << QStringList{QString(2, QChar(0xFFFD))}
        << "#EXTM3U\r\n#EXTINF:-1," + hex("ef bf bd ef bf bd 0d 0a") + "U\r\n";
    // The marker is its own character: it must not join the bytes around it.
    QTest::addRow("marker-between-broken-bytes")
        << utf8 << "#EXTM3U\r\n#EXTINF:-1," + hex("d0 01 9f 0d 0a") + "U\r\n"
        << QStringList{QStringLiteral("\uFFFD\u0001\uFFFD")}
        << "#EXTM3U\r\n#EXTINF:-1," + hex("ef bf bd ef bf bd 0d 0a") + "U\r\n";
    QTest::addRow("zero-byte-ends-utf8-text")
        << utf8 << "#EXTM3U\r\n#EXTINF:-1,A" + hex("00") + "B\r\nU\r\n" << QStringList{"A"}
        << crlfLines({header, entryA, "U"});
    QTest::addRow("zero-byte-kept-in-ansi-mode")
        << ansiMode << "#EXTM3U\r\n#EXTINF:-1,A" + hex("00") + "B\r\nU\r\n" << QStringList{QStringLiteral("A\0B")}
        << "#EXTM3U\r\n#EXTINF:-1,A" + hex("00") + "B\r\nU\r\n";
    QTest::addRow("entry-after-zero-byte-utf8")
        << utf8 << "#EXTM3U\r\nX" + hex("00") + "#EXTINF:-1,A\r\nU\r\n" << QStringList{"A"} << crlfLines({header});
    QTest::addRow("entry-after-zero-byte-ansi")
        << ansiMode << "#EXTM3U\r\nX" + hex("00") + "#EXTINF:-1,A\r\nU\r\n" << QStringList{"A"}
        << "#EXTM3U\r\nX" + hex("00") + "#EXTINF:-1,A\r\nU\r\n";
    // Zero bytes before a text that another one ends with: the two share no
    // more than the shorter one holds.
    QTest::addRow("zero-bytes-before-a-shorter-text-ansi")
        << ansiMode << "#EXTM3U\r\n#EXTINF:-1,A\r\nU1\r\n" + hex("00 00") + "#EXTINF:-1,A\r\nU2\r\n"
        << QStringList{QStringLiteral("\0\0#EXTINF:-1,A")} << "#EXTM3U\r\n" + hex("00 00") + "#EXTINF:-1,A\r\nU2\r\n";
    QTest::addRow("header-after-zero-byte-utf8")
        << utf8 << "X" + hex("00") + "EXTM3U\r\n" + crlfLines({entryA, "UA"}) << QStringList{"A"}
        << crlfLines({header, entryA, "UA"});

    // The group cut, and lines where it is not well defined.
    QTest::addRow("cut-up-to-comma")
        << utf8 << crlfLines({header, QStringLiteral("#EXTINF:-1 tvg-id=5 group-title=Кино tvg-logo=k,Фильм"),
                              QStringLiteral("EXTGRP:Кино"), "U"})
        << QStringList{QStringLiteral("Фильм")} << crlfLines({header, QStringLiteral("#EXTINF:-1 tvg-id=5,Фильм"), "U"});
    QTest::addRow("cut-first-of-two-attributes")
        << utf8 << crlfLines({header, "#EXTINF:-1 group-title=A group-title=B,N", "U"}) << QStringList{"N"}
        << crlfLines({header, "#EXTINF:-1,N", "U"});
    QTest::addRow("cut-at-comma-inside-quotes")
        << utf8 << crlfLines({header, "#EXTINF:-1 group-title=\"A,B\" tvg-logo=\"l\",N", "U"}) << QStringList{"N"}
        << crlfLines({header, "#EXTINF:-1,B\" tvg-logo=\"l\",N", "U"});
    QTest::addRow("no-cut-without-blank")
        << utf8 << crlfLines({header, "#EXTINF:-1 tvg-id=1;group-title=G,N", "U"}) << QStringList{"N"}
        << crlfLines({header, "#EXTINF:-1 tvg-id=1;group-title=G,N", "U"});
    QTest::addRow("no-cut-without-comma")
        << utf8 << crlfLines({header, "#EXTINF:-1 group-title=G N", "U"}) << QStringList{"N"}
        << crlfLines({header, "#EXTINF:-1 group-title=G N", "U"});
    QTest::addRow("no-cut-when-comma-comes-first")
        << utf8 << crlfLines({header, "#EXTINF:-1,N group-title=G", "U"}) << QStringList{"G"}
        << crlfLines({header, "#EXTINF:-1,N group-title=G", "U"});
    QTest::addRow("no-cut-when-marker-hides-blank")
        << utf8 << crlfLines({header, "#EXTINF:-1 \u0001group-title=G,N", "U"}) << QStringList{"N"}
        << crlfLines({header, "#EXTINF:-1 group-title=G,N", "U"});
    QTest::addRow("cut-from-line-start")
        << utf8 << crlfLines({header, entryA, " group-title=G,Y"}) << QStringList{"A"} << crlfLines({header, entryA, ",Y"});
    QTest::addRow("cut-in-line-after-entry")
        << utf8 << crlfLines({header, entryA, "X group-title=G,Y"}) << QStringList{"A"}
        << crlfLines({header, entryA, "X,Y"});

    // Runs.
    QTest::addRow("header-line-is-no-entry")
        << utf8 << crlfLines({header, "#EXTINF:-1 EXTM3U,A", "UA"}) << QStringList{"A"} << crlfLines({header});
    QTest::addRow("matching-line-with-group-marker-not-written")
        << utf8 << crlfLines({header, "#EXTINF:-1,EXTGRP A", "X", "Y"}) << QStringList{"A"}
        << crlfLines({header, "X"});
    QTest::addRow("run-cut-by-end-of-file") << utf8 << crlfLines({header, entryA}) << QStringList{"A"}
                                            << crlfLines({header, entryA});
    QTest::addRow("stretched-run-cut-by-end-of-file")
        << utf8 << crlfLines({header, entryA, entryB}) << QStringList{"A"} << crlfLines({header, entryA, entryB});
    QTest::addRow("match-on-last-line-of-run-starts-nothing")
        << utf8 << crlfLines({header, entryA, "EXTGRP:G", "#EXTINF:-1,xA", "U2", entryA, "U3"}) << QStringList{"A"}
        << crlfLines({header, entryA, "#EXTINF:-1,xA", entryA, "U3"});
    QTest::addRow("match-inside-run-changes-nothing")
        << utf8 << crlfLines({header, entryA, "#EXTINF:-1,xA", "U2", "U3"}) << QStringList{"A"}
        << crlfLines({header, entryA, "#EXTINF:-1,xA", "U2"});
    QTest::addRow("first-line-starts-a-run")
        << utf8 << crlfLines({entryA, "UA"}) << QStringList{"A", "A"} << crlfLines({entryA, entryA, "UA", entryA, "UA"});
    QTest::addRow("lone-lf-and-cr-belong-to-the-line")
        << utf8 << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\nB\r\nU\rV\r\n") << QStringList{"B"}
        << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\nB\r\nU\rV\r\n");
    QTest::addRow("last-line-without-crlf")
        << utf8 << crlfLines({header, entryA}) + "UA" << QStringList{"A"} << crlfLines({header, entryA, "UA"});
}

void TestWriterRules::output()
{
    QFETCH(InputMode, mode);
    QFETCH(QByteArray, copy);
    QFETCH(QStringList, items);
    QFETCH(QByteArray, expected);

    QCOMPARE(reference::writePlaylist(copy, mode, items), expected);
    for (const qsizetype chunk : {PlaylistWriter::defaultChunkBytes, qsizetype(1), qsizetype(5)}) {
        const writertest::FastResult fast = writertest::writeFast(copy, mode, itemBytes(items, mode), chunk);
        QVERIFY(fast.result);
        QCOMPARE(fast.bytes, expected);
    }
}

void TestWriterRules::patternMatchesReference_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("matches");

    QTest::addRow("literal-suffix") << QStringLiteral("НТВ") << QStringLiteral("ТВ") << true;
    QTest::addRow("literal-other") << QStringLiteral("НТВ") << QStringLiteral("ТВ1") << false;
    QTest::addRow("case-sensitive") << "News" << "news" << false;
    QTest::addRow("longer-than-name") << "A" << "BA" << false;
    QTest::addRow("question-at-end") << "A1" << "A?" << true;
    QTest::addRow("question-needs-a-character") << "A" << "A?" << false;
    QTest::addRow("question-surrogate-pair") << QStringLiteral("x😀y") << "x?y" << true;
    QTest::addRow("two-questions-surrogate-pair") << QStringLiteral("x😀y") << "x??y" << false;
    QTest::addRow("star-empty") << "AB" << "A*B" << true;
    QTest::addRow("star-run") << "A123B" << "A*B" << true;
    QTest::addRow("star-must-end") << "A123BC" << "A*B" << false;
    QTest::addRow("star-needs-room") << "AB" << "A*?B" << false;
    QTest::addRow("star-finds-earlier-literal") << "AxAB" << "A*?B" << true;
    QTest::addRow("stars-in-order") << "a1b2c" << "a*b*c" << true;
    QTest::addRow("stars-out-of-order") << "b1a2c" << "a*b*c" << false;
    QTest::addRow("star-then-question-at-end") << "abc" << "c*?" << false;
    QTest::addRow("star-then-question-fits") << "abcd" << "c*?" << true;
    QTest::addRow("marker-is-literal") << QStringLiteral("A\u0001") << "A" << false;
    QTest::addRow("marker-matched") << QStringLiteral("A\u0001") << QStringLiteral("A\u0001") << true;
    QTest::addRow("question-matches-marker") << QStringLiteral("A\u0001") << "A?" << true;
}

// ItemPattern works on bytes, the reference on text: both must agree.
void TestWriterRules::patternMatchesReference()
{
    QFETCH(QString, name);
    QFETCH(QString, item);
    QFETCH(bool, matches);

    const QString entry = "#EXTINF:-1," + name;
    QCOMPARE(reference::endsWithItem(entry, item), matches);
    const QByteArray written = QString(entry).remove(QChar(1)).toUtf8() + "\r\n";
    QCOMPARE(writertest::writeFast(crlfLines({"", entry}), InputMode::Utf8, {item.toUtf8()}).bytes,
             "\r\n" + (matches ? written : QByteArray()));
}

void TestWriterRules::stopsWhenTheSliceSaysSo_data()
{
    QTest::addColumn<int>("allowedSlices");
    QTest::addColumn<int>("lines");

    // 10000 entries take four slices to find.
    QTest::addRow("while-finding-entries") << 0 << 20000;
    QTest::addRow("while-sorting") << 4 << 20000;
    QTest::addRow("at-an-item") << 3 << 10;
}

void TestWriterRules::stopsWhenTheSliceSaysSo()
{
    QFETCH(int, allowedSlices);
    QFETCH(int, lines);

    QStringList copyLines{header};
    for (int i = 0; i < lines / 2; ++i)
        copyLines << QStringLiteral("#EXTINF:-1,N%1").arg(i) << QStringLiteral("U%1").arg(i);
    const QByteArray copy = crlfLines(copyLines);
    int calls = 0;
    TimeSlice slice([&] { return calls++ < allowedSlices; }, 0);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PlaylistWriter writer(copy, InputMode::Utf8);
    const QByteArrayView items[] = {"N1", "N2", "N3", "N4", "N5"};
    const Result<> stopped = writer.write(items, buffer, slice);
    QVERIFY(!stopped && stopped.failure().isStop());
    QCOMPARE(calls, allowedSlices + 1);

    // What a stop leaves half made is not used again.
    QBuffer again;
    again.open(QIODevice::WriteOnly);
    TimeSlice patient;
    QVERIFY(writer.write(items, again, patient));
    QCOMPARE(again.data(), reference::writePlaylist(copy, InputMode::Utf8, {"N1", "N2", "N3", "N4", "N5"}));
}

void TestWriterRules::writesAgainWithTheSameIndex()
{
    const QByteArray copy = crlfLines({header, entryA, "UA", entryB, "UB", entryC, "UC"});
    PlaylistWriter writer(copy, InputMode::Utf8);
    TimeSlice slice;
    for (const QStringList &items : {QStringList{"A", "C"}, QStringList{"C", "B", "C"}, QStringList{"*"}}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(writer.write(views(itemBytes(items, InputMode::Utf8)), buffer, slice));
        QCOMPARE(buffer.data(), reference::writePlaylist(copy, InputMode::Utf8, items));
    }
}

QTEST_GUILESS_MAIN(TestWriterRules)
#include "tst_writer_rules.moc"
