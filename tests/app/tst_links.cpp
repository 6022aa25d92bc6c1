#include "app/Links.h"

#include <QDesktopServices>
#include <QTest>

// Stands in for the browser: the program's "open" lands here.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class TestLinks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opensItsPage_data();
    void opensItsPage();

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

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
