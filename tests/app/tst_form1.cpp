#include "app/Form1.h"
#include "app/Form2.h"
#include "app/Form3.h"
#include "common/WindowDriver.h"
#include "common/Windows.h"
#include "fix/FixScript.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>

using Kind = WorkingFiles::Kind;

namespace {

struct Control
{
    const char *name;
    const char *className;
    const char *parent;
    QString text;
};

// Every control of the window, in the order of its design.
const Control controlTable[] = {
    {"Picture1", "QFrame", "client", {}},
    {"Image1", "QLabel", "Picture1", {}},
    {"Command1", "QPushButton", "Picture1", QStringLiteral("Загрузить")},
    {"Option1", "QRadioButton", "Picture1", {}},
    {"Label7", "QLabel", "Picture1", QStringLiteral("ANSI (Win 1251)")},
    {"Option2", "QRadioButton", "Picture1", {}},
    {"Label8", "QLabel", "Picture1", QStringLiteral("UTF-8 (Win 65001)")},
    {"Label1", "QLabel", "Picture1", QStringLiteral("Каналов:")},
    {"Label2", "QLabel", "Picture1", QStringLiteral("0")},
    {"Label12", "QLabel", "Picture1", QStringLiteral("показано 0")},
    {"Command3", "QPushButton", "Picture1", QStringLiteral("Создать")},
    {"Command6", "QPushButton", "Picture1", QStringLiteral("Как в прошлый раз")},
    {"Label3", "QLabel", "Picture1", QStringLiteral("Выбрано:")},
    {"Label4", "QLabel", "Picture1", QStringLiteral("0")},
    {"Check1", "QCheckBox", "Picture1", {}},
    {"Label5", "QLabel", "Picture1", QStringLiteral("Выбрать все")},
    {"Text1", "QLineEdit", "Picture1", {}},
    {"Combo1", "QComboBox", "Picture1", {}},
    {"List1", "ChannelListView", "Picture1", {}},
    {"List2", "NewListView", "Picture1", {}},
    {"Image2", "QLabel", "Picture1", {}},
    {"Command4", "QPushButton", "Picture1", QStringLiteral("Канал вверх")},
    {"Command5", "QPushButton", "Picture1", QStringLiteral("Канал вниз")},
    {"Picture2", "QFrame", "Picture1", {}},
    {"Option4", "QRadioButton", "Picture2", {}},
    {"Label10", "QLabel", "Picture2", QStringLiteral("сохранить .m3u")},
    {"Option3", "QRadioButton", "Picture2", {}},
    {"Label9", "QLabel", "Picture2", QStringLiteral("сохранить .m3u8")},
    {"Command2", "QPushButton", "Picture1", QStringLiteral("Сохранить")},
    {"Label6", "QLabel", "Picture1", QStringLiteral("пожалуйста, ждите окончания операции...")},
    {"Label11", "QLabel", "Picture1", QStringLiteral("v" KELVARO_VERSION)},
};

// The controls whose states follow the session (see tst_form1bindings); all
// others are always enabled and shown.
const QStringList stateControls{"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "Check1",
                                "Option1",  "Option2",  "Option3",  "Option4",  "Label6",   "Label12"};

const QByteArray playlist = "#EXTM3U\n#EXTINF:-1,Первый\nhttp://a/1\n#EXTINF:-1,Второй\nhttp://a/2\n";

QRect placeInWindow(const QWidget *control, const QWidget *window)
{
    return QRect(control->mapTo(window, QPoint()), control->size());
}

// What a control shows: a label's text stands at its top, and the designed
// box of the busy label reaches below the window's edge, under its text.
QRect shownPlaceInWindow(const QWidget *control, const QWidget *window)
{
    QRect place = placeInWindow(control, window);
    if (auto label = qobject_cast<const QLabel *>(control); label && !label->text().isEmpty())
        place.setHeight(std::min(place.height(), QFontMetrics(label->font()).height()));
    return place;
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controls_data();
    void controls();
    void placesInsideTheirPanels();
    void textsFitTheirLabels();
    void countsStayReadable();
    void timers_data();
    void timers();
    void menu();
    void tabOrder();
    void window();
    void fontsAndColours();
    void closingDeletesTheWorkingFiles();
    void closingClosesTheOtherWindows();
    void closingRightAfterStart();
    void repairScriptGoesToTheProgramFolder();
};

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    for (const Control &c : controlTable)
        QTest::newRow(c.name) << QString::fromLatin1(c.name) << QString::fromLatin1(c.className)
                              << QString::fromLatin1(c.parent) << c.text;
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(QString, text);

    WindowDriver driver;
    auto w = driver.window().findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QCOMPARE(w->property("text").toString(), text);
    if (!stateControls.contains(name)) {
        QVERIFY(w->isEnabled());
        QVERIFY(w->isVisibleTo(&driver.window()));
    }
}

