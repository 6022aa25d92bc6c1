#include "app/Form1.h"
#include "app/Twips.h"
#include "channels/Reorder.h"
#include "app/Form2.h"
#include "common/WindowDriver.h"
#include "common/Windows.h"
#include "fix/Form3.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

enum Checked { NotCheckable = -1, Unchecked = 0, Checked = 1 };

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controls_data();
    void controls();
    void timers_data();
    void timers();
    void menu_data();
    void menu();
    void tabOrder();
    void window();
    void smallFontAndColours();
    void startState();
    void closingDeletesWorkingFiles();
    void closingClosesOtherWindows();
    void closingRightAfterStart();
};

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("checked");

    using twips::rect;
    const auto row = [](const char *name, const char *kind, const char *parent, const QString &text, QRect place,
                        bool enabled = true, bool visible = true, int checked = NotCheckable) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << QString::fromLatin1(parent)
                            << text << place << enabled << visible << checked;
    };
    row("Picture1", "QFrame", "client", {}, rect(60, 60, 10800, 7740));
    row("Image1", "ClickLabel", "Picture1", {}, rect(420, 315, 1080, 945));
    row("Command1", "QPushButton", "Picture1", QStringLiteral("Загрузить"), rect(195, 2475, 1560, 495));
    row("Option1", "QRadioButton", "Picture1", {}, rect(165, 1680, 225, 195), true, true, Unchecked);
    row("Label7", "QLabel", "Picture1", QStringLiteral("ANSI (Win 1251)"), rect(450, 1695, 1245, 240));
    row("Option2", "QRadioButton", "Picture1", {}, rect(165, 1980, 225, 195), true, true, Checked);
    row("Label8", "QLabel", "Picture1", QStringLiteral("UTF-8 (Win 65001)"), rect(435, 1995, 1365, 240));
    row("Label1", "QLabel", "Picture1", QStringLiteral("Каналов:"), rect(465, 3105, 690, 240));
    row("Label2", "QLabel", "Picture1", QStringLiteral("0"), rect(1170, 3105, 345, 210));
    row("Command3", "QPushButton", "Picture1", QStringLiteral("Создать"), rect(195, 3765, 1560, 495), false);
    row("Label3", "QLabel", "Picture1", QStringLiteral("Выбрано:"), rect(465, 4410, 705, 240));
    row("Label4", "QLabel", "Picture1", QStringLiteral("0"), rect(1185, 4410, 345, 210));
    row("Check1", "SelectAllBox", "Picture1", {}, rect(300, 4980, 210, 255), false, true, Unchecked);
    row("Label5", "QLabel", "Picture1", QStringLiteral("Выбрать все"), rect(615, 5025, 1110, 210));
    row("List1", "ChannelListView", "Picture1", {}, rect(2055, 135, 3285, 5010));
    row("List2", "NewListView", "Picture1", {}, rect(5520, 135, 3180, 5010));
    row("Image2", "ClickLabel", "Picture1", {}, rect(9210, 330, 1095, 1005));
    row("Command4", "QPushButton", "Picture1", QStringLiteral("Канал вверх"), rect(8985, 1770, 1560, 495), false);
    row("Command5", "QPushButton", "Picture1", QStringLiteral("Канал вниз"), rect(8985, 2565, 1560, 495), false);
    row("Picture2", "QFrame", "Picture1", {}, rect(8940, 3690, 1695, 630));
    row("Option4", "QRadioButton", "Picture2", {}, rect(0, 45, 225, 195), false, true, Unchecked);
    row("Label10", "QLabel", "Picture2", QStringLiteral("сохранить .m3u"), rect(270, 45, 1320, 240));
    row("Option3", "QRadioButton", "Picture2", {}, rect(0, 360, 225, 195), false, true, Unchecked);
    row("Label9", "QLabel", "Picture2", QStringLiteral("сохранить .m3u8"), rect(270, 345, 1365, 240));
    row("Command2", "QPushButton", "Picture1", QStringLiteral("Сохранить"), rect(8985, 4485, 1560, 495), false);
    row("Label6", "QLabel", "Picture1", QStringLiteral("пожалуйста, ждите окончания операции..."),
        rect(3825, 5220, 3195, 285), true, false);
    row("Label11", "QLabel", "Picture1", QStringLiteral("v1.4.4"), rect(10335, 5220, 315, 180));
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QRect, place);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);
    QFETCH(int, checked);

    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    auto w = driver.window().findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QCOMPARE(w->property("text").toString(), text);
    QCOMPARE(w->geometry(), place);
    QCOMPARE(w->isEnabled(), enabled);
    QCOMPARE(w->isVisible(), visible);
    if (auto b = qobject_cast<QAbstractButton *>(w); b && checked != NotCheckable)
        QCOMPARE(b->isChecked(), checked == Checked);
}

