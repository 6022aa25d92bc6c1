#include "app/Form1Ui.h"

#include "app/Artwork.h"
#include "app/CountLabel.h"
#include "app/Fonts.h"
#include "app/Palettes.h"
#include "app/TickDelegate.h"
#include "app/Twips.h"
#include "app/ChannelListView.h"
#include "app/NewListView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

// The window of the design, grown by a strip above the lists for the
// filter and the group chooser, and by a row for «Как в прошлый раз» under
// «Создать»: what stands below that row moves down, and the lists grow.
constexpr int findingStrip = 390;
constexpr int previousRow = 645;
constexpr int previousRowTop = 4410; // in the design's places

// A place of the design in the grown window.
constexpr QRect place(int left, int top, int width, int height)
{
    return twips::rect(left, top + findingStrip, width, height);
}

// The same for what stands below the new row: the left column's lower part
// and the bottom line.
constexpr QRect placeBelowRow(int left, int top, int width, int height)
{
    return place(left, top + previousRow, width, height);
}

// The client area below the menu bar.
constexpr QSize clientSize(twips::toPixels(10845), twips::toPixels(5535 + findingStrip + previousRow));

template<class W>
W *make(QWidget *parent, const char *name, QRect place)
{
    auto w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(place);
    return w;
}

template<class L = QLabel>
L *label(QWidget *parent, const char *name, const QString &text, QRect place,
         Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop)
{
    auto l = make<L>(parent, name, place);
    l->setText(text);
    l->setAlignment(alignment);
    return l;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text, QRect place, bool enabled)
{
    auto b = make<QPushButton>(parent, name, place);
    b->setText(text);
    b->setEnabled(enabled);
    return b;
}

QFrame *panel(QWidget *parent, const char *name, QRect place)
{
    auto p = make<QFrame>(parent, name, place);
    p->setAutoFillBackground(true);
    return p;
}

QTimer *timer(QObject *parent, const char *name, int intervalMs)
{
    auto t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(intervalMs);
    return t;
}

QAction *separator(QMenu *menu, const char *name)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(QLatin1String(name));
    return a;
}

QMenu *submenu(QMenuBar *bar, const char *name, const QString &text)
{
    QMenu *menu = bar->addMenu(text);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QAction *command(QWidget *menu, const char *name, const QString &text)
{
    auto a = new QAction(text, menu);
    a->setObjectName(QLatin1String(name));
    menu->addAction(a);
    return a;
}

// Where the window's font is a stand-in wider than the designed one, a
// label's text is set a little smaller rather than cut off.
void fitText(QLabel *label)
{
    QFont font = label->font();
    while (font.pointSizeF() > 5 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width())
        font.setPointSizeF(font.pointSizeF() - 0.25);
    if (font != label->font())
        label->setFont(font);
}

} // namespace