// Each control shows inside the window's client area, lies inside its panel,
// and no two controls on one panel cover each other. The background panel
// is larger than the window and fills it from its margin on.
void TestForm1::placesInsideTheirPanels()
{
    WindowDriver driver;
    const Form1 &window = driver.window();
    const QRect client = window.centralWidget()->geometry();
    const QWidget *background = driver.control("Picture1");
    QVERIFY(placeInWindow(background, &window).contains(QRect(placeInWindow(background, &window).topLeft(),
                                                               client.bottomRight())));

    for (const Control &c : controlTable) {
        const QWidget *w = driver.control(c.name);
        if (w == background)
            continue;
        QVERIFY2(client.contains(shownPlaceInWindow(w, &window)), c.name);
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), c.name);
        for (const Control &other : controlTable) {
            const QWidget *o = driver.control(other.name);
            if (o != w && o->parentWidget() == w->parentWidget())
                QVERIFY2(!w->geometry().intersects(o->geometry()), qPrintable(QStringLiteral("%1 and %2")
                                                                                  .arg(c.name, other.name)));
        }
    }
}

void TestForm1::textsFitTheirLabels()
{
    WindowDriver driver;
    for (const QLabel *label : driver.window().findChildren<QLabel *>()) {
        const int width = QFontMetrics(label->font()).horizontalAdvance(label->text());
        QVERIFY2(width <= label->width(), qPrintable(QStringLiteral("%1: %2 of %3 pixels")
                                                         .arg(label->objectName()).arg(width).arg(label->width())));
    }
}

// A count too long for its box (a million channels) runs on to the right,
// short of the list; a short one is back in the box as the window drew it.
void TestForm1::countsStayReadable()
{
    WindowDriver driver;
    PlaylistSession &session = driver.session();
    const QWidget *list = driver.control("List1");
    const QRect boxes[] = {driver.control("Label2")->geometry(), driver.control("Label4")->geometry()};
    for (const int count : {1'000'000, 7}) {
        Q_EMIT session.channelCountChanged(count);
        Q_EMIT session.newCountChanged(count);
        for (int i = 0; i < 2; ++i) {
            const auto label = qobject_cast<const QLabel *>(driver.control(i == 0 ? "Label2" : "Label4"));
            QCOMPARE(label->text(), QString::number(count));
            QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width());
            QVERIFY(label->geometry().right() < list->geometry().left());
            if (count < 10)
                QCOMPARE(label->geometry(), boxes[i]);
        }
    }
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

