#include "common/TestSupport.h"
#include "encoding/EncodingGuess.h"

#include <QTest>

using testsupport::hex;

Q_DECLARE_METATYPE(std::optional<InputMode>)

class TestEncodingGuess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mode_data();
    void mode();
    void sameInAnyPieces_data() { mode_data(); }
    void sameInAnyPieces();
};

namespace {

const std::optional<InputMode> utf8Mode = InputMode::Utf8;
const std::optional<InputMode> ansiMode = InputMode::Ansi;
const std::optional<InputMode> modeStays = std::nullopt;

EncodingGuess guessOf(const QList<QByteArrayView> &pieces)
{
    EncodingGuess guess;
    for (QByteArrayView piece : pieces)
        guess.feed(piece);
    guess.finish();
    return guess;
}

} // namespace

void TestEncodingGuess::mode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::optional<InputMode>>("expected");

    QTest::addRow("empty") << QByteArray() << modeStays;
    QTest::addRow("one-ascii-byte") << QByteArray("#") << modeStays;
    QTest::addRow("ascii-playlist") << QByteArray("#EXTM3U\n#EXTINF:-1,News\nhttp://a/b\n") << modeStays;
    QTest::addRow("zero-bytes") << hex("00 41 00 00 0a") << modeStays;
    // A byte that starts a character the file does not finish.
    QTest::addRow("one-lead-byte") << hex("d0") << ansiMode;
    QTest::addRow("one-high-byte") << hex("cf") << ansiMode;
    QTest::addRow("mark-alone") << hex("ef bb bf") << utf8Mode;
    // The mark decides even over Windows-1251 bytes after it: При
    QTest::addRow("mark-then-cp1251") << hex("ef bb bf cf f0 e8") << utf8Mode;
    // A mark past the start is one valid character among six bad: A\uFEFFПривет
    QTest::addRow("mark-not-at-start") << hex("41 ef bb bf cf f0 e8 e2 e5 f2") << ansiMode;
    // Первый канал
    QTest::addRow("utf8-cyrillic") << hex("d0 9f d0 b5 d1 80 d0 b2 d1 8b d0 b9 20 d0 ba d0 b0 d0 bd d0 b0 d0 bb")
                                   << utf8Mode;
    QTest::addRow("cp1251-cyrillic") << hex("cf e5 f0 e2 fb e9 20 ea e0 ed e0 eb") << ansiMode;
    // Кіно: "Кі" happens to be valid UTF-8 (U+02B3), "но" is not.
    QTest::addRow("cp1251-with-a-valid-pair") << hex("ca b3 ed ee") << ansiMode;
    // The pair alone is all the file says.
    QTest::addRow("cp1251-only-a-valid-pair") << hex("ca b3") << utf8Mode;
    // Ten letters of UTF-8 and one bad byte: a damaged UTF-8 list.
    QTest::addRow("utf8-one-broken-ten-to-one") << hex("d0 b0 d0 b1 d0 b2 d0 b3 d0 b4 d0 b5 d0 b6 d0 b7 d0 b8 d0 b9 ff")
                                                << utf8Mode;
    QTest::addRow("utf8-one-broken-nine-to-one") << hex("d0 b0 d0 b1 d0 b2 d0 b3 d0 b4 d0 b5 d0 b6 d0 b7 d0 b8 ff")
                                                 << ansiMode;
    // Первый in Windows-1251 beside Дом in UTF-8.
    QTest::addRow("cp1251-with-one-utf8-name") << hex("cf e5 f0 e2 fb e9 0a d0 94 d0 be d0 bc") << ansiMode;
    QTest::addRow("utf8-cut-at-the-end") << hex("d0 9f d1") << ansiMode;
    QTest::addRow("overlong") << hex("c0 80") << ansiMode;
    QTest::addRow("surrogate") << hex("ed a0 80") << ansiMode;
    QTest::addRow("four-byte-character") << hex("f0 9f 93 ba") << utf8Mode;
    QTest::addRow("zero-byte-inside-utf8") << hex("d0 9f 00 d1 80") << utf8Mode;
}

void TestEncodingGuess::mode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::optional<InputMode>, expected);
    QCOMPARE(guessOf({bytes}).mode(), expected);
}

// Byte by byte, and cut in two at every place: the same counts.
void TestEncodingGuess::sameInAnyPieces()
{
    QFETCH(QByteArray, bytes);
    const EncodingGuess whole = guessOf({bytes});
    QList<QByteArrayView> bytewise;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytewise.append(QByteArrayView(bytes).sliced(i, 1));
    QList<QList<QByteArrayView>> ways{bytewise};
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut)
        ways.append({QByteArrayView(bytes).first(cut), QByteArrayView(bytes).sliced(cut)});
    for (const QList<QByteArrayView> &pieces : ways) {
        const EncodingGuess guess = guessOf(pieces);
        QCOMPARE(guess.validSequences(), whole.validSequences());
        QCOMPARE(guess.invalidSequences(), whole.invalidSequences());
        QCOMPARE(guess.hasByteOrderMark(), whole.hasByteOrderMark());
    }
}

QTEST_GUILESS_MAIN(TestEncodingGuess)
#include "tst_encodingguess.moc"
