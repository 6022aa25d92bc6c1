#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>

// The program's pictures, read from the files in resources/ that are compiled
// into it.
namespace artwork {

// The pointing hand over clickable pictures and links: 32 x 32, black outline
// on white, hot spot at the fingertip (5, 0).
[[nodiscard]] QCursor handCursor();

// The window icon: a television set showing a playlist; 16, 24, 32, 48, 64,
// 128 and 256 pixels square, the same files the desktop menus get.
[[nodiscard]] QIcon programIcon();

// The same set at 48 x 48 for the about window, drawn inside the middle 44
// rows so that a picture box 44 pixels high shows all of it.
[[nodiscard]] QPixmap programPicture();

// The main window's two logos on its black background: the playlist site's
// (left) and the author's (right), scaled to the size asked for.
[[nodiscard]] QPixmap playlistSiteLogo(QSize size);
[[nodiscard]] QPixmap authorLogo(QSize size);

// The fix window's icon: a script sheet with a check mark; 16, 24 and 32
// pixels square.
[[nodiscard]] QIcon fixIcon();

} // namespace artwork
