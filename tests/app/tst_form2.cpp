#include "app/Form2.h"
#include "app/SingleWindow.h"
#include "app/Twips.h"
#include "common/MouseMover.h"
#include "common/UrlRecorder.h"
#include "common/Windows.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace {

const QColor white(255, 255, 255);
const QColor black(0, 0, 0);
const QColor blue(0, 0, 192);
const QString sans = QStringLiteral("MS Sans Serif");
const QString serif = QStringLiteral("Times New Roman");

// Where the mouse goes for a control: the middle of a label or picture, a
// spot of the frame that no label covers, a spot of the panel outside the
// frame.
QPoint spotOf(QWidget *control)
{
    if (control->objectName() == u"Frame1")
        return QPoint(control->width() / 2, twips::toPixels(1800));
    if (control->objectName() == u"Picture1")
        return QPoint(4, control->height() / 2);
    return control->rect().center();
}

bool underlined(const Form2 &form, const char *name)
{
    auto label = form.findChild<QLabel *>(QLatin1String(name));
    return label && label->font().underline();
}

} // namespace

class TestForm2 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void window();
    void opensCentredOverItsOwner();
    void controls_data();
    void controls();
    void textsFitTheirLabels();
    void pictureShowsWhole();
    void linksShowTheHand();
    void hover_data();
    void hover();
    void reopenedWindowStartsPlain();
    void clicks_data();
    void clicks();
    void pressOnLinkReleasedElsewhereIsNoClick();
    void doubleClickOnLinkOpensOnce();
    void showSingleKeepsOneWindow();

private:
    [[nodiscard]] QPointer<Form2> openForm();
    UrlRecorder m_browser;
    std::unique_ptr<testsupport::MouseMover> m_mouse;
    std::unique_ptr<QWidget> m_main;
};

void TestForm2::init()
{
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_browser, "open");
    m_mouse = std::make_unique<testsupport::MouseMover>();
    m_main = std::make_unique<QWidget>();
    m_main->setGeometry(200, 150, 723, 389);
}

void TestForm2::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    m_browser.urls.clear();
    m_mouse.reset();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<Form2 *>(window))
            delete window;
    }
    m_main.reset();
}

QPointer<Form2> TestForm2::openForm()
{
    QPointer<Form2> form = new Form2(m_main.get());
    form->show();
    if (!QTest::qWaitForWindowExposed(form))
        return nullptr;
    return form;
}

void TestForm2::window()
{
    Form2 form;
    QCOMPARE(form.windowTitle(), QStringLiteral("О программе"));
    testsupport::verifyFixedDialog(form, QSize(306, 190));
    if (QTest::currentTestFailed())
        return;
    QVERIFY(form.isWindow());
    QCOMPARE(form.parentWidget(), nullptr);
    QVERIFY(form.testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.palette().color(QPalette::Window), white);
}

void TestForm2::opensCentredOverItsOwner()
{
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    Form2 form(m_main.get());
    QVERIFY((form.frameGeometry().center() - m_main->frameGeometry().center()).manhattanLength() <= 1);
    QCOMPARE(form.parentWidget(), nullptr);
}

void TestForm2::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<QColor>("textColour");
    QTest::addColumn<bool>("whiteBackground");

    const auto row = [](const char *name, const char *parent, const char *className, QRect place, const QString &text,
                        const QString &family, qreal size, QColor colour, bool filled) {
        QTest::addRow("%s", name) << QString::fromLatin1(name) << QString::fromLatin1(parent) << QString::fromLatin1(className)
                                  << place << text << family << size << colour << filled;
    };
    row("Picture1", "Form2", "QWidget", twips::rect(0, 0, 4560, 3000), {}, sans, 8, black, true);
    row("Frame1", "Picture1", "QFrame", twips::rect(150, 75, 4290, 2610), {}, sans, 8, black, true);
    row("Picture2", "Frame1", "QLabel", twips::rect(120, 195, 735, 660), {}, sans, 8, black, true);
    row("Label1", "Frame1", "QLabel", twips::rect(975, 285, 3135, 255), "Программа Kelvaro предназначена", sans, 8, black, true);
    row("Label2", "Frame1", "QLabel", twips::rect(975, 540, 2880, 255), "для создания и сортировки своего", sans, 8, black, true);
    row("Label3", "Frame1", "QLabel", twips::rect(975, 810, 2460, 240), "собственного плейлиста IPTV.", sans, 8, black, true);
    row("Label8", "Frame1", "QLabel", twips::rect(165, 1110, 2760, 210), "Скачайте готовый плейлист с сайта", sans, 8, black, true);
    row("Label5", "Frame1", "QLabel", twips::rect(2985, 1110, 1125, 240), "Brovane", sans, 8, blue, true);
    row("Label6", "Frame1", "QLabel", twips::rect(165, 1365, 3150, 210), "и настройте его за пару кликов мышкой.", sans, 8, black, true);
    row("Label9", "Frame1", "QLabel", twips::rect(195, 1995, 1290, 225), "author.example", serif, 8.25, blue, false);
    row("Label4", "Frame1", "QLabel", twips::rect(2670, 2025, 1425, 285), "© Автор Kelvaro", serif, 8.25, black, true);
    row("Label11", "Frame1", "QLabel", twips::rect(195, 2250, 2100, 225), "messenger.example/kelvaro", serif, 8.25, blue, false);
    row("Label7", "Frame1", "QLabel", twips::rect(3015, 2250, 1170, 240), "Всего доброго!", serif, 8.25, black, true);
    row("Label10", "Frame1", "QLabel", twips::rect(3330, 1365, 600, 210), "", sans, 8, black, true);
}

