#include "app/Form1.h"

#include "app/Centre.h"
#include "app/ClickWatcher.h"
#include "app/CountLabel.h"
#include "app/Form2.h"
#include "app/Form3.h"
#include "app/HoldRepeat.h"
#include "app/InfoMessage.h"
#include "app/InputGate.h"
#include "app/Links.h"
#include "app/PlaylistDialog.h"
#include "app/SingleWindow.h"
#include "app/TickDelegate.h"
#include "channels/GroupListModel.h"
#include "app/session/OutputFolder.h"
#include "app/session/PlaylistSession.h"
#include "app/ChannelListView.h"
#include "app/NewListView.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>

Form1::Form1(PlaylistSession &session, QWidget *parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_chooseFile(playlistDialog::choose)
{
    m_ui.setupUi(this);
    bindLists();
    bindCommands();
    bindFinding();
    bindMoves();
    bindNewListEditing();
    bindCounters();
    connectLinks();
    connectWindows();
    updateControls();
    adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        centreWindow(this, screen->availableGeometry());
}

Form1::~Form1() = default;

void Form1::bindLists()
{
    m_ui.sourceList->setModel(&m_session.sourceList());
    m_ui.newList->setModel(&m_session.newList());
    connect(&m_session, &PlaylistSession::sourceListRefilled, this,
            [this] { m_ui.sourceList->setCurrentIndex(m_session.sourceList().index(0)); });
    connect(static_cast<TickDelegate *>(m_ui.sourceList->itemDelegate()), &TickDelegate::ticked, this, &Form1::ticked);
}

void Form1::bindFinding()
{
    m_ui.groupChooser->setModel(new GroupListModel(m_session.sourceList(), this));
    connect(m_ui.filterEdit, &QLineEdit::textEdited, this, &Form1::filterChanged);
    connect(m_ui.groupChooser, &QComboBox::activated, this, &Form1::filterChanged);
    // The chooser shows the group the filter has, also after its groups came anew.
    connect(m_ui.groupChooser->model(), &QAbstractItemModel::modelReset, this, &Form1::updateControls);
    connect(&m_session, &PlaylistSession::filterApplied, this, &Form1::updateControls);
    connect(&m_session, &PlaylistSession::channelCountChanged, this, &Form1::updateControls);
    auto find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, [this] {
        m_ui.filterEdit->setFocus();
        m_ui.filterEdit->selectAll();
    });
    auto empty = new QShortcut(QKeySequence(Qt::Key_Escape), m_ui.filterEdit, nullptr, nullptr, Qt::WidgetShortcut);
    connect(empty, &QShortcut::activated, this, [this] {
        m_ui.filterEdit->clear();
        filterChanged();
    });
}

void Form1::filterChanged()
{
    m_session.setFilter(m_ui.filterEdit->text(), GroupListModel::groupOfRow(std::max(0, m_ui.groupChooser->currentIndex())));
}

void Form1::ticked(int row, bool ticked, bool withShift)
{
    const SourceListModel &list = m_session.sourceList();
    const int from = m_lastTickedChannel >= 0 && m_lastTickedChannel < list.count() ? list.rowOf(m_lastTickedChannel) : -1;
    if (withShift && from >= 0)
        m_session.tickRange(from, row, ticked);
    m_lastTickedChannel = list.channelAt(row);
}

