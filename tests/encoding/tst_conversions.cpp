#include "common/TestSupport.h"
#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "reference/LineCodec.h"
#include "reference/basInCodePage.h"

#include <QRandomGenerator>
#include <QTest>

#include <set>
#include <stdexcept>

using namespace basInCodePage;
using testsupport::hex;

class TestConversions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decodeUtf8_data();
    void decodeUtf8();
    void decodeUtf8FromAnsiText_data() { decodeUtf8_data(); }
    void decodeUtf8FromAnsiText();
    void decodeUtf8KeepsBytesOfLatestInput();
    void sanitizedMatchesDecodedText_data() { decodeUtf8_data(); }
    void sanitizedMatchesDecodedText();
    void unicodeToUtf8_data();
    void unicodeToUtf8();
    void unicodeToCodePage_data();
    void unicodeToCodePage();
    void codePageToUnicode_data();
    void codePageToUnicode();
    void unsupportedCodePageThrows();
    void ansiTableIsOneToOne();
    void everyByteSequenceRoundTrips();
    void randomBytesDecodeTheSameAllWays();
    void largeInputRoundTrips();
};

static QString units(std::initializer_list<char16_t> list)
{
    QString s;
    for (char16_t u : list)
        s.append(QChar(u));
    return s;
}

void TestConversions::decodeUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QChar fffd(0xFFFD);
    QTest::addRow("empty") << QByteArray() << QString();
    QTest::addRow("ascii") << QByteArray("EXTINF:-1,News") << QStringLiteral("EXTINF:-1,News");
    // При
    QTest::addRow("cyrillic") << hex("d0 9f d1 80 d0 b8") << QStringLiteral("При");
    // И: the second byte is 0x98, the byte Windows-1251 leaves unassigned
    QTest::addRow("byte-0x98") << hex("d0 98") << QStringLiteral("И");
    QTest::addRow("cut-at-zero-byte") << hex("41 42 00 43 d0 9f") << QStringLiteral("AB");
    QTest::addRow("zero-byte-first") << hex("00 41") << QString();
    // При in Windows-1251 is no UTF-8
    QTest::addRow("windows-1251-bytes") << hex("cf f0 e8") << QString(3, fffd);
    QTest::addRow("byte-order-mark-kept") << hex("ef bb bf 23 45") << units({0xFEFF, '#', 'E'});
    // № 1
    QTest::addRow("three-byte") << hex("e2 84 96 31") << units({0x2116, '1'});
    QTest::addRow("four-byte-pair") << hex("f0 9f 98 80") << units({0xD83D, 0xDE00});
    QTest::addRow("truncated-two-of-three") << hex("e2 84") << QString(fffd);
    QTest::addRow("truncated-before-ascii") << hex("e2 84 41") << units({0xFFFD, 'A'});
    QTest::addRow("truncated-three-of-four") << hex("f0 9f 98 41") << units({0xFFFD, 'A'});
    QTest::addRow("lone-continuation") << hex("80 41 bf") << units({0xFFFD, 'A', 0xFFFD});
    QTest::addRow("overlong-two-byte") << hex("c0 af") << QString(2, fffd);
    QTest::addRow("overlong-three-byte") << hex("e0 80 af") << QString(3, fffd);
    QTest::addRow("overlong-four-byte") << hex("f0 80 80 af") << QString(4, fffd);
    QTest::addRow("surrogate-encoded") << hex("ed a0 80") << QString(3, fffd);
    QTest::addRow("above-10ffff") << hex("f4 90 80 80") << QString(4, fffd);
    QTest::addRow("f5-lead") << hex("f5 80 80 80") << QString(4, fffd);
    QTest::addRow("max-code-point") << hex("f4 8f bf bf") << units({0xDBFF, 0xDFFF});
    QTest::addRow("lead-then-lead") << hex("d0 d0 9f") << units({0xFFFD, 0x041F});
    QTest::addRow("mixed") << hex("41 ff d0 9f e2 82") << units({'A', 0xFFFD, 0x041F, 0xFFFD});
    QTest::addRow("duplicate-marker") << hex("41 01 01") << units({'A', 1, 1});
}

void TestConversions::decodeUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    LineCodec codec;
    QCOMPARE(codec.DecodeUTF8(QByteArrayView(bytes)), text);
}