void TestForm1::timers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::addRow("Timer1") << "Timer1" << 15;
    QTest::addRow("Timer2") << "Timer2" << 15;
    QTest::addRow("Timer3") << "Timer3" << 400;
    QTest::addRow("Timer4") << "Timer4" << 400;
}

void TestForm1::timers()
{
    QFETCH(QString, name);
    QFETCH(int, interval);
    WindowDriver driver;
    auto timer = driver.window().findChild<QTimer *>(name);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), interval);
    QVERIFY(!timer->isActive());
    QVERIFY(!timer->isSingleShot());
}

void TestForm1::menu_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries"); // "name=text", separators as "name=-"

    QTest::addRow("A1") << "A1" << QStringLiteral("Сайт автора программы")
                        << QStringList{"A13=-", QStringLiteral("A4=Главная страница"), "A5=-",
                                       QStringLiteral("A6=Игровые проги"), "A9=-", QStringLiteral("A7=Разные проги"),
                                       "A10=-"};
    QTest::addRow("A2") << "A2" << QStringLiteral("Сайт Brovane (плейлисты)")
                        << QStringList{"A14=-", QStringLiteral("A11=Главная страница"), "A16=-",
                                       QStringLiteral("A12=Плейлисты IPTV"), "dfsf=-",
                                       QStringLiteral("razban=Обход блокировки сайтов"), "A17=-"};
}

void TestForm1::menu()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);
    WindowDriver driver;
    auto m = driver.window().findChild<QMenu *>(menu);
    QVERIFY(m);
    QCOMPARE(m->title(), title);
    QStringList got;
    for (QAction *a : m->actions())
        got << a->objectName() + u'=' + (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(got, entries);
}

void TestForm1::tabOrder()
{
    WindowDriver driver;
    const QStringList expected{"Command1", "List1",   "Command2", "Command3", "List2",   "Command4",
                               "Command5", "Check1",  "Option1",  "Option2",  "Option3", "Option4"};
    QStringList chain;
    QWidget *w = driver.window().findChild<QWidget *>(expected.first());
    do {
        if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (chain.size() < expected.size() && w->objectName() != expected.first());
    QCOMPARE(chain, expected);
    for (const char *passive : {"Picture1", "Picture2", "Image1", "Image2", "Label2", "Label6"})
        QVERIFY2(!(driver.window().findChild<QWidget *>(passive)->focusPolicy() & Qt::TabFocus), passive);
}

void TestForm1::window()
{
    WindowDriver driver;
    Form1 &w = driver.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.objectName(), QStringLiteral("Form1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Создание своего плейлиста Kelvaro"));
    QCOMPARE(w.centralWidget()->size(), QSize(723, 369));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.size(), QSize(723, 369 + w.menuBar()->height()));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!w.windowIcon().isNull());

    const QList<QAction *> top = w.menuBar()->actions();
    QStringList names;
    for (QAction *a : top)
        names << a->objectName() + u'=' + a->text();
    QCOMPARE(names, (QStringList{QStringLiteral("A1=Сайт автора программы"),
                                 QStringLiteral("A2=Сайт Brovane (плейлисты)"),
                                 QStringLiteral("krakozyabry=Кракозябры в любой кодировке"),
                                 QStringLiteral("A3=О программе Kelvaro")}));
    QVERIFY(!top[2]->menu());
    QVERIFY(!top[3]->menu());
}

