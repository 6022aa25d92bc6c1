#include "app/Form1.h"

#include "app/ClickLabel.h"
#include "app/Form2.h"
#include "app/Links.h"
#include "app/OperationGate.h"
#include "app/SingleWindow.h"
#include "channels/NewListBuilder.h"
#include "channels/Reorder.h"
#include "channels/SelectAll.h"
#include "channels/SelectAllBox.h"
#include "encoding/EncodingSwitch.h"
#include "fix/Form3.h"
#include "intake/PlaylistLoader.h"
#include "writer/SaveCommand.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

Form1::Form1(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent)
{
    m_session.programFolder = programFolder;
    m_ui.setupUi(this);
    createControllers();
    connectLinks();
    connect(m_ui.A3, &QAction::triggered, this, &Form1::showAbout);
    connect(m_ui.krakozyabry, &QAction::triggered, this, &Form1::showFix);
    centreOnScreen();
}

Form1::~Form1() = default;

bool Form1::isBusy() const
{
    return m_gate->isBusy();
}

void Form1::setEveryLineASliceForTesting()
{
    m_gate->setSliceInterval(0);
}

void Form1::createControllers()
{
    m_gate = new OperationGate(m_ui.Label6, [this] { deleteWorkingFiles(); }, this);
    QWidget *const startOperations[] = {m_ui.Command1, m_ui.Command2, m_ui.Command3,
                                        m_ui.Check1,   m_ui.Option1,  m_ui.Option2};
    for (QWidget *control : startOperations)
        m_gate->guard(control);

    m_loader = new PlaylistLoader(m_ui, m_session, *m_gate, this);
    connect(m_ui.Command1, &QPushButton::clicked, m_loader, &PlaylistLoader::load);

    m_encodingSwitch = new EncodingSwitch(m_ui, m_session, *m_gate, this);
    connect(m_ui.Option1, &QRadioButton::toggled, m_encodingSwitch, &EncodingSwitch::optionSelected);
    connect(m_ui.Option2, &QRadioButton::toggled, m_encodingSwitch, &EncodingSwitch::optionSelected);

    m_selectAll = new SelectAll(m_ui, m_session, *m_gate, this);
    connect(m_ui.Check1, &SelectAllBox::mouseReleased, m_selectAll, &SelectAll::run);

    m_newListBuilder = new NewListBuilder(m_ui, m_session, *m_gate, this);
    connect(m_ui.Command3, &QPushButton::clicked, m_newListBuilder, &NewListBuilder::build);

    m_reorder = new Reorder(m_ui, this);

    m_saveCommand = new SaveCommand(m_ui, m_session, *m_gate, this);
    connect(m_ui.Command2, &QPushButton::clicked, m_saveCommand, &SaveCommand::save);
}

void Form1::centreOnScreen()
{
    adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form1::connectLinks()
{
    const std::pair<QAction *, Link> entries[] = {
        {m_ui.A4, Link::AuthorHome},        {m_ui.A6, Link::AuthorGamePrograms},
        {m_ui.A7, Link::AuthorPrograms},    {m_ui.A11, Link::PlaylistSiteHome},
        {m_ui.A12, Link::PlaylistSiteIptv}, {m_ui.razban, Link::PlaylistSiteUnblock},
    };
    for (const auto &[action, link] : entries)
        connect(action, &QAction::triggered, this, [link = link] { openLink(link); });
    connect(m_ui.Image1, &ClickLabel::clicked, this, [] { openLink(Link::PlaylistSiteHome); });
    connect(m_ui.Image2, &ClickLabel::clicked, this, [] { openLink(Link::AuthorHome); });
}

void Form1::showAbout()
{
    showSingle(m_about, this);
}

void Form1::showFix()
{
    showSingle(m_fix, m_session.programFolder);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // A running operation stops at its next slice and the files go when it
    // has closed them; otherwise they go now.
    if (m_gate->requestStop())
        deleteWorkingFiles();
    if (m_about)
        m_about->close();
    if (m_fix)
        m_fix->close();
    event->accept();
}

void Form1::deleteWorkingFiles()
{
    // A file that cannot be deleted (locked elsewhere) does not keep the
    // program from ending.
    (void)m_session.workingFiles.removeIfPresent(WorkingFiles::Kind::Normalised);
    (void)m_session.workingFiles.removeIfPresent(WorkingFiles::Kind::Raw);
}