void TestConversions::decodeUtf8FromAnsiText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    // The same line held as ANSI text, one character per byte.
    LineCodec codec;
    QCOMPARE(codec.DecodeUTF8(QStringView(ansi::toUtf16(bytes))), text);
}

void TestConversions::decodeUtf8KeepsBytesOfLatestInput()
{
    LineCodec codec;
    QCOMPARE(codec.sCodePage, 65001);
    (void)codec.DecodeUTF8(QByteArrayView(hex("d0 9f 00 41")));
    QCOMPARE(codec.cnvUni2, hex("d0 9f"));
    (void)codec.DecodeUTF8(QByteArrayView());
    QCOMPARE(codec.cnvUni2, hex("d0 9f"));
    (void)codec.DecodeUTF8(QStringView(ansi::toUtf16(hex("d0 98"))));
    QCOMPARE(codec.cnvUni2, hex("d0 98"));
}

void TestConversions::sanitizedMatchesDecodedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QByteArray sanitized;
    utf8::appendSanitized(utf8::beforeNul(bytes), sanitized);
    QCOMPARE(sanitized, text.toUtf8());
    QVERIFY(utf8::isValid(sanitized));
    QCOMPARE(utf8::isValid(utf8::beforeNul(bytes)), sanitized == utf8::beforeNul(bytes));
}

void TestConversions::unicodeToUtf8_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::addRow("empty") << QString() << QByteArray();
    QTest::addRow("cyrillic") << QStringLiteral("При") << hex("d0 9f d1 80 d0 b8");
    QTest::addRow("numero-sign") << units({0x2116, '1'}) << hex("e2 84 96 31");
    QTest::addRow("only-three-byte") << units({0x2116, 0x2116}) << hex("e2 84 96 e2 84 96");
    QTest::addRow("nul-kept") << units({'A', 0, 'B'}) << hex("41 00 42");
    QTest::addRow("pair") << units({0xD83D, 0xDE00}) << hex("f0 9f 98 80");
    QTest::addRow("lone-high") << units({'a', 0xD83D, 'b'}) << hex("61 ef bf bd 62");
    QTest::addRow("lone-high-at-end") << units({0xD83D}) << hex("ef bf bd");
    QTest::addRow("lone-low") << units({0xDE00, 'x'}) << hex("ef bf bd 78");
    QTest::addRow("two-highs-then-low") << units({0xD83D, 0xD83D, 0xDE00}) << hex("ef bf bd f0 9f 98 80");
    QTest::addRow("u0098") << units({0x0098}) << hex("c2 98");
    QTest::addRow("marker") << units({'A', 1}) << hex("41 01");
}

void TestConversions::unicodeToUtf8()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(LineCodec::UnicodeToUTF8(text), bytes);
}

void TestConversions::unicodeToCodePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");

    for (int cp : {0, -1, 1251}) {
        const QByteArray tag = QByteArray::number(cp);
        QTest::addRow("cyrillic-%s", tag.data()) << QStringLiteral("Привет") << cp << hex("cf f0 e8 e2 e5 f2");
        QTest::addRow("cjk-is-question-mark-%s", tag.data()) << units({'A', 0x4E2D, 'B'}) << cp << hex("41 3f 42");
        QTest::addRow("u0098-%s", tag.data()) << units({0x0098}) << cp << hex("98");
        QTest::addRow("numero-%s", tag.data()) << units({0x2116}) << cp << hex("b9");
        QTest::addRow("cut-at-nul-%s", tag.data()) << units({'A', 0, 'B'}) << cp << hex("41");
        QTest::addRow("empty-%s", tag.data()) << QString() << cp << QByteArray();
    }
    QTest::addRow("utf8") << QStringLiteral("При") << 65001 << hex("d0 9f d1 80 d0 b8");
    QTest::addRow("utf8-cut-at-nul") << units({0x041F, 0, 'B'}) << 65001 << hex("d0 9f");
}

void TestConversions::unicodeToCodePage()
{
    QFETCH(QString, text);
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QCOMPARE(UnicodeToCodePage(text, codePage, 0), bytes);
}