void TestForm1::menu()
{
    WindowDriver driver;
    QStringList tree; // "name=text", separators "-", submenu entries indented
    for (QAction *top : driver.window().menuBar()->actions()) {
        tree << top->objectName() + u'=' + top->text();
        if (QMenu *menu = top->menu()) {
            for (QAction *a : menu->actions())
                tree << QStringLiteral("  ") + a->objectName() + u'=' + (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
    }
    QCOMPARE(tree, (QStringList{
        QStringLiteral("A1=Сайт автора программы"), "  A13=-", QStringLiteral("  A4=Главная страница"), "  A5=-",
        QStringLiteral("  A6=Игровые проги"), "  A9=-", QStringLiteral("  A7=Разные проги"), "  A10=-",
        QStringLiteral("A2=Сайт Brovane (плейлисты)"), "  A14=-", QStringLiteral("  A11=Главная страница"), "  A16=-",
        QStringLiteral("  A12=Плейлисты IPTV"), "  dfsf=-", QStringLiteral("  razban=Обход блокировки сайтов"), "  A17=-",
        QStringLiteral("krakozyabry=Кракозябры в любой кодировке"), QStringLiteral("A3=О программе Kelvaro")}));
}

void TestForm1::tabOrder()
{
    WindowDriver driver;
    const QStringList expected{"Command1", "Text1",   "Combo1",  "List1",   "Command2", "Command3", "Command6", "List2",
                               "Command4", "Command5", "Check1", "Option1", "Option2",  "Option3",  "Option4"};
    QStringList chain;
    QWidget *w = driver.control(qPrintable(expected.first()));
    do {
        if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (chain.size() < expected.size() && w->objectName() != expected.first());
    QCOMPARE(chain, expected);
    for (const char *passive : {"Picture1", "Picture2", "Image1", "Image2", "Label2", "Label6"})
        QVERIFY2(!(driver.control(passive)->focusPolicy() & Qt::TabFocus), passive);
}

void TestForm1::window()
{
    WindowDriver driver;
    Form1 &w = driver.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.objectName(), QStringLiteral("Form1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Создание своего плейлиста Kelvaro"));
    // The design's window, grown by the filter's strip and a row of buttons.
    QCOMPARE(w.centralWidget()->size(), QSize(723, 438));
    QCOMPARE(w.size(), QSize(723, 438 + w.menuBar()->height()));
    QCOMPARE(w.minimumSize(), w.size());
    QCOMPARE(w.maximumSize(), w.size());
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!w.windowIcon().availableSizes().isEmpty());
}

void TestForm1::fontsAndColours()
{
    WindowDriver driver;
    QCOMPARE(driver.window().font().families().value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(driver.window().font().pointSizeF(), 8.0);
    // 6.75 points, or a little less where a stand-in face is wider.
    for (const char *name : {"Label6", "Label11"}) {
        const QFont font = driver.control<QLabel>(name)->font();
        QVERIFY2(font.pointSizeF() <= 6.75 && font.pointSizeF() >= 5.5, name);
        QCOMPARE(font.styleHint(), QFont::Serif);
    }
    for (const char *name : {"Label2", "Label4", "Label6"})
        QVERIFY2(driver.control<QLabel>(name)->alignment() & Qt::AlignHCenter, name);

    QCOMPARE(driver.control("Picture1")->palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(driver.control("Label1")->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(driver.control("Label11")->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    QCOMPARE(driver.control("List1")->palette().color(QPalette::Base), QColor(Qt::black));
    QCOMPARE(driver.control("List2")->palette().color(QPalette::Text), QColor(Qt::white));
    for (const char *name : {"Option1", "Option2", "Option3", "Option4", "Check1"})
        QCOMPARE(driver.control(name)->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white));
    QVERIFY(driver.window().menuBar()->palette().color(QPalette::Window) != QColor(Qt::black));
    // The filter and the group chooser keep the desktop's colours, each set
    // as such, rather than the black window's white text on a white field.
    for (const char *name : {"Text1", "Combo1"}) {
        const QPalette p = driver.control(name)->palette();
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::Base, QPalette::Button}) {
            QVERIFY2(p.isBrushSet(QPalette::Active, role), name);
            QCOMPARE(p.color(role), driver.control(name)->style()->standardPalette().color(role));
        }
    }
    for (const char *name : {"Image1", "Image2"}) {
        auto image = driver.control<QLabel>(name);
        QCOMPARE(image->cursor().hotSpot(), QPoint(5, 0));
        QVERIFY(!image->pixmap().isNull());
    }
}

void TestForm1::closingDeletesTheWorkingFiles()
{
    WindowDriver driver;
    driver.window().show();
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), playlist));
    const QString raw = driver.workingFilePath(Kind::Raw);
    const QString normalised = driver.workingFilePath(Kind::Normalised);
    QVERIFY(QFileInfo::exists(raw));
    QVERIFY(QFileInfo::exists(normalised));

    QVERIFY(driver.window().close());
    QVERIFY(!QFileInfo::exists(raw));
    QVERIFY(!QFileInfo::exists(normalised));
    // This copy's folder and its lock went with them.
    QCOMPARE(QDir(driver.tempFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(driver.takeMessages(), QStringList());
}

void TestForm1::closingClosesTheOtherWindows()
{
    WindowDriver driver;
    Form1 &w = driver.window();
    w.show();
    w.findChild<QAction *>(QStringLiteral("A3"))->trigger();
    w.findChild<QAction *>(QStringLiteral("krakozyabry"))->trigger();
    QCOMPARE(testsupport::visibleWindows<Form2>(), 1);
    QCOMPARE(testsupport::visibleWindows<Form3>(), 1);
    QVERIFY(!w.findChild<Form2 *>()); // shown without an owner
    QVERIFY(!w.findChild<Form3 *>());
    QVERIFY(w.close());
    QCOMPARE(testsupport::visibleWindows<Form2>(), 0);
    QCOMPARE(testsupport::visibleWindows<Form3>(), 0);
    QVERIFY(!w.isVisible());
}

void TestForm1::closingRightAfterStart()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    QVERIFY(driver.window().close());
    QCOMPARE(driver.takeMessages(), QStringList());
    QCOMPARE(QDir(driver.tempFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList());
}

// The menu's repair window writes its script next to this copy's program.
void TestForm1::repairScriptGoesToTheProgramFolder()
{
    WindowDriver driver;
    driver.window().show();
    driver.window().findChild<QAction *>(QStringLiteral("krakozyabry"))->trigger();
    Form3 *fix = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto f = qobject_cast<Form3 *>(w); f && f->isVisible())
            fix = f;
    }
    QVERIFY(fix);
    fix->findChild<QAbstractButton *>(QStringLiteral("Command1"))->click();
    QSignalSpy written(&driver.session(), &PlaylistSession::fixScriptWritten);
    QVERIFY(written.wait());
    QCOMPARE(driver.takeMessages(), QStringList{QStringLiteral("Файл-фикс fix_krakozyabry.cmd создан рядом с программой!")});
    QVERIFY(QFileInfo::exists(fixScriptPath(driver.programFolder())));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