void TestForm2::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QString, className);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(qreal, pointSize);
    QFETCH(QColor, textColour);
    QFETCH(bool, whiteBackground);

    Form2 form;
    auto control = form.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), place);
    if (auto label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->text(), text);
        QVERIFY(!label->font().underline());
    }
    QCOMPARE(control->font().families().value(0), family);
    QCOMPARE(control->font().pointSizeF(), pointSize);
    QCOMPARE(control->palette().color(QPalette::WindowText), textColour);
    QCOMPARE(control->autoFillBackground(), whiteBackground);
    QCOMPARE(control->palette().color(QPalette::Window), white);
}

// The free texts were chosen to fit; a longer one would be cut off.
void TestForm2::textsFitTheirLabels()
{
    Form2 form;
    const QList<QLabel *> labels = form.findChildren<QLabel *>(QRegularExpression(QStringLiteral("^Label")));
    QCOMPARE(labels.size(), 11);
    for (const QLabel *label : labels) {
        const QFontMetrics metrics(label->font());
        const int width = metrics.horizontalAdvance(label->text());
        QVERIFY2(width <= label->width(), qPrintable(QStringLiteral("%1: %2 of %3 pixels")
                                                         .arg(label->objectName()).arg(width).arg(label->width())));
        QVERIFY2(metrics.height() <= label->height(), qPrintable(label->objectName()));
        QVERIFY2(label->geometry().right() < label->parentWidget()->contentsRect().right(), qPrintable(label->objectName()));
    }
}

// The picture is centred in a box lower than itself; nothing of the drawing
// may fall into the rows the box cuts off.
void TestForm2::pictureShowsWhole()
{
    Form2 form;
    auto box = form.findChild<QLabel *>(QStringLiteral("Picture2"));
    QVERIFY(box);
    const QImage picture = box->pixmap().toImage();
    QCOMPARE(picture.size(), QSize(48, 48));
    const QRect shown = QRect(QPoint(), picture.size())
                            .intersected(QRect((picture.width() - box->width()) / 2, (picture.height() - box->height()) / 2,
                                               box->width(), box->height()));
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(picture.pixel(x, y)) != 0)
                QVERIFY2(shown.contains(x, y), qPrintable(QStringLiteral("pixel (%1, %2) is cut off").arg(x).arg(y)));
        }
    }
}

