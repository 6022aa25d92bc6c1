#include "app/Artwork.h"

#include <QBitmap>
#include <QImage>

#include <initializer_list>

namespace artwork {

namespace {

constexpr QPoint fingertip(5, 0);

QString resource(const QString &name)
{
    return QStringLiteral(":/artwork/") + name;
}

// A bitmap with the bits set (Qt::color1) where the image's pixel passes the
// test; the cursor reads set bits as black in the bitmap and opaque in the mask.
template<class Test>
QBitmap bitsWhere(const QImage &image, Test test)
{
    QImage bits(image.size(), QImage::Format_MonoLSB);
    bits.setColorTable({QColor(Qt::color0).rgb(), QColor(Qt::color1).rgb()});
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            bits.setPixel(x, y, test(image.pixel(x, y)) ? 1 : 0);
    }
    return QBitmap::fromImage(bits);
}

// <stem>-<side>.png for every side; the files are read when a size is first
// drawn.
QIcon iconSet(const QString &stem, std::initializer_list<int> sides)
{
    QIcon icon;
    for (int side : sides)
        icon.addFile(resource(QStringLiteral("%1-%2.png").arg(stem).arg(side)), QSize(side, side));
    return icon;
}

QPixmap scaledTo(const QString &name, QSize size)
{
    const QPixmap pixmap(resource(name));
    if (pixmap.isNull() || pixmap.size() == size)
        return pixmap;
    return pixmap.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

// The file holds black, white and transparency only; a bitmap cursor shows it
// in exactly those two colours on every platform.
QCursor handCursor()
{
    const QImage image = QImage(resource(QStringLiteral("cursors/hand.png"))).convertToFormat(QImage::Format_ARGB32);
    const QBitmap bitmap = bitsWhere(image, [](QRgb pixel) { return qAlpha(pixel) != 0 && qGray(pixel) < 128; });
    const QBitmap mask = bitsWhere(image, [](QRgb pixel) { return qAlpha(pixel) != 0; });
    return QCursor(bitmap, mask, fingertip.x(), fingertip.y());
}

QIcon programIcon()
{
    return iconSet(QStringLiteral("icons/kelvaro"), {16, 24, 32, 48, 64, 128, 256});
}

QPixmap programPicture()
{
    return QPixmap(resource(QStringLiteral("icons/kelvaro-48.png")));
}

QPixmap playlistSiteLogo(QSize size)
{
    return scaledTo(QStringLiteral("logos/playlist-site.png"), size);
}

QPixmap authorLogo(QSize size)
{
    return scaledTo(QStringLiteral("logos/author.png"), size);
}

QIcon fixIcon()
{
    return iconSet(QStringLiteral("fix/fix"), {16, 24, 32});
}

} // namespace artwork
