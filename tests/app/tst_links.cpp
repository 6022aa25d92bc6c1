#include "app/Links.h"
#include "common/UrlRecorder.h"
#include "common/WindowDriver.h"

#include <QAction>

#include <QDesktopServices>
#include <QTest>

class TestLinks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opensItsPage_data();
    void opensItsPage();
    void mainWindowEntries_data();
    void mainWindowEntries();

private:
    UrlRecorder m_browser;
};

void TestLinks::init()
{
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_browser, "open");
}

void TestLinks::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    m_browser.urls.clear();
}

void TestLinks::opensItsPage_data()
{
    QTest::addColumn<Link>("link");
    QTest::addColumn<QUrl>("address");

    QTest::addRow("author-home") << Link::AuthorHome << QUrl("https://author.example/");
    QTest::addRow("author-game-programs") << Link::AuthorGamePrograms << QUrl("https://author.example/gameprograms");
    QTest::addRow("author-programs") << Link::AuthorPrograms << QUrl("https://author.example/programs");
    QTest::addRow("playlist-site-home") << Link::PlaylistSiteHome << QUrl("https://brovane.example/");
    QTest::addRow("playlist-site-iptv") << Link::PlaylistSiteIptv << QUrl("https://brovane.example/iptv");
    QTest::addRow("playlist-site-unblock") << Link::PlaylistSiteUnblock << QUrl("https://brovane.example/unblock");
    QTest::addRow("author-messenger") << Link::AuthorMessenger << QUrl("https://messenger.example/kelvaro");
}

void TestLinks::opensItsPage()
{
    QFETCH(Link, link);
    QFETCH(QUrl, address);

    QCOMPARE(linkAddress(link), address);
    openLink(link);
    QCOMPARE(m_browser.urls, QList<QUrl>{address});
}

void TestLinks::mainWindowEntries_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QUrl>("address");

    QTest::addRow("A4") << "A4" << QUrl("https://author.example/");
    QTest::addRow("A6") << "A6" << QUrl("https://author.example/gameprograms");
    QTest::addRow("A7") << "A7" << QUrl("https://author.example/programs");
    QTest::addRow("A11") << "A11" << QUrl("https://brovane.example/");
    QTest::addRow("A12") << "A12" << QUrl("https://brovane.example/iptv");
    QTest::addRow("razban") << "razban" << QUrl("https://brovane.example/unblock");
    QTest::addRow("Image1") << "Image1" << QUrl("https://brovane.example/");
    QTest::addRow("Image2") << "Image2" << QUrl("https://author.example/");
}

void TestLinks::mainWindowEntries()
{
    QFETCH(QString, control);
    QFETCH(QUrl, address);
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    if (auto action = driver.window().findChild<QAction *>(control))
        action->trigger();
    else
        QTest::mouseClick(driver.control(qPrintable(control)), Qt::LeftButton);
    QCOMPARE(m_browser.urls, QList<QUrl>{address});
    QCOMPARE(driver.takeMessages(), QStringList());
}

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
