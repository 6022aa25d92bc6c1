#pragma once

#include <QUrl>

// Every web page the program opens. The addresses live here and nowhere else.
enum class Link {
    AuthorHome,
    AuthorGamePrograms,
    AuthorPrograms,
    PlaylistSiteHome,
    PlaylistSiteIptv,
    PlaylistSiteUnblock,
    AuthorMessenger,
};

[[nodiscard]] QUrl linkAddress(Link link);

// Hands the page to the default browser. Whether that worked is not our
// business: a missing browser or network is not reported.
void openLink(Link link);
