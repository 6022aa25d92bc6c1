#include "app/Artwork.h"

#include <QBitmap>
#include <QImage>
#include <QTest>

#include <vector>

namespace {

struct CursorPixels
{
    QImage bitmap;
    QImage mask;

    [[nodiscard]] bool opaque(int x, int y) const
    {
        return mask.rect().contains(x, y) && mask.pixel(x, y) == QColor(Qt::black).rgb();
    }
    [[nodiscard]] bool black(int x, int y) const { return opaque(x, y) && bitmap.pixel(x, y) == QColor(Qt::black).rgb(); }
    [[nodiscard]] bool white(int x, int y) const { return opaque(x, y) && !black(x, y); }
};

CursorPixels cursorPixels(const QCursor &cursor)
{
    return {cursor.bitmap().toImage().convertToFormat(QImage::Format_RGB32),
            cursor.mask().toImage().convertToFormat(QImage::Format_RGB32)};
}

int opaquePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) != 0;
    return count;
}

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void handCursorPointsWithItsFingertip();
    void handCursorIsOneOutlinedShape();
    void handCursorFileHasOnlyItsTwoColours();
    void programPictureFitsTheAboutBox();
    void iconSizes_data();
    void iconSizes();
    void logos_data();
    void logos();
};

void TestArtwork::handCursorPointsWithItsFingertip()
{
    const QCursor cursor = artwork::handCursor();
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(5, 0));
    const CursorPixels pixels = cursorPixels(cursor);
    QCOMPARE(pixels.bitmap.size(), QSize(32, 32));
    QCOMPARE(pixels.mask.size(), QSize(32, 32));
    QVERIFY2(pixels.black(5, 0), "the hot spot must be on the black tip of the finger");
}

// Every white pixel is surrounded by the shape, so the black outline is
// closed, and every drawn pixel belongs to the one hand.
void TestArtwork::handCursorIsOneOutlinedShape()
{
    const CursorPixels pixels = cursorPixels(artwork::handCursor());
    int black = 0;
    int white = 0;
    int opaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            black += pixels.black(x, y);
            opaque += pixels.opaque(x, y);
            if (!pixels.white(x, y))
                continue;
            ++white;
            QVERIFY2(pixels.opaque(x - 1, y) && pixels.opaque(x + 1, y) && pixels.opaque(x, y - 1) && pixels.opaque(x, y + 1),
                     qPrintable(QStringLiteral("white pixel (%1, %2) touches the transparent area").arg(x).arg(y)));
        }
    }
    QVERIFY(black > 0);
    QVERIFY(white > black / 2);

    std::vector<QPoint> stack{QPoint(5, 0)};
    QSet<int> reached{5};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const QPoint n = p + QPoint(dx, dy);
                if (pixels.opaque(n.x(), n.y()) && !reached.contains(n.y() * 32 + n.x())) {
                    reached.insert(n.y() * 32 + n.x());
                    stack.push_back(n);
                }
            }
        }
    }
    QCOMPARE(reached.size(), opaque);
}

// The cursor keeps only black and white; a grey or half-transparent pixel in
// the file would silently turn into one of them.
void TestArtwork::handCursorFileHasOnlyItsTwoColours()
{
    const QImage image = QImage(QStringLiteral(":/artwork/cursors/hand.png")).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(32, 32));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            QVERIFY2(pixel == qRgb(0, 0, 0) || pixel == qRgb(255, 255, 255) || qAlpha(pixel) == 0,
                     qPrintable(QStringLiteral("pixel (%1, %2) is #%3").arg(x).arg(y).arg(pixel, 8, 16, QLatin1Char('0'))));
        }
    }
}

// The about window's picture box is 44 pixels high and centres the picture:
// the top and bottom two rows are cut off.
void TestArtwork::programPictureFitsTheAboutBox()
{
    const QImage image = artwork::programPicture().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(48, 48));
    for (int y : {0, 1, 46, 47}) {
        for (int x = 0; x < image.width(); ++x)
            QVERIFY2(qAlpha(image.pixel(x, y)) == 0, qPrintable(QStringLiteral("row %1 is drawn on").arg(y)));
    }
    QVERIFY(opaquePixels(image) > 48 * 48 / 4);
}

void TestArtwork::iconSizes_data()
{
    QTest::addColumn<QIcon>("icon");
    QTest::addColumn<QList<int>>("sides");

    QTest::addRow("program") << artwork::programIcon() << QList<int>{16, 24, 32, 48, 64, 128, 256};
    QTest::addRow("fix") << artwork::fixIcon() << QList<int>{16, 24, 32};
}

void TestArtwork::iconSizes()
{
    QFETCH(QIcon, icon);
    QFETCH(QList<int>, sides);

    QList<QSize> expected;
    for (int side : sides)
        expected << QSize(side, side);
    QCOMPARE(icon.availableSizes(), expected);
    for (const QSize size : expected) {
        const QImage image = icon.pixmap(size).toImage();
        QCOMPARE(image.size(), size);
        QVERIFY2(opaquePixels(image) > size.width() * size.height() / 4, "an icon must show a picture");
        QVERIFY2(opaquePixels(image) < size.width() * size.height(), "an icon is not a square block");
    }
}

void TestArtwork::logos_data()
{
    QTest::addColumn<QPixmap>("logo");
    QTest::addColumn<QSize>("size");

    QTest::addRow("playlist-site") << artwork::playlistSiteLogo(QSize(72, 63)) << QSize(72, 63);
    QTest::addRow("author") << artwork::authorLogo(QSize(73, 67)) << QSize(73, 67);
    QTest::addRow("playlist-site-twice-as-big") << artwork::playlistSiteLogo(QSize(144, 126)) << QSize(144, 126);
}

// The logos sit on the main window's black background without a visible
// edge, and show something on it.
void TestArtwork::logos()
{
    QFETCH(QPixmap, logo);
    QFETCH(QSize, size);

    const QImage image = logo.toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), size);
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            QCOMPARE(qAlpha(pixel), 255);
            const bool border = x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1;
            if (border)
                QCOMPARE(pixel, qRgb(0, 0, 0));
            coloured += pixel != qRgb(0, 0, 0);
        }
    }
    QVERIFY(coloured > image.width() * image.height() / 5);
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
