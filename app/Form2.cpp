#include "app/Form2.h"

#include "app/Artwork.h"
#include "app/Centre.h"
#include "app/FixedWindow.h"
#include "app/Fonts.h"
#include "app/Links.h"
#include "app/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace {

const QColor linkColour(0, 0, 192);

void setUnderlined(QLabel *label, bool underlined)
{
    QFont font = label->font();
    if (font.underline() == underlined)
        return;
    font.setUnderline(underlined);
    label->setFont(font);
}

QPalette whitePalette(QPalette palette)
{
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    return palette;
}

} // namespace

Form2::Form2(QWidget *centreOver)
    : QWidget(nullptr, fixedWindow::flags)
{
    fixedWindow::setUp(this, QStringLiteral("Form2"), QStringLiteral("О программе"), artwork::programIcon(),
                       whitePalette(palette()), twips::rect(0, 0, 4590, 2850).size());

    createPanels();
    createLabels();
    watchControls();
    centreWindow(this, centreOver ? centreOver->frameGeometry() : screen()->availableGeometry());
}

void Form2::createPanels()
{
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Picture1"));
    m_panel->setGeometry(twips::rect(0, 0, 4560, 3000));
    m_panel->setAutoFillBackground(true);

    m_frame = new QFrame(m_panel);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setGeometry(twips::rect(150, 75, 4290, 2610));
    m_frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_frame->setAutoFillBackground(true);

    auto picture = new QLabel(m_frame);
    picture->setObjectName(QStringLiteral("Picture2"));
    picture->setGeometry(twips::rect(120, 195, 735, 660));
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(artwork::programPicture());
    picture->setAutoFillBackground(true);
}

void Form2::createLabels()
{
    const QFont plain = font();
    const QFont small = fonts::serifFont(8.25);

    addLabel("Label1", twips::rect(975, 285, 3135, 255), QStringLiteral("Программа Kelvaro предназначена"), plain);
    addLabel("Label2", twips::rect(975, 540, 2880, 255), QStringLiteral("для создания и сортировки своего"), plain);
    addLabel("Label3", twips::rect(975, 810, 2460, 240), QStringLiteral("собственного плейлиста IPTV."), plain);
    addLabel("Label8", twips::rect(165, 1110, 2760, 210), QStringLiteral("Скачайте готовый плейлист с сайта"), plain);
    // The site's name rather than its full address: the address would not fit
    // after the sentence it ends.
    m_playlistSite = addLabel("Label5", twips::rect(2985, 1110, 1125, 240), QStringLiteral("Brovane"), plain);
    addLabel("Label6", twips::rect(165, 1365, 3150, 210), QStringLiteral("и настройте его за пару кликов мышкой."), plain);
    m_authorSite = addLabel("Label9", twips::rect(195, 1995, 1290, 225), QStringLiteral("author.example"), small);
    addLabel("Label4", twips::rect(2670, 2025, 1425, 285), QStringLiteral("© Автор Kelvaro"), small);
    m_messenger = addLabel("Label11", twips::rect(195, 2250, 2100, 225), QStringLiteral("messenger.example/kelvaro"), small);
    addLabel("Label7", twips::rect(3015, 2250, 1170, 240), QStringLiteral("Всего доброго!"), small);
    // An empty label at the end of Label6's line that swallows its clicks.
    m_spare = addLabel("Label10", twips::rect(3330, 1365, 600, 210), QString(), plain);

    for (QLabel *link : {m_playlistSite, m_authorSite, m_messenger}) {
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, linkColour);
        link->setPalette(palette);
        link->setCursor(artwork::handCursor());
    }
    m_authorSite->setAutoFillBackground(false);
    m_messenger->setAutoFillBackground(false);
}

QLabel *Form2::addLabel(const char *name, QRect place, const QString &text, const QFont &font)
{
    auto label = new QLabel(text, m_frame);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    return label;
}

// One filter sees every control's mouse: moves drive the underlines and a
// press and release on the same control is its click. It keeps the events
// from reaching the frame behind a label, which has rules of its own.
void Form2::watchControls()
{
    QList<QWidget *> controls{m_panel, m_frame};
    controls += m_frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *control : controls) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
    }
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        hover(watched);
        return true;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_pressed = watched;
        return true;
    case QEvent::MouseButtonDblClick:
        // The second press of a double click is not a second click.
        m_pressed = nullptr;
        return true;
    case QEvent::MouseButtonRelease: {
        const auto mouse = static_cast<QMouseEvent *>(event);
        const bool clicked = mouse->button() == Qt::LeftButton && watched == m_pressed
                             && static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton)
            m_pressed = nullptr;
        if (clicked)
            click(watched);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void Form2::showEvent(QShowEvent *event)
{
    clearUnderlines();
    QWidget::showEvent(event);
}

// Label9 and Label11 sit one above the other and never stay underlined
// together; Label5 keeps its state until the mouse reaches the frame.
void Form2::hover(QObject *control)
{
    if (control == m_playlistSite) {
        setUnderlined(m_playlistSite, true);
    } else if (control == m_authorSite) {
        setUnderlined(m_authorSite, true);
        setUnderlined(m_messenger, false);
    } else if (control == m_messenger) {
        setUnderlined(m_messenger, true);
        setUnderlined(m_authorSite, false);
    } else if (control == m_frame) {
        clearUnderlines();
    }
}

void Form2::click(QObject *control)
{
    if (control == m_spare)
        return;
    if (control == m_messenger) {
        openLink(Link::AuthorMessenger);
        return;
    }
    if (control == m_playlistSite)
        openLink(Link::PlaylistSiteHome);
    else if (control == m_authorSite)
        openLink(Link::AuthorHome);
    close();
}

void Form2::clearUnderlines()
{
    for (QLabel *link : {m_playlistSite, m_authorSite, m_messenger})
        setUnderlined(link, false);
}