void TestForm2::linksShowTheHand()
{
    Form2 form;
    for (QLabel *label : form.findChildren<QLabel *>()) {
        const bool link = QStringList{"Label5", "Label9", "Label11"}.contains(label->objectName());
        QCOMPARE(label->testAttribute(Qt::WA_SetCursor), link);
        if (link) {
            QCOMPARE(label->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(label->cursor().hotSpot(), QPoint(5, 0));
        }
    }
}

void TestForm2::hover_data()
{
    QTest::addColumn<QStringList>("moves");
    QTest::addColumn<bool>("label5");
    QTest::addColumn<bool>("label9");
    QTest::addColumn<bool>("label11");

    using L = QStringList;
    QTest::addRow("no-move") << L{} << false << false << false;
    QTest::addRow("label5") << L{"Label5"} << true << false << false;
    QTest::addRow("label9") << L{"Label9"} << false << true << false;
    QTest::addRow("label11") << L{"Label11"} << false << false << true;
    QTest::addRow("label9-then-label11") << L{"Label9", "Label11"} << false << false << true;
    QTest::addRow("label11-then-label9") << L{"Label11", "Label9"} << false << true << false;
    QTest::addRow("label5-then-label9") << L{"Label5", "Label9"} << true << true << false;
    QTest::addRow("label9-then-label5") << L{"Label9", "Label5"} << true << true << false;
    QTest::addRow("label11-then-label5") << L{"Label11", "Label5"} << true << false << true;
    QTest::addRow("label5-then-frame") << L{"Label5", "Frame1"} << false << false << false;
    QTest::addRow("label9-then-frame") << L{"Label9", "Frame1"} << false << false << false;
    QTest::addRow("label11-then-frame") << L{"Label11", "Frame1"} << false << false << false;
    QTest::addRow("all-then-frame") << L{"Label5", "Label9", "Label11", "Frame1"} << false << false << false;
    QTest::addRow("frame-then-label9") << L{"Frame1", "Label9"} << false << true << false;
    QTest::addRow("label5-then-neighbour-label8") << L{"Label5", "Label8"} << true << false << false;
    QTest::addRow("label9-then-label4") << L{"Label9", "Label4"} << false << true << false;
    QTest::addRow("label11-then-label7") << L{"Label11", "Label7"} << false << false << true;
    QTest::addRow("label5-then-empty-label10") << L{"Label5", "Label10"} << true << false << false;
    QTest::addRow("label9-then-picture2") << L{"Label9", "Picture2"} << false << true << false;
    QTest::addRow("label11-then-panel") << L{"Label11", "Picture1"} << false << false << true;
    QTest::addRow("text-labels-only") << L{"Label1", "Label2", "Label3", "Label6"} << false << false << false;
}

void TestForm2::hover()
{
    QFETCH(QStringList, moves);

    QPointer<Form2> form = openForm();
    QVERIFY(form);
    for (const QString &name : moves) {
        auto control = form->findChild<QWidget *>(name);
        QVERIFY(control);
        const QPoint spot = spotOf(control);
        QVERIFY2(control->rect().contains(spot) && !control->childAt(spot), "the spot must show the control itself");
        QVERIFY2(m_mouse->moveOnto(control, spot), qPrintable(name));
    }

    QFETCH(bool, label5);
    QFETCH(bool, label9);
    QFETCH(bool, label11);
    QCOMPARE(underlined(*form, "Label5"), label5);
    QCOMPARE(underlined(*form, "Label9"), label9);
    QCOMPARE(underlined(*form, "Label11"), label11);
}

void TestForm2::reopenedWindowStartsPlain()
{
    QPointer<Form2> form = openForm();
    QVERIFY(form);
    auto label5 = form->findChild<QLabel *>(QStringLiteral("Label5"));
    QVERIFY(m_mouse->moveOnto(label5, label5->rect().center()));
    QVERIFY(label5->font().underline());

    form->hide();
    form->show();
    QVERIFY(!label5->font().underline());
}

void TestForm2::clicks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QUrl>("page");
    QTest::addColumn<bool>("closes");

    QTest::addRow("Label5") << "Label5" << QUrl("https://brovane.example/") << true;
    QTest::addRow("Label9") << "Label9" << QUrl("https://author.example/") << true;
    QTest::addRow("Label11") << "Label11" << QUrl("https://messenger.example/kelvaro") << false;
    QTest::addRow("Label10") << "Label10" << QUrl() << false;
    for (const char *name : {"Frame1", "Picture1", "Picture2", "Label1", "Label2", "Label3", "Label4", "Label6", "Label7",
                             "Label8"})
        QTest::addRow("%s", name) << QString::fromLatin1(name) << QUrl() << true;
}

void TestForm2::clicks()
{
    QFETCH(QString, name);
    QFETCH(QUrl, page);
    QFETCH(bool, closes);

    QPointer<Form2> form = openForm();
    QVERIFY(form);
    auto control = form->findChild<QWidget *>(name);
    QVERIFY(control);
    QTest::mouseClick(control, Qt::LeftButton, {}, spotOf(control));

    QCOMPARE(m_browser.urls, page.isEmpty() ? QList<QUrl>{} : QList<QUrl>{page});
    QCOMPARE(form->isVisible(), !closes);
    if (closes)
        QTRY_VERIFY(form.isNull());
}

void TestForm2::pressOnLinkReleasedElsewhereIsNoClick()
{
    QPointer<Form2> form = openForm();
    QVERIFY(form);
    auto label5 = form->findChild<QLabel *>(QStringLiteral("Label5"));
    QTest::mousePress(label5, Qt::LeftButton, {}, label5->rect().center());
    QTest::mouseRelease(label5, Qt::LeftButton, {}, label5->rect().bottomRight() + QPoint(5, 5));

    QVERIFY(m_browser.urls.isEmpty());
    QVERIFY(form->isVisible());
}

// What the window system delivers for a double click: the second press comes
// with a double-click event and is no second click.
void TestForm2::doubleClickOnLinkOpensOnce()
{
    QPointer<Form2> form = openForm();
    QVERIFY(form);
    auto label11 = form->findChild<QLabel *>(QStringLiteral("Label11"));
    const QPoint centre = label11->rect().center();
    QTest::mousePress(label11, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(label11, Qt::LeftButton, {}, centre);
    QTest::mousePress(label11, Qt::LeftButton, {}, centre);
    QTest::mouseDClick(label11, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(label11, Qt::LeftButton, {}, centre);

    QCOMPARE(m_browser.urls, QList<QUrl>{QUrl("https://messenger.example/kelvaro")});
    QVERIFY(form->isVisible());
}

void TestForm2::showSingleKeepsOneWindow()
{
    QPointer<Form2> slot;
    Form2 *first = showSingle(slot, m_main.get());
    QVERIFY(QTest::qWaitForWindowExposed(first));
    Form2 *second = showSingle(slot, m_main.get());
    QCOMPARE(second, first);
    QCOMPARE(testsupport::visibleWindows<Form2>(), 1);

    first->close();
    QTRY_VERIFY(slot.isNull());
    Form2 *third = showSingle(slot, m_main.get());
    QVERIFY(third);
    QCOMPARE(slot.data(), third);
    QCOMPARE(testsupport::visibleWindows<Form2>(), 1);
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
