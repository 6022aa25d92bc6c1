#include "app/Artwork.h"

#include <QBitmap>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <initializer_list>

namespace artwork {

namespace {

constexpr int cursorSide = 32;
constexpr QPoint fingertip(5, 0);

// The hand as one white shape on transparency, drawn without antialiasing so
// that every pixel is either in or out.
QImage handSilhouette()
{
    QImage image(cursorSide, cursorSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const QColor white(Qt::white);

    struct Finger
    {
        int left;
        int top;
    };
    // Index, middle, ring and little finger; neighbours share a column that
    // later becomes the line between them.
    for (const Finger f : {Finger{fingertip.x() - 1, fingertip.y()}, Finger{7, 5}, Finger{10, 6}, Finger{13, 8}}) {
        p.fillRect(f.left + 1, f.top, 2, 1, white);
        p.fillRect(f.left, f.top + 1, 4, 12 - f.top, white);
    }
    // The thumb, bent out to the left.
    p.fillRect(1, 10, 2, 1, white);
    p.fillRect(0, 11, 4, 3, white);
    p.fillRect(1, 14, 4, 1, white);
    p.fillRect(2, 15, 3, 1, white);
    p.fillRect(3, 16, 2, 1, white);
    // Palm and cuff.
    p.fillRect(4, 12, 13, 9, white);
    p.fillRect(5, 21, 11, 4, white);
    return image;
}

// Outlines the silhouette: a white pixel beside transparency turns black.
// The result has only black, white and transparent pixels.
QImage outlined(const QImage &silhouette)
{
    QImage image = silhouette;
    const auto opaque = [&silhouette](int x, int y) {
        return silhouette.rect().contains(x, y) && qAlpha(silhouette.pixel(x, y)) != 0;
    };
    for (int y = 0; y < silhouette.height(); ++y) {
        for (int x = 0; x < silhouette.width(); ++x) {
            if (opaque(x, y) && !(opaque(x - 1, y) && opaque(x + 1, y) && opaque(x, y - 1) && opaque(x, y + 1)))
                image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return image;
}

QImage handImage()
{
    QImage image = outlined(handSilhouette());
    QPainter p(&image);
    p.setPen(Qt::black);
    // Between the fingers, down to the knuckles.
    p.drawLine(7, 5, 7, 11);
    p.drawLine(10, 6, 10, 11);
    p.drawLine(13, 8, 13, 11);
    // Where the thumb meets the index finger, and the edge of the cuff.
    p.drawLine(4, 11, 4, 13);
    p.drawLine(5, 21, 15, 21);
    return image;
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

QPixmap canvas(QSize size, const QColor &background = Qt::transparent)
{
    QPixmap pixmap(size);
    pixmap.fill(background);
    return pixmap;
}

QLinearGradient verticalGradient(qreal top, qreal bottom, const QColor &from, const QColor &to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

QPen roundPen(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A television set showing a playlist, on a 48-unit grid. Small sizes drop
// the antenna and the list lines and zoom in on the set.
void paintTelevision(QPainter &p, int side)
{
    const bool detailed = side >= 24;
    const QRectF grid = detailed ? QRectF(0, 0, 48, 48) : QRectF(2, 6, 44, 44);
    p.scale(side / grid.width(), side / grid.height());
    p.translate(-grid.topLeft());
    p.setRenderHint(QPainter::Antialiasing);

    if (detailed) {
        p.setPen(roundPen(QColor(0x3b, 0x42, 0x4d), 2));
        p.drawLine(QPointF(24, 13), QPointF(16, 5));
        p.drawLine(QPointF(24, 13), QPointF(32, 5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe2, 0x4b, 0x3b));
        p.drawEllipse(QPointF(16, 5), 2, 2);
        p.drawEllipse(QPointF(32, 5), 2, 2);
    }

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2b, 0x31, 0x3a));
    p.drawPolygon(QPolygonF({QPointF(18, 39), QPointF(30, 39), QPointF(34, 44.5), QPointF(14, 44.5)}));

    const QRectF body(3, 12, 42, 29);
    p.setPen(QPen(QColor(0x14, 0x17, 0x1c), 1.2));
    p.setBrush(verticalGradient(body.top(), body.bottom(), QColor(0x63, 0x6d, 0x7c), QColor(0x25, 0x2a, 0x33)));
    p.drawRoundedRect(body, 5, 5);

    const QRectF screen(7, 16, 27, 21);
    p.setPen(Qt::NoPen);
    p.setBrush(verticalGradient(screen.top(), screen.bottom(), QColor(0x5c, 0xb0, 0xff), QColor(0x12, 0x3f, 0x9c)));
    p.drawRoundedRect(screen, 2.5, 2.5);

    p.setBrush(Qt::white);
    if (detailed) {
        p.drawPolygon(QPolygonF({QPointF(10.5, 19.5), QPointF(10.5, 26.5), QPointF(16, 23)}));
        p.setPen(roundPen(QColor(255, 255, 255, 230), 2.2));
        p.drawLine(QPointF(19, 21), QPointF(31, 21));
        p.drawLine(QPointF(19, 26.5), QPointF(28, 26.5));
        p.drawLine(QPointF(11, 32), QPointF(31, 32));
    } else {
        p.drawPolygon(QPolygonF({QPointF(16, 20), QPointF(16, 33), QPointF(27, 26.5)}));
    }

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.drawEllipse(QPointF(39.5, 20.5), 2.6, 2.6);
    p.setBrush(QColor(0x9a, 0xa3, 0xb0));
    p.drawEllipse(QPointF(39.5, 27.5), 2, 2);
    if (detailed) {
        p.setPen(roundPen(QColor(0x14, 0x17, 0x1c), 1.2));
        for (qreal y : {32.5, 35.0})
            p.drawLine(QPointF(37.5, y), QPointF(41.5, y));
    }
}

QPixmap television(int side)
{
    QPixmap pixmap = canvas(QSize(side, side));
    QPainter p(&pixmap);
    paintTelevision(p, side);
    return pixmap;
}

// A script sheet with a green check mark, on a 32-unit grid.
QPixmap fixSheet(int side)
{
    QPixmap pixmap = canvas(QSize(side, side));
    QPainter p(&pixmap);
    p.scale(side / 32.0, side / 32.0);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath sheet;
    sheet.moveTo(4.5, 1.5);
    sheet.lineTo(18.5, 1.5);
    sheet.lineTo(25.5, 8.5);
    sheet.lineTo(25.5, 30.5);
    sheet.lineTo(4.5, 30.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x5a, 0x63, 0x70), 1.4));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(0xd5, 0xdb, 0xe3));
    p.drawPolygon(QPolygonF({QPointF(18.5, 1.5), QPointF(18.5, 8.5), QPointF(25.5, 8.5)}));

    if (side >= 24) {
        p.setPen(roundPen(QColor(0x8a, 0x93, 0xa0), 2));
        p.drawLine(QPointF(8, 8), QPointF(15, 8));
        p.drawLine(QPointF(8, 13), QPointF(21, 13));
        p.drawLine(QPointF(8, 18), QPointF(13, 18));
    }

    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(verticalGradient(14, 32, QColor(0x5e, 0xd8, 0x5e), QColor(0x1b, 0x8a, 0x2e)));
    p.drawEllipse(QPointF(22.5, 22.5), 8.5, 8.5);
    p.setPen(roundPen(Qt::white, 2.8));
    p.drawPolyline(QPolygonF({QPointF(18.5, 22.5), QPointF(21.5, 25.8), QPointF(26.8, 19.2)}));
    return pixmap;
}

} // namespace

QCursor handCursor()
{
    const QImage image = handImage();
    const QBitmap bitmap = bitsWhere(image, [](QRgb pixel) { return pixel == qRgb(0, 0, 0); });
    const QBitmap mask = bitsWhere(image, [](QRgb pixel) { return qAlpha(pixel) != 0; });
    return QCursor(bitmap, mask, fingertip.x(), fingertip.y());
}

QIcon programIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48})
        icon.addPixmap(television(side));
    return icon;
}