void TestForm1::smallFontAndColours()
{
    WindowDriver driver;
    // 6.75 points, or a little less where a stand-in face is wider.
    for (const char *name : {"Label6", "Label11"}) {
        const QFont font = driver.control<QLabel>(name)->font();
        QVERIFY(font.pointSizeF() <= 6.75 && font.pointSizeF() >= 5.5);
        QCOMPARE(font.styleHint(), QFont::Serif);
    }
    for (QLabel *label : driver.window().findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
    }
    QCOMPARE(driver.control<QLabel>("Label11")->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    const QPalette p = driver.control("Picture1")->palette();
    QCOMPARE(p.color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(driver.control<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(driver.control<QListView>("List1")->palette().color(QPalette::Base), QColor(Qt::black));
    for (const char *name : {"Label2", "Label4", "Label6"})
        QVERIFY(driver.control<QLabel>(name)->alignment() & Qt::AlignHCenter);
    for (const char *name : {"Image1", "Image2"}) {
        auto image = driver.control<QLabel>(name);
        QCOMPARE(image->cursor().hotSpot(), QPoint(5, 0));
        QVERIFY(!image->pixmap().isNull());
    }
}

void TestForm1::startState()
{
    WindowDriver driver;
    QCOMPARE(driver.window().session().codec.sCodePage, 65001);
    QCOMPARE(driver.window().reorder().moveDirection, 50);
    QCOMPARE(driver.window().reorder().holdTicks, 0);
    QCOMPARE(driver.window().session().normaliser.lastChannelName(), QString());
    QVERIFY(!QFile::exists(driver.rawCopyPath()));
    QVERIFY(!QFile::exists(driver.normalisedCopyPath()));
}

void TestForm1::closingDeletesWorkingFiles()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), "#EXTM3U\n#EXTINF:-1,A\nhttp://a\n"));
    QVERIFY(QFile::exists(driver.rawCopyPath()));
    QVERIFY(QFile::exists(driver.normalisedCopyPath()));
    driver.window().show();
    QVERIFY(driver.window().close());
    QVERIFY(!QFile::exists(driver.rawCopyPath()));
    QVERIFY(!QFile::exists(driver.normalisedCopyPath()));
    QCOMPARE(driver.takeMessages(), QStringList());

    // A second start finds nothing to clean up and nothing loaded.
    Form1 second(driver.programFolder());
    QVERIFY(!QFile::exists(driver.rawCopyPath()));
    QCOMPARE(second.session().channelCount, 0);
}

void TestForm1::closingClosesOtherWindows()
{
    WindowDriver driver;
    Form1 &w = driver.window();
    w.show();
    w.findChild<QAction *>(QStringLiteral("A3"))->trigger();
    w.findChild<QAction *>(QStringLiteral("krakozyabry"))->trigger();
    QCOMPARE(testsupport::visibleWindows<Form2>(), 1);
    QCOMPARE(testsupport::visibleWindows<Form3>(), 1);
    QVERIFY(!w.findChild<Form2 *>()); // shown without an owner
    QVERIFY(w.close());
    QCOMPARE(testsupport::visibleWindows<Form2>(), 0);
    QCOMPARE(testsupport::visibleWindows<Form3>(), 0);
    QVERIFY(!w.isVisible());
}

void TestForm1::closingRightAfterStart()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(driver.window().close());
    QCOMPARE(driver.takeMessages(), QStringList());
    QVERIFY(QDir(driver.tempFolder()).isEmpty());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