void Form1::bindCommands()
{
    auto gate = new InputGate([this] { return m_session.isBusy(); }, this);
    for (QWidget *control :
         std::initializer_list<QWidget *>{m_ui.loadButton, m_ui.saveButton, m_ui.createButton, m_ui.previousButton,
                                          m_ui.selectAllBox, m_ui.ansiOption, m_ui.utf8Option})
        gate->guard(control);

    connect(m_ui.loadButton, &QPushButton::clicked, this, &Form1::loadFromDialog);
    connect(m_ui.createButton, &QPushButton::clicked, this, [this] {
        m_ui.background->setFocus();
        m_session.createNewList();
    });
    connect(m_ui.previousButton, &QPushButton::clicked, this, &Form1::createFromPrevious);
    connect(m_ui.saveButton, &QPushButton::clicked, this, [this] {
        m_ui.background->setFocus();
        m_session.save();
    });
    connect(m_ui.ansiOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_session.setInputMode(InputMode::Ansi);
    });
    connect(m_ui.utf8Option, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_session.setInputMode(InputMode::Utf8);
    });
    connect(m_ui.m3uOption, &QRadioButton::clicked, this, [this] { m_session.setSaveFormat(SaveFormat::Option::M3u); });
    connect(m_ui.m3u8Option, &QRadioButton::clicked, this, [this] { m_session.setSaveFormat(SaveFormat::Option::M3u8); });
    connect(m_ui.selectAllBox, &QCheckBox::toggled, &m_session, &PlaylistSession::setSelectAllTicked);
    // Select-all runs when a mouse button, any button, is released on the
    // box; a keyboard toggle only changes the box.
    auto selectAllClicks = new ClickWatcher(m_ui.selectAllBox, Qt::AllButtons, ClickWatcher::Release::Anywhere);
    connect(selectAllClicks, &ClickWatcher::clicked, &m_session, &PlaylistSession::selectAll);
    connect(&m_session, &PlaylistSession::stateChanged, this, &Form1::updateControls);
    connect(&m_session, &PlaylistSession::message, this, [this](const QString &text) { infoMessage::show(this, text); });
}

void Form1::bindMoves()
{
    new HoldRepeat(m_ui.upButton, m_ui.upDelay, m_ui.upRepeat, [this] { moveSelected(NewListModel::Direction::Up); }, this);
    new HoldRepeat(m_ui.downButton, m_ui.downDelay, m_ui.downRepeat,
                   [this] { moveSelected(NewListModel::Direction::Down); }, this);
    // A click (or the space bar) moves nothing; the press did.
    for (QPushButton *button : {m_ui.upButton, m_ui.downButton})
        connect(button, &QPushButton::clicked, this, [this] { m_ui.background->setFocus(); });
    connect(m_ui.newList, &NewListView::dropped, this, [this](int from, int to) {
        m_session.dropChannel(from, to);
        m_ui.newList->selectRow(to);
    });
}

void Form1::bindNewListEditing()
{
    NewListView *list = m_ui.newList;
    connect(list, &NewListView::removeRequested, this, [this, list] {
        m_session.removeFromNewList(list->selectedRows());
        list->clearSelection();
    });
    connect(list, &NewListView::moveToEdgeRequested, this, [this, list](NewListModel::Edge edge) {
        list->selectRows(m_session.moveToEdge(list->selectedRows(), edge));
    });
}

void Form1::bindCounters()
{
    connect(&m_session, &PlaylistSession::channelCountChanged, this,
            [this](int count) { m_ui.channelCount->setCount(count); });
    connect(&m_session, &PlaylistSession::newCountChanged, this,
            [this](int count) { m_ui.newCount->setCount(count); });
}

void Form1::connectLinks()
{
    const std::pair<QAction *, Link> entries[] = {
        {m_ui.authorHome, Link::AuthorHome},
        {m_ui.authorGamePrograms, Link::AuthorGamePrograms},
        {m_ui.authorPrograms, Link::AuthorPrograms},
        {m_ui.playlistSiteHome, Link::PlaylistSiteHome},
        {m_ui.playlistSiteIptv, Link::PlaylistSiteIptv},
        {m_ui.playlistSiteUnblock, Link::PlaylistSiteUnblock},
    };
    for (const auto &[action, link] : entries)
        connect(action, &QAction::triggered, this, [link = link] { openLink(link); });
    const std::pair<QLabel *, Link> logos[] = {
        {m_ui.playlistSiteLogo, Link::PlaylistSiteHome},
        {m_ui.authorLogo, Link::AuthorHome},
    };
    for (const auto &[logo, link] : logos) {
        auto clicks = new ClickWatcher(logo, Qt::LeftButton, ClickWatcher::Release::OverWidget);
        connect(clicks, &ClickWatcher::clicked, this, [link = link] { openLink(link); });
    }
}

