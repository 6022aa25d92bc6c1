#include "app/Links.h"

#include <QDesktopServices>

QUrl linkAddress(Link link)
{
    switch (link) {
    case Link::AuthorHome:
        return QUrl(QStringLiteral("https://author.example/"));
    case Link::AuthorGamePrograms:
        return QUrl(QStringLiteral("https://author.example/gameprograms"));
    case Link::AuthorPrograms:
        return QUrl(QStringLiteral("https://author.example/programs"));
    case Link::PlaylistSiteHome:
        return QUrl(QStringLiteral("https://brovane.example/"));
    case Link::PlaylistSiteIptv:
        return QUrl(QStringLiteral("https://brovane.example/iptv"));
    case Link::PlaylistSiteUnblock:
        return QUrl(QStringLiteral("https://brovane.example/unblock"));
    case Link::AuthorMessenger:
        return QUrl(QStringLiteral("https://messenger.example/kelvaro"));
    }
    return {};
}

void openLink(Link link)
{
    (void)QDesktopServices::openUrl(linkAddress(link));
}