void TestConversions::codePageToUnicode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("text");

    for (int cp : {0, -1, 1251}) {
        const QByteArray tag = QByteArray::number(cp);
        QTest::addRow("cyrillic-%s", tag.data()) << hex("cf f0 e8") << cp << QStringLiteral("При");
        QTest::addRow("utf8-bytes-shown-as-ansi-%s", tag.data()) << hex("d0 9f d1 80 d0 b8") << cp << QStringLiteral("РџСЂРё");
        QTest::addRow("cut-at-zero-%s", tag.data()) << hex("cf 00 f0") << cp << QStringLiteral("П");
        QTest::addRow("byte-0x98-%s", tag.data()) << hex("98") << cp << units({0x0098});
    }
    QTest::addRow("utf8") << hex("d0 9f d1 80 d0 b8") << 65001 << QStringLiteral("При");
    QTest::addRow("utf8-ill-formed") << hex("cf f0 e8") << 65001 << QString(3, QChar(0xFFFD));
}

void TestConversions::codePageToUnicode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, codePage);
    QFETCH(QString, text);
    QCOMPARE(CodePageToUnicode(bytes, codePage, 0), text);
}

void TestConversions::unsupportedCodePageThrows()
{
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, (void)CodePageToUnicode("a", 866, 0));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, (void)UnicodeToCodePage(u"a", 1252, 0));
}

void TestConversions::ansiTableIsOneToOne()
{
    std::set<char16_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char16_t c = ansi::toUnicode(uchar(b));
        QVERIFY2(seen.insert(c).second, qPrintable(QString::number(b, 16)));
        QCOMPARE(ansi::fromUnicode(c), std::optional<uchar>(uchar(b)));
        QByteArray utf8;
        ansi::appendAsUtf8(QByteArray(1, char(b)), utf8);
        QCOMPARE(utf8, QString(QChar(c)).toUtf8());
    }
    QCOMPARE(ansi::toUnicode(0x98), char16_t(0x0098));
    QCOMPARE(ansi::toUnicode(0xA8), char16_t(0x0401)); // Ё
    QCOMPARE(ansi::toUnicode(0xFF), char16_t(0x044F)); // я
    QCOMPARE(ansi::fromUnicode(0x4E2D), std::nullopt);
}

void TestConversions::everyByteSequenceRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QCOMPARE(ansi::fromUtf16(ansi::toUtf16(all)), all);
    // Through the code-page functions too, which stop at the first zero byte.
    const QByteArray noZero = all.mid(1);
    QCOMPARE(UnicodeToCodePage(CodePageToUnicode(noZero, 0, 0), -1, 0), noZero);
}

void TestConversions::randomBytesDecodeTheSameAllWays()
{
    // Bytes biased towards UTF-8 lead and continuation bytes, so that valid and
    // ill-formed sequences of every length meet.
    QRandomGenerator rng(1251);
    static const uchar pool[] = {0x41, 0x80, 0x8f, 0x90, 0x9f, 0xa0, 0xbf, 0xc0, 0xc2, 0xd0,
                                 0xdf, 0xe0, 0xe1, 0xed, 0xef, 0xf0, 0xf1, 0xf4, 0xf5, 0xff};
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        const int n = rng.bounded(12);
        for (int i = 0; i < n; ++i)
            bytes.append(char(pool[rng.bounded(int(sizeof pool))]));
        const QString text = utf8::toUtf16(bytes);
        QByteArray sanitized;
        utf8::appendSanitized(bytes, sanitized);
        QCOMPARE(sanitized, utf8::fromUtf16(text));
        QCOMPARE(utf8::toUtf16(sanitized), text);
    }
}

void TestConversions::largeInputRoundTrips()
{
    // 16 MB of mixed one-, two-, three- and four-byte characters.
    const QByteArray piece = hex("41 d0 9f e2 84 96 f0 9f 98 80 20 2c");
    QByteArray big;
    big.reserve(16 << 20);
    while (big.size() < (16 << 20))
        big.append(piece);
    LineCodec codec;
    const QString text = codec.DecodeUTF8(QByteArrayView(big));
    QCOMPARE(text.size(), big.size() / piece.size() * 7);
    QCOMPARE(LineCodec::UnicodeToUTF8(text), big);
    QCOMPARE(UnicodeToCodePage(CodePageToUnicode(big, 1251, 0), 0, 0), big);
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