void Form1::connectWindows()
{
    connect(m_ui.aboutCommand, &QAction::triggered, this, &Form1::showAbout);
    connect(m_ui.fixCommand, &QAction::triggered, this, &Form1::showFix);
}

// Every control's state, from the session's.
void Form1::updateControls()
{
    const PlaylistSession &s = m_session;
    m_ui.createButton->setEnabled(s.canCreate());
    m_ui.previousButton->setEnabled(s.canCreateFromPrevious());
    m_ui.newList->setRemovalEnabled(s.canRemoveFromNewList());
    const SourceFilter &filter = s.filter();
    if (m_ui.filterEdit->text() != filter.text())
        m_ui.filterEdit->setText(filter.text()); // a new playlist is looked through anew
    m_ui.groupChooser->setCurrentIndex(GroupListModel::rowOfGroup(filter.group()));
    m_ui.shownCount->setVisible(filter.isActive());
    m_ui.shownCount->setText(QStringLiteral("показано %1").arg(m_session.sourceList().rowCount()));
    m_ui.saveButton->setEnabled(s.canSave());
    m_ui.upButton->setEnabled(s.canMove());
    m_ui.downButton->setEnabled(s.canMove());
    m_ui.selectAllBox->setEnabled(s.canSelectAll());
    m_ui.selectAllBox->setChecked(s.isSelectAllTicked());
    m_ui.ansiOption->setEnabled(s.canSwitchEncoding());
    m_ui.utf8Option->setEnabled(s.canSwitchEncoding());
    (s.inputMode() == InputMode::Ansi ? m_ui.ansiOption : m_ui.utf8Option)->setChecked(true);
    m_ui.m3uOption->setEnabled(s.canChooseSaveFormat());
    m_ui.m3u8Option->setEnabled(s.canChooseSaveFormat());
    if (const auto format = s.saveFormat())
        (*format == SaveFormat::Option::M3u ? m_ui.m3uOption : m_ui.m3u8Option)->setChecked(true);
    m_ui.busyLabel->setVisible(s.isBusy());
}

void Form1::loadFromDialog()
{
    m_ui.background->setFocus();
    if (!m_session.prepareLoad())
        return;
    std::optional<QString> chosen = m_chooseFile(this, playlistDialog::load(OutputFolder::dialogFolder(m_session.programFolder())));
    if (!chosen || chosen->isEmpty() || chosen->size() > playlistDialog::maxPathLength)
        return;
    m_session.load(*chosen);
}

void Form1::createFromPrevious()
{
    m_ui.background->setFocus();
    if (!m_session.canCreateFromPrevious())
        return;
    // Saves go to the folder the dialog starts in.
    const QString folder = OutputFolder::dialogFolder(m_session.programFolder());
    std::optional<QString> chosen = m_chooseFile(this, playlistDialog::previous(folder));
    if (!chosen || chosen->isEmpty() || chosen->size() > playlistDialog::maxPathLength)
        return;
    m_session.createFromPrevious(*chosen);
}

void Form1::load(const QString &path)
{
    if (m_session.prepareLoad())
        m_session.load(path);
}

void Form1::moveSelected(NewListModel::Direction direction)
{
    const int row = m_ui.newList->selectedRow();
    if (row < 0)
        return;
    const int to = m_session.moveChannel(row, direction);
    if (to != row)
        m_ui.newList->selectRow(to);
}

void Form1::showAbout()
{
    showSingle(m_about, this);
}

void Form1::showFix()
{
    showSingle(m_fix, m_session);
}

void Form1::closeEvent(QCloseEvent *event)
{
    m_session.shutDown();
    if (m_about)
        m_about->close();
    if (m_fix)
        m_fix->close();
    event->accept();
}
