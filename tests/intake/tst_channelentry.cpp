#include "intake/ChannelEntry.h"

#include <QTest>

// The attributes of an entry line, as the groups, the matching of a
// previous playlist and the save read them.
class TestChannelEntry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void attributeValue_data();
    void attributeValue();
};

void TestChannelEntry::attributeValue_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("value");

    const QByteArray group = "group-title";
    QTest::addRow("quoted") << QByteArray("#EXTINF:-1 tvg-id=\"5\" group-title=\"Кино\" tvg-logo=\"k\",Фильм") << group
                            << true << QByteArray("Кино");
    QTest::addRow("quoted-with-comma-and-hash") << QByteArray("#EXTINF:-1 group-title=\"Новости, #1\",N") << group
                                                << true << QByteArray("Новости, #1");
    QTest::addRow("empty-quoted") << QByteArray("#EXTINF:-1 group-title=\"\",N") << group << true << QByteArray();
    QTest::addRow("unquoted") << QByteArray("#EXTINF:-1 group-title=Кино tvg-logo=k,Фильм") << group << true
                              << QByteArray("Кино");
    QTest::addRow("unquoted-before-comma") << QByteArray("#EXTINF:-1 group-title=Кино,Фильм") << group << true
                                           << QByteArray("Кино");
    QTest::addRow("without-comma") << QByteArray("#EXTINF:-1 group-title=G") << group << true << QByteArray("G");
    QTest::addRow("first-of-two") << QByteArray("#EXTINF:-1 group-title=\"A\" group-title=B,N") << group << true
                                  << QByteArray("A");
    QTest::addRow("after-quoted-commas") << QByteArray("#EXTINF:-1 ua=\"(KHTML, like Gecko)\" group-title=\"A,B\",N")
                                         << group << true << QByteArray("A,B");
    QTest::addRow("tvg-id-with-feed") << QByteArray("#EXTINF:-1 tvg-id=\"Rossiya1.ru@SD\",Россия 1") << QByteArray("tvg-id")
                                      << true << QByteArray("Rossiya1.ru@SD");
    QTest::addRow("absent") << QByteArray("#EXTINF:-1 tvg-id=\"5\",N") << group << false << QByteArray();
    QTest::addRow("no-blank-before") << QByteArray("#EXTINF:-1;group-title=G,N") << group << false << QByteArray();
    QTest::addRow("longer-key") << QByteArray("#EXTINF:-1 my-group-title=G,N") << group << false << QByteArray();
    QTest::addRow("inside-quotes") << QByteArray("#EXTINF:-1 tvg-name=\"a group-title=b\",N") << group << false
                                   << QByteArray();
    QTest::addRow("in-the-name") << QByteArray("#EXTINF:-1,N group-title=G") << group << false << QByteArray();
    QTest::addRow("unclosed-quote") << QByteArray("#EXTINF:-1 group-title=\"A x=1,N") << group << false << QByteArray();
    QTest::addRow("empty-line") << QByteArray() << group << false << QByteArray();
}

void TestChannelEntry::attributeValue()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, key);
    QFETCH(bool, found);
    QFETCH(QByteArray, value);
    const std::optional<QByteArrayView> got = channelEntry::attributeValue(line, key);
    QCOMPARE(got.has_value(), found);
    if (found)
        QCOMPARE(got->toByteArray(), value);
}

QTEST_GUILESS_MAIN(TestChannelEntry)
#include "tst_channelentry.moc"