QPixmap programPicture()
{
    return television(48);
}

QPixmap playlistSiteLogo(QSize size)
{
    QPixmap pixmap = canvas(size, Qt::black);
    QPainter p(&pixmap);
    p.scale(size.width() / 72.0, size.height() / 63.0);
    p.setRenderHint(QPainter::Antialiasing);

    // A broadcast over a playlist card.
    const QPointF source(36, 25);
    p.setBrush(Qt::NoBrush);
    int alpha = 255;
    for (qreal radius : {6.0, 11.0, 16.0}) {
        p.setPen(roundPen(QColor(0xff, 0xb3, 0x47, alpha), 2.4));
        p.drawArc(QRectF(source.x() - radius, source.y() - radius, 2 * radius, 2 * radius), 45 * 16, 90 * 16);
        alpha -= 60;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xb3, 0x47));
    p.drawEllipse(source, 2.5, 2.5);

    const QRectF card(9, 29, 54, 29);
    p.setBrush(verticalGradient(card.top(), card.bottom(), QColor(0xff, 0x8c, 0x3a), QColor(0xd9, 0x3a, 0x2b)));
    p.drawRoundedRect(card, 6, 6);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(16, 35.5), QPointF(16, 51.5), QPointF(28, 43.5)}));
    p.setPen(roundPen(Qt::white, 3));
    p.drawLine(QPointF(34, 36), QPointF(55, 36));
    p.drawLine(QPointF(34, 43.5), QPointF(50, 43.5));
    p.drawLine(QPointF(34, 51), QPointF(55, 51));
    return pixmap;
}

QPixmap authorLogo(QSize size)
{
    QPixmap pixmap = canvas(size, Qt::black);
    QPainter p(&pixmap);
    p.scale(size.width() / 73.0, size.height() / 67.0);
    p.setRenderHint(QPainter::Antialiasing);

    // A hexagonal badge with the sign of source code: the author writes
    // programs.
    const QPointF centre(36.5, 33.5);
    const qreal radius = 30;
    const qreal halfWidth = radius * 0.8660254;
    const QPolygonF hexagon({centre + QPointF(0, -radius), centre + QPointF(halfWidth, -radius / 2),
                             centre + QPointF(halfWidth, radius / 2), centre + QPointF(0, radius),
                             centre + QPointF(-halfWidth, radius / 2), centre + QPointF(-halfWidth, -radius / 2)});
    p.setPen(QPen(QColor(255, 255, 255, 90), 1.5));
    p.setBrush(verticalGradient(centre.y() - radius, centre.y() + radius, QColor(0x36, 0xd1, 0xc4), QColor(0x1e, 0x5f, 0xd0)));
    p.drawPolygon(hexagon);

    p.setPen(roundPen(Qt::white, 4));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(27, 24), QPointF(18.5, 33.5), QPointF(27, 43)}));
    p.drawPolyline(QPolygonF({QPointF(46, 24), QPointF(54.5, 33.5), QPointF(46, 43)}));
    p.drawLine(QPointF(40, 21.5), QPointF(33, 45.5));
    return pixmap;
}

QIcon fixIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32})
        icon.addPixmap(fixSheet(side));
    return icon;
}

} // namespace artwork