void Form1Ui::setupUi(QMainWindow *window)
{
    window->setObjectName(QStringLiteral("Form1"));
    window->setWindowTitle(QStringLiteral("Создание своего плейлиста Kelvaro"));
    window->setWindowIcon(artwork::programIcon());
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    window->setFont(fonts::windowFont());
    palettes::setBlackWindow(window);

    auto client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(clientSize);
    client->setAutoFillBackground(true);
    window->setCentralWidget(client);
    createControls(client);
    createTimers(window);
    createMenu(window);
    setTabOrder();
    for (QLabel *l : client->findChildren<QLabel *>())
        fitText(l);
    // The window takes the size of menu bar plus client area and keeps it.
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Form1Ui::createControls(QWidget *client)
{
    background = panel(client, "Picture1", twips::rect(60, 60, 10800, 7740 + findingStrip + previousRow));
    QWidget *p = background;

    playlistSiteLogo = make<QLabel>(p, "Image1", place(420, 315, 1080, 945));
    playlistSiteLogo->setPixmap(artwork::playlistSiteLogo(playlistSiteLogo->size()));
    playlistSiteLogo->setCursor(artwork::handCursor());

    loadButton = button(p, "Command1", QStringLiteral("Загрузить"), place(195, 2475, 1560, 495), true);
    ansiOption = make<QRadioButton>(p, "Option1", place(165, 1680, 225, 195));
    label(p, "Label7", QStringLiteral("ANSI (Win 1251)"), place(450, 1695, 1245, 240));
    utf8Option = make<QRadioButton>(p, "Option2", place(165, 1980, 225, 195));
    utf8Option->setChecked(true);
    label(p, "Label8", QStringLiteral("UTF-8 (Win 65001)"), place(435, 1995, 1365, 240));
    label(p, "Label1", QStringLiteral("Каналов:"), place(465, 3105, 690, 240));
    channelCount = label<CountLabel>(p, "Label2", QStringLiteral("0"), place(1170, 3105, 345, 210), Qt::AlignHCenter | Qt::AlignTop);
    createButton = button(p, "Command3", QStringLiteral("Создать"), place(195, 3765, 1560, 495), false);
    previousButton = button(p, "Command6", QStringLiteral("Как в прошлый раз"), place(195, previousRowTop, 1560, 495),
                            false);
    label(p, "Label3", QStringLiteral("Выбрано:"), placeBelowRow(465, 4410, 705, 240));
    newCount = label<CountLabel>(p, "Label4", QStringLiteral("0"), placeBelowRow(1185, 4410, 345, 210), Qt::AlignHCenter | Qt::AlignTop);
    selectAllBox = make<QCheckBox>(p, "Check1", placeBelowRow(300, 4980, 210, 255));
    selectAllBox->setEnabled(false);
    for (QWidget *indicator : std::initializer_list<QWidget *>{ansiOption, utf8Option, selectAllBox})
        palettes::setLightIndicator(indicator);
    label(p, "Label5", QStringLiteral("Выбрать все"), placeBelowRow(615, 5025, 1110, 210));
    createFinding();

    sourceList = make<ChannelListView>(p, "List1", place(2055, 135, 3285, 5010 + previousRow));
    sourceList->setItemDelegate(new TickDelegate(sourceList));
    palettes::setFramedList(sourceList);
    newList = make<NewListView>(p, "List2", place(5520, 135, 3180, 5010 + previousRow));
    newList->setDragCursor(artwork::handCursor());
    palettes::setFramedList(newList);

    authorLogo = make<QLabel>(p, "Image2", place(9210, 330, 1095, 1005));
    authorLogo->setPixmap(artwork::authorLogo(authorLogo->size()));
    authorLogo->setCursor(artwork::handCursor());
    upButton = button(p, "Command4", QStringLiteral("Канал вверх"), place(8985, 1770, 1560, 495), false);
    downButton = button(p, "Command5", QStringLiteral("Канал вниз"), place(8985, 2565, 1560, 495), false);
    createSaveFormat();
    saveButton = button(p, "Command2", QStringLiteral("Сохранить"), place(8985, 4485, 1560, 495), false);

    busyLabel = label(p, "Label6", QStringLiteral("пожалуйста, ждите окончания операции..."), placeBelowRow(3825, 5220, 3195, 285),
                      Qt::AlignHCenter | Qt::AlignTop);
    busyLabel->setFont(fonts::serifFont(6.75));
    busyLabel->hide();
    QLabel *version = label(p, "Label11", QStringLiteral("v" KELVARO_VERSION), placeBelowRow(10335, 5220, 315, 180));
    version->setFont(fonts::serifFont(6.75));
    QPalette grey = version->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    version->setPalette(grey);
}

// Above the source list: the filter and the group chooser. The count of
// what a filter shows stands under the channels' count.
void Form1Ui::createFinding()
{
    QWidget *p = background;
    filterEdit = make<QLineEdit>(p, "Text1", twips::rect(2055, 135, 1950, 315));
    filterEdit->setPlaceholderText(QStringLiteral("Поиск канала"));
    // Fields keep the desktop's colours: white text on a native white field
    // would vanish.
    palettes::setDesktopColours(filterEdit);
    groupChooser = make<QComboBox>(p, "Combo1", twips::rect(4080, 135, 1260, 315));
    // A playlist may have a million groups: nothing may measure them all.
    groupChooser->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto view = qobject_cast<QListView *>(groupChooser->view()))
        view->setUniformItemSizes(true);
    palettes::setDesktopColours(groupChooser);
    shownCount = label(p, "Label12", QString(), place(465, 3360, 1500, 240));
    shownCount->hide();
}

void Form1Ui::createTimers(QMainWindow *window)
{
    upRepeat = timer(window, "Timer1", 15);
    downRepeat = timer(window, "Timer2", 15);
    upDelay = timer(window, "Timer3", 400);
    downDelay = timer(window, "Timer4", 400);
}

void Form1Ui::createSaveFormat()
{
    QFrame *saveFormat = panel(background, "Picture2", place(8940, 3690, 1695, 630));
    m3uOption = make<QRadioButton>(saveFormat, "Option4", twips::rect(0, 45, 225, 195));
    m3uOption->setEnabled(false);
    label(saveFormat, "Label10", QStringLiteral("сохранить .m3u"), twips::rect(270, 45, 1320, 240));
    m3u8Option = make<QRadioButton>(saveFormat, "Option3", twips::rect(0, 360, 225, 195));
    m3u8Option->setEnabled(false);
    label(saveFormat, "Label9", QStringLiteral("сохранить .m3u8"), twips::rect(270, 345, 1365, 240));
    palettes::setLightIndicator(m3u8Option);
    palettes::setLightIndicator(m3uOption);
}

void Form1Ui::createMenu(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    palettes::setDesktopColours(bar);

    QMenu *author = submenu(bar, "A1", QStringLiteral("Сайт автора программы"));
    separator(author, "A13");
    authorHome = command(author, "A4", QStringLiteral("Главная страница"));
    separator(author, "A5");
    authorGamePrograms = command(author, "A6", QStringLiteral("Игровые проги"));
    separator(author, "A9");
    authorPrograms = command(author, "A7", QStringLiteral("Разные проги"));
    separator(author, "A10");

    QMenu *playlistSite = submenu(bar, "A2", QStringLiteral("Сайт Brovane (плейлисты)"));
    separator(playlistSite, "A14");
    playlistSiteHome = command(playlistSite, "A11", QStringLiteral("Главная страница"));
    separator(playlistSite, "A16");
    playlistSiteIptv = command(playlistSite, "A12", QStringLiteral("Плейлисты IPTV"));
    separator(playlistSite, "dfsf");
    playlistSiteUnblock = command(playlistSite, "razban", QStringLiteral("Обход блокировки сайтов"));
    separator(playlistSite, "A17");

    fixCommand = command(bar, "krakozyabry", QStringLiteral("Кракозябры в любой кодировке"));
    aboutCommand = command(bar, "A3", QStringLiteral("О программе Kelvaro"));
}

void Form1Ui::setTabOrder()
{
    QWidget *const order[] = {loadButton,     filterEdit, groupChooser, sourceList, saveButton,
                              createButton,   previousButton, newList, upButton, downButton,
                              selectAllBox,   ansiOption, utf8Option, m3u8Option, m3uOption};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
