#include "app/Form1Ui.h"

#include "app/Artwork.h"
#include "app/ClickLabel.h"
#include "app/Fonts.h"
#include "app/Palettes.h"
#include "app/Twips.h"
#include "channels/ChannelListModel.h"
#include "channels/ChannelListView.h"
#include "channels/NewListView.h"
#include "channels/SelectAllBox.h"
#include "channels/TickDelegate.h"

#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

// The client area below the menu bar.
constexpr QSize clientSize(twips::toPixels(10845), twips::toPixels(5535));

template<class W>
W *make(QWidget *parent, const char *name, QRect place)
{
    auto w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(place);
    return w;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, QRect place,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop)
{
    auto l = make<QLabel>(parent, name, place);
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

void setupListView(QListView *view, ChannelListModel *model)
{
    view->setModel(model);
    palettes::setFramedList(view);
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
    createMenu(window);
    setTabOrder();
    for (QLabel *l : client->findChildren<QLabel *>())
        fitText(l);
    // The window takes the size of menu bar plus client area and keeps it.
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Form1Ui::createControls(QWidget *client)
{
    using twips::rect;
    Picture1 = panel(client, "Picture1", rect(60, 60, 10800, 7740));
    QWidget *p = Picture1;

    Image1 = make<ClickLabel>(p, "Image1", rect(420, 315, 1080, 945));
    Image1->setPixmap(artwork::playlistSiteLogo(Image1->size()));
    Image1->setCursor(artwork::handCursor());

    Command1 = button(p, "Command1", QStringLiteral("Загрузить"), rect(195, 2475, 1560, 495), true);
    Option1 = make<QRadioButton>(p, "Option1", rect(165, 1680, 225, 195));
    Label7 = label(p, "Label7", QStringLiteral("ANSI (Win 1251)"), rect(450, 1695, 1245, 240));
    Option2 = make<QRadioButton>(p, "Option2", rect(165, 1980, 225, 195));
    Option2->setChecked(true);
    Label8 = label(p, "Label8", QStringLiteral("UTF-8 (Win 65001)"), rect(435, 1995, 1365, 240));
    Label1 = label(p, "Label1", QStringLiteral("Каналов:"), rect(465, 3105, 690, 240));
    Label2 = label(p, "Label2", QStringLiteral("0"), rect(1170, 3105, 345, 210), Qt::AlignHCenter | Qt::AlignTop);
    Command3 = button(p, "Command3", QStringLiteral("Создать"), rect(195, 3765, 1560, 495), false);
    Label3 = label(p, "Label3", QStringLiteral("Выбрано:"), rect(465, 4410, 705, 240));
    Label4 = label(p, "Label4", QStringLiteral("0"), rect(1185, 4410, 345, 210), Qt::AlignHCenter | Qt::AlignTop);
    Check1 = make<SelectAllBox>(p, "Check1", rect(300, 4980, 210, 255));
    Check1->setEnabled(false);
    for (QWidget *indicator : {static_cast<QWidget *>(Option1), static_cast<QWidget *>(Option2),
                               static_cast<QWidget *>(Check1)})
        palettes::setLightIndicator(indicator);
    Label5 = label(p, "Label5", QStringLiteral("Выбрать все"), rect(615, 5025, 1110, 210));

    List1 = make<ChannelListView>(p, "List1", rect(2055, 135, 3285, 5010));
    list1Model = new ChannelListModel(true, List1);
    setupListView(List1, list1Model);
    List1->setItemDelegate(new TickDelegate(List1));
    List2 = make<NewListView>(p, "List2", rect(5520, 135, 3180, 5010));
    list2Model = new ChannelListModel(false, List2);
    setupListView(List2, list2Model);

    Image2 = make<ClickLabel>(p, "Image2", rect(9210, 330, 1095, 1005));
    Image2->setPixmap(artwork::authorLogo(Image2->size()));
    Image2->setCursor(artwork::handCursor());
    Command4 = button(p, "Command4", QStringLiteral("Канал вверх"), rect(8985, 1770, 1560, 495), false);
    Command5 = button(p, "Command5", QStringLiteral("Канал вниз"), rect(8985, 2565, 1560, 495), false);
    createSaveFormat();
    Command2 = button(p, "Command2", QStringLiteral("Сохранить"), rect(8985, 4485, 1560, 495), false);

    Label6 = label(p, "Label6", QStringLiteral("пожалуйста, ждите окончания операции..."), rect(3825, 5220, 3195, 285),
                   Qt::AlignHCenter | Qt::AlignTop);
    Label6->setFont(fonts::serifFont(6.75));
    Label6->hide();
    Label11 = label(p, "Label11", QStringLiteral("v1.4.4"), rect(10335, 5220, 315, 180));
    Label11->setFont(fonts::serifFont(6.75));
    QPalette grey = Label11->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    Label11->setPalette(grey);

    Timer1 = timer(p->window(), "Timer1", 15);
    Timer2 = timer(p->window(), "Timer2", 15);
    Timer3 = timer(p->window(), "Timer3", 400);
    Timer4 = timer(p->window(), "Timer4", 400);
}

void Form1Ui::createSaveFormat()
{
    using twips::rect;
    Picture2 = panel(Picture1, "Picture2", rect(8940, 3690, 1695, 630));
    Option4 = make<QRadioButton>(Picture2, "Option4", rect(0, 45, 225, 195));
    Option4->setEnabled(false);
    Label10 = label(Picture2, "Label10", QStringLiteral("сохранить .m3u"), rect(270, 45, 1320, 240));
    Option3 = make<QRadioButton>(Picture2, "Option3", rect(0, 360, 225, 195));
    Option3->setEnabled(false);
    Label9 = label(Picture2, "Label9", QStringLiteral("сохранить .m3u8"), rect(270, 345, 1365, 240));
    palettes::setLightIndicator(Option3);
    palettes::setLightIndicator(Option4);
}

void Form1Ui::createMenu(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    palettes::setDesktopColours(bar);

    A1 = bar->addMenu(QStringLiteral("Сайт автора программы"));
    A1->setObjectName(QStringLiteral("A1"));
    A1->menuAction()->setObjectName(QStringLiteral("A1"));
    A13 = separator(A1, "A13");
    A4 = command(A1, "A4", QStringLiteral("Главная страница"));
    A5 = separator(A1, "A5");
    A6 = command(A1, "A6", QStringLiteral("Игровые проги"));
    A9 = separator(A1, "A9");
    A7 = command(A1, "A7", QStringLiteral("Разные проги"));
    A10 = separator(A1, "A10");

    A2 = bar->addMenu(QStringLiteral("Сайт Brovane (плейлисты)"));
    A2->setObjectName(QStringLiteral("A2"));
    A2->menuAction()->setObjectName(QStringLiteral("A2"));
    A14 = separator(A2, "A14");
    A11 = command(A2, "A11", QStringLiteral("Главная страница"));
    A16 = separator(A2, "A16");
    A12 = command(A2, "A12", QStringLiteral("Плейлисты IPTV"));
    dfsf = separator(A2, "dfsf");
    razban = command(A2, "razban", QStringLiteral("Обход блокировки сайтов"));
    A17 = separator(A2, "A17");

    krakozyabry = command(bar, "krakozyabry", QStringLiteral("Кракозябры в любой кодировке"));
    A3 = command(bar, "A3", QStringLiteral("О программе Kelvaro"));
}

void Form1Ui::setTabOrder()
{
    QWidget *const order[] = {Command1, List1, Command2, Command3, List2, Command4,
                              Command5, Check1, Option1, Option2, Option3, Option4};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

InputMode Form1Ui::inputMode() const
{
    return Option2->isChecked() ? InputMode::Utf8 : InputMode::Ansi;
}

void Form1Ui::showChannelCount(int count) const
{
    Label2->setText(QString::number(count));
}
