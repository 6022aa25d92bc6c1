#include "app/Form3.h"

#include "app/Artwork.h"
#include "app/Centre.h"
#include "app/Fonts.h"
#include "app/InfoMessage.h"
#include "app/Twips.h"
#include "app/FixedWindow.h"
#include "app/session/PlaylistSession.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

const QColor green(128, 255, 128);
const QColor lightBlue(192, 192, 255);
const QColor red(255, 0, 0);

struct Line
{
    const char *name;
    int left;
    int top;
    QString text;
    QColor colour = green;
};

QPalette blackPalette(QPalette palette)
{
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, green);
    return palette;
}

} // namespace

Form3::Form3(PlaylistSession &session)
    : QWidget(nullptr, fixedWindow::flags)
    , m_session(session)
{
    fixedWindow::setUp(this, QStringLiteral("Form3"), QStringLiteral("Исправление кракозябров в Windows"),
                       artwork::fixIcon(), blackPalette(palette()), twips::rect(0, 0, 7230, 4965).size());

    createFrame();
    createLabels();
    createButton();
    // The window goes away before the message, so that the message stands
    // alone. A failure keeps it open and names the file and the reason.
    connect(&m_session, &PlaylistSession::fixScriptWritten, this, [this](const QString &text) {
        close();
        infoMessage::show(nullptr, text);
    });
    connect(&m_session, &PlaylistSession::fixScriptFailed, this,
            [this](const QString &text) { infoMessage::show(this, text); });
    centreWindow(this, screen()->availableGeometry());
}

void Form3::createFrame()
{
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setGeometry(twips::rect(210, 150, 6810, 4590));
    m_frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_frame->setAutoFillBackground(true);
}

// Each label is one line of text at its place, as wide as its text. The four
// at the same height make one sentence.
void Form3::createLabels()
{
    const Line lines[] = {
        {"Label1", 135, 270, QStringLiteral("Кракозябры вместо русских букв...")},
        {"Label2", 135, 570, QStringLiteral("Почему такое случается? Однозначного ответа Вы не найдёте. Это может быть в")},
        {"Label3", 135, 855, QStringLiteral("следствии проделок вирусов, может из-за сбоя работы Windows (например, пропало")},
        {"Label4", 135, 1140, QStringLiteral("электричество и компьютер выключился аварийно), может программа создала")},
        {"Label5", 135, 1410, QStringLiteral("конфликт с другой или ОС и всё \"полетело\". В общем причин может быть много,")},
        {"Label6", 135, 1695, QStringLiteral("но самая интересная причина - это \"Оно само вот так взяло и сломалось\".")},
        {"Label7", 135, 2100, QStringLiteral("Нажмите на кнопку \"Создать фикс\" и рядом с программой появится файл")},
        {"Label8", 135, 2385, QStringLiteral("fix_krakozyabry.cmd"), lightBlue},
        {"Label14", 1590, 2385, QStringLiteral(", который надо запустить")},
        {"Label9", 3615, 2385, QStringLiteral("от имени Администратора"), red},
        {"Label10", 5700, 2385, QStringLiteral("и затем")},
        {"Label11", 135, 2670, QStringLiteral("перезагрузить компьютер.")},
        {"Label12", 135, 3045, QStringLiteral("Данное исправление поможет для всех программ, которые отображают текст")},
        {"Label13", 135, 3315, QStringLiteral("в виде кракозябров. Фикс применяется один раз.")},
    };
    for (const Line &line : lines) {
        auto label = new QLabel(line.text, m_frame);
        label->setObjectName(QLatin1String(line.name));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, line.colour);
        label->setPalette(palette);
        label->setGeometry(QRect(twips::rect(line.left, line.top, 0, 0).topLeft(), label->sizeHint()));
    }
}

void Form3::createButton()
{
    m_panel = new QWidget(m_frame);
    m_panel->setObjectName(QStringLiteral("Picture1"));
    m_panel->setGeometry(twips::rect(1230, 3555, 4470, 855));
    m_panel->setAutoFillBackground(true);
    m_panel->setFocusPolicy(Qt::ClickFocus);

    m_createButton = new QPushButton(QStringLiteral("Создать файл fix_krakozyabry.cmd "), m_panel);
    m_createButton->setObjectName(QStringLiteral("Command1"));
    m_createButton->setGeometry(twips::rect(435, 240, 3390, 495));
    connect(m_createButton, &QPushButton::clicked, this, &Form3::createScript);
}

void Form3::createScript()
{
    m_panel->setFocus();
    m_session.writeFixScript();
}
