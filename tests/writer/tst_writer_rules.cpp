#include "reference/ReferenceWriter.h"
#include "WriterTestSupport.h"

#include "common/TestSupport.h"
#include "encoding/Ansi.h"
#include "base/Progress.h"
#include "writer/PlaylistWriter.h"

#include <QBuffer>
#include <QTest>

using testsupport::hex;
using writertest::crlfLines;

Q_DECLARE_METATYPE(InputMode)

namespace {

// A playlist as a file holds it: LF after each line.
QByteArray lf(const QStringList &lines)
{
    return lines.join(u'\n').toUtf8() + '\n';
}

const QString header = QStringLiteral("#EXTM3U");

} // namespace

class TestWriterRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void output_data();
    void output();
    void names_data();
    void names();
    void stopsWhenTheSliceSaysSo();
};

void TestWriterRules::output_data()
{
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<QByteArray>("playlist");
    QTest::addColumn<QList<int>>("entries");
    QTest::addColumn<QByteArray>("expected");
    const InputMode utf8 = InputMode::Utf8;
    const InputMode ansiMode = InputMode::Ansi;

    const QByteArray abc = lf({header, "#EXTINF:-1,A", "UA", "#EXTINF:-1,B", "UB", "#EXTINF:-1,C", "UC"});
    QTest::addRow("order-c-a") << utf8 << abc << QList<int>{2, 0} << crlfLines({header, "#EXTINF:-1,C", "UC", "#EXTINF:-1,A", "UA"});
    QTest::addRow("empty-list-writes-the-header") << utf8 << abc << QList<int>{} << crlfLines({header});

    // Each item writes its own entry: not its namesakes, nor names that end
    // with it, nor names its wildcards would match.
    const QByteArray series = lf({header, "#EXTINF:-1,Серия 1", "U1", "#EXTINF:-1,Кино", "U2", "#EXTINF:-1,Серия 1", "U3"});
    QTest::addRow("namesake-not-written") << utf8 << series << QList<int>{2} << crlfLines({header, "#EXTINF:-1,Серия 1", "U3"});
    QTest::addRow("ending-not-matched") << utf8 << lf({header, "#EXTINF:-1,НТВ", "U1", "#EXTINF:-1,ТВ", "U2"}) << QList<int>{1}
                                        << crlfLines({header, "#EXTINF:-1,ТВ", "U2"});
    QTest::addRow("no-wildcards") << utf8 << lf({header, "#EXTINF:-1,Канал 1", "U1", "#EXTINF:-1,Канал ?", "U2", "#EXTINF:-1,*", "U3"})
                                  << QList<int>{1, 2} << crlfLines({header, "#EXTINF:-1,Канал ?", "U2", "#EXTINF:-1,*", "U3"});
    QTest::addRow("repeat-loses-its-markers")
        << utf8 << lf({header, "#EXTINF:-1,Спорт", "U1", "#EXTINF:-1,Спорт", "U2"}) << QList<int>{1}
        << crlfLines({header, "#EXTINF:-1,Спорт", "U2"});

    // Option lines and addresses as the playlist has them.
    const QString agent = QStringLiteral("#EXTVLCOPT:http-user-agent=Mozilla/5.0 (KHTML, like Gecko)");
    QTest::addRow("option-lines-kept")
        << utf8 << lf({header, "#EXTINF:-1,A", agent, "#KODIPROP:x=[y]", "http://a/", "#EXTINF:-1,B", "UB"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1,A", agent, "#KODIPROP:x=[y]", "http://a/"});
    // Entry lines too, but for their group attribute.
    QTest::addRow("entry-and-address-as-written")
        << utf8 << lf({header, "#EXTINF:-1,A [HD] #1", "  http://a/[x]#y  "}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1,A [HD] #1", "http://a/[x]#y"});
    QTest::addRow("hash-inside-quoted-values")
        << utf8 << lf({header, "#EXTINF:-1 tvg-logo=\"http://l/#a\" group-title=\"G#1\" catchup-source=\"s#b\",N #2", "U"})
        << QList<int>{0} << crlfLines({header, "#EXTINF:-1 tvg-logo=\"http://l/#a\" catchup-source=\"s#b\",N #2", "U"});
    QTest::addRow("name-only-brackets") << utf8 << lf({header, "#EXTINF:-1,[]", "U", "#EXTINF:-1,[ ]", "V"}) << QList<int>{1, 0}
                                        << crlfLines({header, "#EXTINF:-1,[ ]", "V", "#EXTINF:-1,[]", "U"});
    QTest::addRow("entry-without-hash-gets-one") << utf8 << lf({header, " EXTINF:-1,A ", "U"}) << QList<int>{0}
                                                 << crlfLines({header, "#EXTINF:-1,A", "U"});
    QTest::addRow("hash-inside-tag-is-no-entry")
        << utf8 << lf({header, "#EXTINF:-1,A", "#EXT#INF:-1,B", "UA", "#EXTINF:-1,C", "UC"}) << QList<int>{1, 0}
        << crlfLines({header, "#EXTINF:-1,C", "UC", "#EXTINF:-1,A", "#EXT#INF:-1,B", "UA"});
    QTest::addRow("group-header-and-empty-lines-left-out")
        << utf8 << lf({header, "#EXTINF:-1,A", "#EXTGRP:Кино", "", "#EXTM3U x", "  ", "UA"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1,A", "UA"});
    QTest::addRow("after-the-address-nothing")
        << utf8 << lf({header, "#EXTINF:-1,A", "UA", "#EXTVLCOPT:x", "stray", "#EXTINF:-1,B", "UB"}) << QList<int>{0, 1}
        << crlfLines({header, "#EXTINF:-1,A", "UA", "#EXTINF:-1,B", "UB"});
    QTest::addRow("entry-without-address")
        << utf8 << lf({header, "#EXTINF:-1,A", "#EXTVLCOPT:x", "#EXTINF:-1,B"}) << QList<int>{1, 0}
        << crlfLines({header, "#EXTINF:-1,B", "#EXTINF:-1,A", "#EXTVLCOPT:x"});
    QTest::addRow("header-and-entry-in-one-line")
        << utf8 << lf({"#EXTM3U url-tvg=x #EXTINF:-1,A", "UA"}) << QList<int>{0}
        << crlfLines({header, "#EXTM3U url-tvg=x #EXTINF:-1,A", "UA"});

    // The group-title attribute alone goes.
    QTest::addRow("cut-keeps-later-attributes")
        << utf8 << lf({header, "#EXTINF:-1 tvg-id=\"5\" group-title=\"Кино\" tvg-logo=\"k\" catchup=\"d\",Фильм", "U"})
        << QList<int>{0} << crlfLines({header, "#EXTINF:-1 tvg-id=\"5\" tvg-logo=\"k\" catchup=\"d\",Фильм", "U"});
    QTest::addRow("cut-unquoted-value")
        << utf8 << lf({header, "#EXTINF:-1 group-title=Кино tvg-logo=k,Фильм", "U"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1 tvg-logo=k,Фильм", "U"});
    QTest::addRow("cut-unquoted-value-before-comma")
        << utf8 << lf({header, "#EXTINF:-1 group-title=Кино,Фильм", "U"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1,Фильм", "U"});
    QTest::addRow("cut-with-quoted-commas")
        << utf8 << lf({header, "#EXTINF:-1 http-user-agent=\"(KHTML, like Gecko)\" group-title=\"A,B\",Новости", "U"})
        << QList<int>{0} << crlfLines({header, "#EXTINF:-1 http-user-agent=\"(KHTML, like Gecko)\",Новости", "U"});
    QTest::addRow("cut-every-attribute")
        << utf8 << lf({header, "#EXTINF:-1 group-title=\"A\" x=1 group-title=B,N", "U"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1 x=1,N", "U"});
    QTest::addRow("no-cut-in-name-or-quotes")
        << utf8 << lf({header, "#EXTINF:-1 tvg-name=\"a group-title=b\",N group-title=G", "U"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1 tvg-name=\"a group-title=b\",N group-title=G", "U"});
    QTest::addRow("no-cut-without-blank")
        << utf8 << lf({header, "#EXTINF:-1;group-title=G,N", "U"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1;group-title=G,N", "U"});
    QTest::addRow("unclosed-quote-keeps-the-line")
        << utf8 << lf({header, "#EXTINF:-1 group-title=\"A x=1 group-title=B,N", "U"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1 group-title=\"A x=1 group-title=B,N", "U"});
    QTest::addRow("cut-without-comma")
        << utf8 << lf({header, "#EXTINF:-1 group-title=G", "U"}) << QList<int>{0} << crlfLines({header, "#EXTINF:-1", "U"});
    QTest::addRow("markers-removed-before-the-cut")
        << utf8 << lf({header, "#EXTINF:-1 \x01group-title=G,N\x01", "U"}) << QList<int>{0}
        << crlfLines({header, "#EXTINF:-1,N", "U"});

    // The first lines.
    // The header line whole: players find the programme guide there.
    const QString guide = QStringLiteral("#EXTM3U url-tvg=\"http://e.example/x.xml.gz\"");
    const QString manyAttributes = QStringLiteral("#EXTM3U x-tvg-url=\"http://e.example/a.xml,http://e.example/b.xml\" "
                                                  "tvg-shift=\"3\" catchup=\"shift\" refresh=\"3600\" m3uautoload=1");
    QTest::addRow("header-kept-whole") << utf8 << lf({guide, "#EXTINF:-1,A", "UA"}) << QList<int>{0}
                                       << crlfLines({guide, "#EXTINF:-1,A", "UA"});
    QTest::addRow("header-with-many-attributes") << utf8 << lf({manyAttributes, "#EXTINF:-1,A", "UA"}) << QList<int>{}
                                                 << crlfLines({manyAttributes});
    QTest::addRow("header-trimmed") << utf8 << lf({"  " + guide + "  ", "#EXTINF:-1,A", "UA"}) << QList<int>{}
                                    << crlfLines({guide});
    QTest::addRow("header-after-byte-order-mark") << utf8 << hex("ef bb bf") + lf({guide, "#EXTINF:-1,A", "UA"})
                                                  << QList<int>{} << crlfLines({guide});
    QTest::addRow("header-after-a-comment") << utf8 << lf({QStringLiteral("Плейлист"), guide, "#EXTINF:-1,A", "UA"})
                                            << QList<int>{0} << crlfLines({guide, "#EXTINF:-1,A", "UA"});
    QTest::addRow("header-from-its-hash-on") << utf8 << lf({"x #EXTM3U url-tvg=y", "#EXTINF:-1,A", "UA"}) << QList<int>{}
                                             << crlfLines({"#EXTM3U url-tvg=y"});
    QTest::addRow("header-without-hash") << utf8 << lf({"EXTM3U url-tvg=y", "#EXTINF:-1,A", "UA"}) << QList<int>{}
                                         << crlfLines({"#EXTM3U url-tvg=y"});
    QTest::addRow("first-header-taken") << utf8 << lf({"#EXTM3U a=1", "#EXTM3U b=2", "#EXTINF:-1,A", "UA"})
                                        << QList<int>{} << crlfLines({"#EXTM3U a=1"});
    QTest::addRow("header-after-the-first-entry-not-taken")
        << utf8 << lf({"#EXTINF:-1,A", "UA", guide, "#EXTINF:-1,B", "UB"}) << QList<int>{1}
        << crlfLines({header, "#EXTINF:-1,B", "UB"});
    QTest::addRow("header-without-entries") << utf8 << lf({QStringLiteral("Плейлист"), guide}) << QList<int>{}
                                            << crlfLines({guide});
    // #EXTM3U url-tvg="http://x/" name="ТВ" in Windows-1251
    QTest::addRow("header-in-windows-1251") << ansiMode << "#EXTM3U url-tvg=\"http://x/\" name=\"" + hex("d2 c2") + "\"\n"
                                            << QList<int>{} << crlfLines({QStringLiteral("#EXTM3U url-tvg=\"http://x/\" name=\"ТВ\"")});
    QTest::addRow("comment-before-the-first-entry-dropped")
        << utf8 << lf({QStringLiteral("Плейлист"), "#EXTINF:-1,A", "UA"}) << QList<int>{0} << crlfLines({header, "#EXTINF:-1,A", "UA"});
    QTest::addRow("byte-order-mark-and-no-header")
        << utf8 << hex("ef bb bf") + lf({"#EXTINF:-1,A", "UA", "#EXTINF:-1,B", "UB"}) << QList<int>{0, 1}
        << crlfLines({header, "#EXTINF:-1,A", "UA", "#EXTINF:-1,B", "UB"});
    QTest::addRow("byte-order-mark-and-spaces-ansi")
        << ansiMode << hex("ef bb bf") + lf({"  #EXTINF:-1,A", "UA"}) << QList<int>{0} << crlfLines({header, "#EXTINF:-1,A", "UA"});
    QTest::addRow("crlf-and-lone-cr")
        << utf8 << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nU\rA\r\n") << QList<int>{0} << crlfLines({header, "#EXTINF:-1,A", "UA"});
    QTest::addRow("empty-playlist") << utf8 << QByteArray() << QList<int>{} << crlfLines({header});

    // Encodings: П is CF in Windows-1251, D0 9F in UTF-8.
    QTest::addRow("windows-1251-in-ansi-mode")
        << ansiMode << "#EXTM3U\n#EXTINF:-1," + hex("cf") + "\n#EXTVLCOPT:" + hex("cf") + "\nU" + hex("cf") + "\n" << QList<int>{0}
        << crlfLines({header, QStringLiteral("#EXTINF:-1,П"), QStringLiteral("#EXTVLCOPT:П"), QStringLiteral("UП")});
    QTest::addRow("utf8-in-ansi-mode-encoded-twice")
        << ansiMode << "#EXTINF:-1," + hex("d0 9f") + "\nU" + hex("d0 9f") + "\n" << QList<int>{0}
        << "#EXTM3U\r\n#EXTINF:-1," + hex("d0 a0 d1 9f 0d 0a") + "U" + hex("d0 a0 d1 9f 0d 0a");
    QTest::addRow("windows-1251-in-utf8-mode")
        << utf8 << "#EXTINF:-1," + hex("cf f0") + "\nU" + hex("cf") + "\n" << QList<int>{0}
        << "#EXTM3U\r\n#EXTINF:-1," + hex("ef bf bd ef bf bd 0d 0a") + "U" + hex("ef bf bd 0d 0a");
    QTest::addRow("zero-byte-ends-utf8-text")
        << utf8 << QByteArray("#EXTINF:-1,A\0B\nU\0V\n", 18) << QList<int>{0} << crlfLines({header, "#EXTINF:-1,A", "U"});
    QTest::addRow("zero-byte-kept-in-ansi-mode")
        << ansiMode << QByteArray("#EXTINF:-1,A\0B\nU\n", 16) << QList<int>{0} << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\0B\r\nU\r\n", 28);
}

// The hand-written expectation, the reference and the program agree.
void TestWriterRules::output()
{
    QFETCH(InputMode, mode);
    QFETCH(QByteArray, playlist);
    QFETCH(QList<int>, entries);
    QFETCH(QByteArray, expected);

    QCOMPARE(reference::writePlaylist(playlist, mode, entries), expected);
    const QByteArray copy = writertest::normalisedCopy(playlist, mode).bytes;
    for (const qsizetype chunk : {PlaylistWriter::defaultChunkBytes, qsizetype(1), qsizetype(5)}) {
        const writertest::Saved saved = writertest::saveFromCopy(copy, mode, entries, chunk);
        QVERIFY(saved.result);
        QCOMPARE(saved.bytes, expected);
    }
}

void TestWriterRules::names_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");

    QTest::addRow("after-first-comma") << "#EXTINF:-1 tvg-id=\"a\",Первый, второй" << QStringLiteral("Первый, второй");
    QTest::addRow("quoted-commas-skipped")
        << "#EXTINF:-1 http-user-agent=\"Mozilla/5.0 (KHTML, like Gecko) Chrome/120.0.0.0 Safari\",Новости"
        << QStringLiteral("Новости");
    QTest::addRow("every-comma-quoted") << "#EXTINF:-1 tvg-name=\"a,b\"" << "b\"";
    QTest::addRow("unclosed-quote") << "#EXTINF:-1 tvg-name=\"a,b" << "b";
    QTest::addRow("quote-in-name") << "#EXTINF:-1,Say \"hi, there\"" << "Say \"hi, there\"";
    QTest::addRow("no-comma") << "#EXTINF:-1 x" << "#EXTINF:-1 x";
}

// What the source list shows, by the normaliser and by the reference.
void TestWriterRules::names()
{
    QFETCH(QString, line);
    QFETCH(QString, name);

    const QByteArray playlist = line.toUtf8() + "\nU\n";
    QCOMPARE(reference::channelNames(playlist, InputMode::Utf8), QStringList{name});
    QCOMPARE(writertest::normalisedCopy(playlist, InputMode::Utf8).names, QByteArrayList{name.toUtf8()});
}

void TestWriterRules::stopsWhenTheSliceSaysSo()
{
    QStringList lines{header};
    for (int i = 0; i < 10; ++i)
        lines << QStringLiteral("#EXTINF:-1,N%1").arg(i) << QStringLiteral("U%1").arg(i);
    const QByteArray copy = writertest::normalisedCopy(lf(lines), InputMode::Utf8).bytes;
    int calls = 0;
    Progress progress([&] { return calls++ < 2; }, 0);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PlaylistWriter writer(copy, InputMode::Utf8);
    const qint32 entries[] = {1, 2, 3, 4, 5};
    const Result<> stopped = writer.write(entries, buffer, progress);
    QVERIFY(stopped.isStopped());
    QCOMPARE(calls, 3);
}

QTEST_GUILESS_MAIN(TestWriterRules)
#include "tst_writer_rules.moc"
