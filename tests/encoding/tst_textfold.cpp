#include "common/TestSupport.h"
#include "encoding/TextFold.h"

#include <QRandomGenerator>
#include <QTest>

using testsupport::hex;

class TestTextFold : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void folded_data();
    void folded();
    void sameAsQtFolding();
};

void TestTextFold::folded_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::addRow("empty") << QByteArray() << QByteArray();
    QTest::addRow("latin") << QByteArray("Discovery HD [Geo-blocked]") << QByteArray("discovery hd [geo-blocked]");
    QTest::addRow("russian") << QByteArray("ПЕРВЫЙ Канал") << QByteArray("первый канал");
    QTest::addRow("yo-as-ye") << QByteArray("Ёлки ёж") << QByteArray("елки еж");
    QTest::addRow("ukrainian") << QByteArray("ІЇЄҐ") << QByteArray("іїєґ");
    QTest::addRow("greek") << QByteArray("ΣΩ") << QByteArray("σω");
    QTest::addRow("three-byte") << QByteArray("Ⓢ №1") << QByteArray("ⓢ №1");
    QTest::addRow("four-byte") << QByteArray("\xF0\x90\x90\x80") << QByteArray("\xF0\x90\x90\xA8"); // Deseret Ѐ
    QTest::addRow("ill-formed") << hex("41 ff d0") << hex("61 ef bf bd ef bf bd");
    QTest::addRow("zero-byte-kept") << QByteArray("A\0B", 3) << QByteArray("a\0b", 3);
}

void TestTextFold::folded()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(textFold::folded(text), expected);
    QCOMPARE(textFold::folded(expected), expected);
}

// The tables give what Qt's folding gives, «ё» aside.
void TestTextFold::sameAsQtFolding()
{
    QRandomGenerator random(7);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        for (int i = 0; i < 8; ++i) {
            const char32_t c = round % 2 ? 0x400 + random.bounded(0x80) : 0x20 + random.bounded(0x2FE0);
            if (c < 0xD800 || c > 0xDFFF)
                text += QChar(char16_t(c));
        }
        QString expected = text.toCaseFolded();
        expected.replace(QChar(0x451), QChar(0x435));
        QCOMPARE(QString::fromUtf8(textFold::folded(text.toUtf8())), expected);
    }
}

QTEST_GUILESS_MAIN(TestTextFold)
#include "tst_textfold.moc"
