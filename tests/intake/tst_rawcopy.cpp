#include "common/TestSupport.h"
#include "intake/LineReader.h"
#include "intake/RawCopier.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

using testsupport::hex;

class TestRawCopy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void byteRules_data();
    void byteRules();
    void blockCutsDoNotMatter_data() { byteRules_data(); }
    void blockCutsDoNotMatter();
    void lineReader_data();
    void lineReader();
    void lineReaderOnLongLinesAndSmallBlocks();
};

void TestRawCopy::byteRules_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("raw");

    QTest::addRow("empty") << QByteArray() << QByteArray();
    QTest::addRow("lf") << QByteArray("#EXTM3U\n#EXTINF:-1,A\nhttp://a\n")
                        << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nhttp://a\r\n");
    QTest::addRow("crlf") << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nhttp://a\r\n")
                          << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nhttp://a\r\n");
    QTest::addRow("mixed") << QByteArray("a\r\nb\nc\r\n") << QByteArray("a\r\nb\r\nc\r\n");
    QTest::addRow("lone-cr-vanishes") << QByteArray("a\rb\nc\r") << QByteArray("ab\r\nc\r\n");
    QTest::addRow("last-line-without-lf") << QByteArray("a\nlast") << QByteArray("a\r\nlast\r\n");
    QTest::addRow("empty-lines-kept") << QByteArray("\n\na\n") << QByteArray("\r\n\r\na\r\n");
    QTest::addRow("only-cr-at-end") << QByteArray("a\n\r") << QByteArray("a\r\n");
    // The save writes the lines after an entry as the playlist has them.
    QTest::addRow("hash-and-brackets-kept") << QByteArray("#EXTINF:-1,Канал #1 [HD]\nhttp://x/[a]#frag\n")
                                            << QByteArray("#EXTINF:-1,Канал #1 [HD]\r\nhttp://x/[a]#frag\r\n");
    // The mark that starts a file is no part of its first line; elsewhere,
    // or only begun, it is text.
    QTest::addRow("byte-order-mark") << hex("ef bb bf 23 45 58 54 4d 33 55 0a") << hex("23 45 58 54 4d 33 55 0d 0a");
    QTest::addRow("byte-order-mark-alone") << hex("ef bb bf") << QByteArray();
    QTest::addRow("byte-order-mark-then-lf") << hex("ef bb bf 0a") << hex("0d 0a");
    QTest::addRow("second-mark-kept") << hex("ef bb bf ef bb bf 41") << hex("ef bb bf 41 0d 0a");
    QTest::addRow("mark-on-second-line-kept") << hex("41 0a ef bb bf 42") << hex("41 0d 0a ef bb bf 42 0d 0a");
    QTest::addRow("mark-begun-only") << hex("ef bb") << hex("ef bb 0d 0a");
    QTest::addRow("mark-begun-then-text") << hex("ef bb 41 0a") << hex("ef bb 41 0d 0a");
    QTest::addRow("mark-broken-by-cr") << hex("ef 0d bb bf 0a") << hex("ef bb bf 0d 0a");
    QTest::addRow("nul-bytes-kept") << hex("41 00 42 0a 00") << hex("41 00 42 0d 0a 00 0d 0a");
    QTest::addRow("windows-1251-untouched") << hex("cf f0 e8 5b 98 5d 0a") << hex("cf f0 e8 5b 98 5d 0d 0a");
}

void TestRawCopy::byteRules()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, raw);
    RawCopier copier;
    QByteArray out;
    copier.feed(input, out);
    copier.finish(out);
    QCOMPARE(out, raw);
}

void TestRawCopy::blockCutsDoNotMatter()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, raw);
    for (qsizetype block = 1; block <= 4; ++block) {
        RawCopier copier;
        QByteArray out;
        for (qsizetype i = 0; i < input.size(); i += block)
            copier.feed(QByteArrayView(input).sliced(i, qMin(block, input.size() - i)), out);
        copier.finish(out);
        QCOMPARE(out, raw);
    }
}

void TestRawCopy::lineReader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArrayList>("lines");

    QTest::addRow("empty") << QByteArray() << QByteArrayList();
    QTest::addRow("crlf") << QByteArray("a\r\nbc\r\n") << QByteArrayList{"a", "bc"};
    QTest::addRow("empty-lines") << QByteArray("\r\n\r\nx\r\n") << QByteArrayList{"", "", "x"};
    QTest::addRow("last-without-end") << QByteArray("a\r\nb") << QByteArrayList{"a", "b"};
    QTest::addRow("lf-only") << QByteArray("a\nb\n") << QByteArrayList{"a", "b"};
    QTest::addRow("markers-and-nul") << QByteArray("a\x01\x01\r\n\0b\r\n", 9) << QByteArrayList{"a\x01\x01", QByteArray("\0b", 2)};
    // Zero bytes in some lines and not in the ones between them.
    QTest::addRow("nul-here-and-there") << QByteArray("a\0b\r\ncd\r\n\0\r\nd\0\0e\r\nfg\r\nh\0", 24)
                                        << QByteArrayList{QByteArray("a\0b", 3), "cd", QByteArray(1, '\0'),
                                                          QByteArray("d\0\0e", 4), "fg", QByteArray("h\0", 2)};
}

void TestRawCopy::lineReader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArrayList, lines);
    for (qsizetype block : {1, 2, 3, 1 << 20}) {
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        LineReader reader(buffer, block);
        QByteArrayList got;
        QByteArrayList read; // what UTF-8 mode reads of each: up to its zero byte
        QByteArrayView line;
        while (reader.next(line)) {
            got << line.toByteArray();
            QCOMPARE(reader.readPart(line, InputMode::Ansi), line);
            read << reader.readPart(line, InputMode::Utf8).toByteArray();
        }
        QVERIFY(!reader.failed());
        QCOMPARE(got, lines);
        QByteArrayList expected;
        for (const QByteArray &l : lines)
            expected << l.left(l.indexOf('\0') < 0 ? l.size() : l.indexOf('\0'));
        QCOMPARE(read, expected);
    }
}

void TestRawCopy::lineReaderOnLongLinesAndSmallBlocks()
{
    // A line far longer than a block, among short ones.
    QRandomGenerator rng(7);
    QByteArrayList lines;
    QByteArray bytes;
    for (int i = 0; i < 200; ++i) {
        const int length = i == 100 ? 3 << 20 : rng.bounded(40);
        QByteArray line(length, char('a' + i % 26));
        lines << line;
        bytes += line + "\r\n";
    }
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    LineReader reader(buffer, 4096);
    QByteArrayView line;
    int i = 0;
    while (reader.next(line)) {
        QVERIFY(i < lines.size());
        QCOMPARE(line.size(), lines[i].size());
        QVERIFY(line == QByteArrayView(lines[i]));
        ++i;
    }
    QCOMPARE(i, lines.size());
}

QTEST_GUILESS_MAIN(TestRawCopy)
#include "tst_rawcopy.moc"
