#include "app/session/PlaylistSession.h"

#include "app/session/FreedMemory.h"
#include "app/session/Messages.h"
#include "app/session/OutputFolder.h"
#include "base/Progress.h"
#include "channels/ChannelWalk.h"
#include "channels/GroupNumbering.h"
#include "channels/PreviousChoice.h"
#include "encoding/Text.h"
#include "fix/FixScript.h"
#include "intake/PlaylistIntake.h"
#include "intake/PreviousPlaylist.h"
#include "writer/PlaylistSave.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

using Kind = WorkingFiles::Kind;

} // namespace

// What a fill has listed and not handed over yet, on the work's thread.
class PlaylistSession::PendingChannels
{
public:
    PendingChannels(InputMode mode, passes::Groups groups)
        : m_names(mode)
        , m_readGroups(groups == passes::Groups::Read)
        , m_numbering(mode)
    {
    }

    [[nodiscard]] passes::Groups groups() const { return m_readGroups ? passes::Groups::Read : passes::Groups::Skip; }
    [[nodiscard]] bool isEmpty() const { return m_names.isEmpty(); }
    void add(const passes::ListedChannel &channel)
    {
        m_names.append(channel.name);
        if (m_readGroups)
            m_groups.push_back(channel.group.isEmpty() ? -1 : m_numbering.numberOf(channel.group));
    }
    [[nodiscard]] SourceListModel::Batch take()
    {
        m_names.squeeze();
        return {std::make_shared<const NameList>(std::exchange(m_names, NameList(m_names.encoding()))),
                std::exchange(m_groups, {}), m_numbering.takeNew()};
    }

private:
    NameList m_names;
    bool m_readGroups;
    std::vector<qint32> m_groups; // none when the channels keep theirs
    GroupNumbering m_numbering;
};

PlaylistSession::PlaylistSession(const QString &programFolder, const QString &temporaryFolder, QObject *parent)
    : QObject(parent)
    , m_programFolder(programFolder)
    , m_files(temporaryFolder)
    , m_progressIntervalMs(Progress::defaultIntervalMs)
{
    connect(&m_filter, &SourceFilter::applied, this, &PlaylistSession::filterApplied);
    connect(&m_filter, &SourceFilter::failed, this, &PlaylistSession::message);
}

PlaylistSession::~PlaylistSession()
{
    shutDown();
}

bool PlaylistSession::prepareLoad()
{
    if (isBusy())
        return false;
    m_playlistListed = false;
    m_selectAllTicked = false;
    Q_EMIT stateChanged();
    for (Kind kind : {Kind::Normalised, Kind::Raw}) {
        if (Result<> removed = m_files.remove(kind); !removed) {
            Q_EMIT message(textOf(removed.failure()));
            return false;
        }
    }
    return true;
}

void PlaylistSession::load(const QString &path)
{
    if (isBusy())
        return;
    const QString playlistPath = trimSpaces(QStringView(path)).toString();
    if (const std::optional<SaveFormat> format = SaveFormat::fromFileName(playlistPath)) {
        m_saveExtension = format->extension;
        m_saveFormat = format->option;
    }
    reach(Stage::FileChosen);
    m_playlistListed = false;
    m_allTicked = false;
    m_filter.clear(); // a new playlist is found anew
    m_sourceList.clear(m_inputMode);
    fillSourceList(Operation::Load, false, passes::Groups::Read,
                   [&files = m_files, &normaliser = m_normaliser, playlistPath, mode = m_inputMode](
                       Progress &progress, const passes::ChannelSink &sink, const ModeSink &onMode) {
                       return intake::loadPlaylist(playlistPath, files, normaliser, mode, progress, onMode, sink);
                   },
                   [this](const Result<> &result) {
                       if (!result) {
                           // What a failed load leaves is what a cancelled one leaves.
                           forgetPlaylist();
                           return textOf(result.failure());
                       }
                       showChannelCount(m_sourceList.count());
                       reach(Stage::Loaded);
                       m_playlistListed = true;
                       m_newList.clear();
                       return QString();
                   });
}

void PlaylistSession::setInputMode(InputMode mode)
{
    if (isBusy() || mode == m_inputMode)
        return;
    m_inputMode = mode;
    showChannelCount(0);
    m_sourceList.clear(mode);
    m_newList.clear();
    fillSourceList(Operation::SwitchEncoding, m_selectAllTicked, passes::Groups::Read,
                   [&files = m_files, &normaliser = m_normaliser, mode](
                       Progress &progress, const passes::ChannelSink &sink, const ModeSink &) {
                       return intake::rebuildSourceList(files, normaliser, mode, progress, sink);
                   },
                   [this](const Result<> &result) {
                       // The copy the list comes from could not be made whole:
                       // nothing is loaded any more, as after a failed load.
                       if (!result && result.failure().kind != FileFailure::Kind::NotLoaded) {
                           forgetPlaylist();
                           return textOf(result.failure());
                       }
                       // Nothing listed: no playlist, or one without channels.
                       if (result && m_sourceList.count() == 0) {
                           showChannelCount(0);
                           return messages::loadPlaylistFirst();
                       }
                       return finishRefill(result);
                   });
}

void PlaylistSession::setSelectAllTicked(bool ticked)
{
    if (ticked == m_selectAllTicked)
        return;
    m_selectAllTicked = ticked;
    Q_EMIT stateChanged();
}

void PlaylistSession::selectAll()
{
    if (isBusy())
        return;
    const bool ticked = m_selectAllTicked;
    if (m_sourceList.isFiltered()) {
        m_sourceList.setTicked(m_sourceList.shown(), ticked);
        m_allTicked = m_sourceList.allTicked();
        Q_EMIT stateChanged();
        return;
    }
    showChannelCount(0);
    m_allTicked = ticked;
    // The same copy, the same mode: the channels keep the groups they have.
    m_sourceList.clearNames(m_inputMode);
    fillSourceList(Operation::SelectAll, ticked, passes::Groups::Skip,
                   [&files = m_files, mode = m_inputMode](Progress &progress, const passes::ChannelSink &sink,
                                                          const ModeSink &) {
                       return intake::listChannels(files, mode, progress, sink);
                   },
                   [this](const Result<> &result) { return finishRefill(result); });
}

void PlaylistSession::setSaveFormat(SaveFormat::Option option)
{
    if (m_saveFormat == option)
        return;
    m_saveFormat = option;
    Q_EMIT stateChanged();
}

void PlaylistSession::createNewList()
{
    if (isBusy())
        return;
    // Without the raw copy (a later load was cancelled) the lists stay.
    Result<std::unique_ptr<QFile>> opened = m_files.open(Kind::Raw);
    if (!opened) {
        Q_EMIT message(textOf(opened.failure()));
        return;
    }
    std::shared_ptr<QFile> raw = std::move(*opened);
    showNewCount(0);
    m_newList.clear(m_sourceList.names());
    auto pending = std::make_shared<std::vector<qint32>>();
    run(Operation::Create,
        [raw, mode = m_inputMode, ticks = m_sourceList.ticks(), pending](Progress &progress) {
            // The ticks as they were at the click.
            return channelWalk::tickedRows(*raw, mode, ticks, progress, [&](int row) { pending->push_back(row); });
        },
        [this, pending] {
            if (pending->empty())
                return;
            auto batch = std::make_shared<std::vector<qint32>>(std::exchange(*pending, {}));
            postBatch([this, batch] {
                m_newList.append(*batch);
                showNewCount(m_newList.count());
            });
        },
        [this](const Result<> &result) {
            reach(Stage::NewListBuilt);
            return result ? QString() : textOf(result.failure());
        });
}

void PlaylistSession::createFromPrevious(const QString &path)
{
    if (isBusy() || !canCreateFromPrevious())
        return;
    auto choice = std::make_shared<PreviousChoice>();
    run(Operation::FromPrevious,
        [&files = m_files, mode = m_inputMode, names = m_sourceList.names(), path, choice](Progress &progress) -> Result<> {
            Result<PreviousPlaylist> previous = readPreviousPlaylist(path, progress);
            if (!previous)
                return previous;
            NameList ids(mode);
            if (Result<> listed = intake::listTvgIds(files, mode, progress, [&](QByteArrayView id) { ids.append(id); });
                !listed)
                return listed;
            if (ids.count() != names.count())
                return FileFailure{FileFailure::Action::Read, files.path(Kind::Normalised),
                                   QStringLiteral("Рабочий файл не совпадает со списком каналов.")};
            Result<PreviousChoice> chosen = choosePrevious(*previous, names, ids, progress);
            if (chosen)
                *choice = std::move(*chosen);
            return chosen;
        },
        {},
        [this, choice](const Result<> &result) {
            if (!result)
                return textOf(result.failure());
            // As if "Создать" had been pressed with exactly these ticked and
            // the list then put in this order.
            std::vector<char> ticks(size_t(m_sourceList.count()), 0);
            for (const qint32 channel : choice->channels)
                ticks[size_t(channel)] = 1;
            m_sourceList.setTicks(std::move(ticks));
            m_selectAllTicked = false;
            m_allTicked = false;
            m_newList.set(m_sourceList.names(), std::move(choice->channels));
            showNewCount(m_newList.count());
            reach(Stage::NewListBuilt);
            return messages::foundInPrevious(choice->previousCount - choice->notFoundCount, choice->previousCount,
                                             choice->notFound, choice->notFoundCount);
        });
}

int PlaylistSession::moveChannel(int row, NewListModel::Direction direction)
{
    return m_newList.step(row, direction);
}

void PlaylistSession::dropChannel(int from, int to)
{
    if (from >= 0 && from < m_newList.count() && to >= 0 && to < m_newList.count())
        m_newList.move(from, to);
}

std::vector<int> PlaylistSession::newListRows(std::vector<int> rows) const
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [this](int row) { return row < 0 || row >= m_newList.count(); });
    return rows;
}

std::vector<int> PlaylistSession::moveToEdge(std::vector<int> rows, NewListModel::Edge edge)
{
    return m_newList.moveTo(newListRows(std::move(rows)), edge);
}

void PlaylistSession::removeFromNewList(std::vector<int> rows)
{
    if (!canRemoveFromNewList())
        return;
    for (const qint32 channel : m_newList.remove(newListRows(std::move(rows)))) {
        // After a cancelled load the list may hold channels no longer listed.
        if (channel < m_sourceList.count())
            m_sourceList.setTicked(channel, false);
    }
    showNewCount(m_newList.count());
}

void PlaylistSession::setFilter(const QString &text, qint32 group)
{
    m_filter.set(text, group);
}

void PlaylistSession::tickRange(int fromRow, int toRow, bool ticked)
{
    const int first = std::max(0, std::min(fromRow, toRow));
    const int last = std::min(m_sourceList.rowCount() - 1, std::max(fromRow, toRow));
    std::vector<qint32> channels;
    for (int row = first; row <= last; ++row)
        channels.push_back(m_sourceList.channelAt(row));
    m_sourceList.setTicked(channels, ticked);
}

void PlaylistSession::save()
{
    if (isBusy())
        return;
    if (m_saveFormat)
        m_saveExtension = m_saveFormat == SaveFormat::Option::M3u ? QStringLiteral("m3u") : QStringLiteral("m3u8");
    // The save writes the list as it stands now; moves made while it runs
    // belong to the next save.
    auto folder = std::make_shared<OutputFolder>();
    run(Operation::Save,
        [programFolder = m_programFolder, &files = m_files, rows = m_newList.rows(), folder,
         extension = m_saveExtension, mode = m_inputMode](Progress &progress) -> Result<> {
            freedMemory::releaseForSave();
            const auto kept = qScopeGuard(freedMemory::saveEnded);
            Result<OutputFolder> chosen = OutputFolder::choose(programFolder);
            if (!chosen)
                return chosen.failure();
            *folder = *chosen;
            return savePlaylist(folder->path, extension, files, rows, mode, progress);
        },
        {},
        [folder](const Result<> &result) {
            return result ? messages::playlistSaved(folder->besideProgram, folder->path) : textOf(result.failure());
        });
}

void PlaylistSession::writeFixScript()
{
    if (m_fixTask.isRunning())
        return;
    auto folder = std::make_shared<OutputFolder>();
    auto result = std::make_shared<Result<>>();
    const std::function<void()> finish = [this, folder, result] {
        if (*result)
            Q_EMIT fixScriptWritten(messages::fixScriptWritten(folder->besideProgram, folder->path));
        else
            Q_EMIT fixScriptFailed(result->failure().message());
    };
    const bool started = m_fixTask.start(
        [programFolder = m_programFolder, folder, result] {
            try {
                Result<OutputFolder> chosen = OutputFolder::choose(programFolder);
                if (chosen)
                    *folder = *chosen;
                *result = chosen ? ::writeFixScript(folder->path) : Result<>(chosen.failure());
            } catch (const std::bad_alloc &) {
                *result = FileFailure::outOfMemory();
            }
        },
        finish);
    if (!started) {
        *result = FileFailure::outOfMemory();
        finish();
    }
}

void PlaylistSession::shutDown()
{
    m_filter.stop();
    m_fixTask.stop();
    m_task.stop();
    m_operation = Operation::None;
    m_files.removeAll();
}

void PlaylistSession::fillSourceList(Operation operation, bool ticked, passes::Groups groups, Fill fill, Done done)
{
    // Nothing is searched in a list that fills; the filter applies again
    // once the fill has ended.
    m_filter.hold();
    done = [this, done = std::move(done)](const Result<> &result) {
        const QString text = done(result);
        m_filter.release();
        return text;
    };
    auto pending = std::make_shared<PendingChannels>(m_inputMode, groups);
    // Heard before the first channel: the names that come are in this mode.
    ModeSink onMode = [this, pending](InputMode mode) {
        *pending = PendingChannels(mode, pending->groups());
        postBatch([this, mode] { takeInputMode(mode); });
    };
    run(operation,
        [fill = std::move(fill), pending, onMode = std::move(onMode)](Progress &progress) {
            return fill(progress, [&](const passes::ListedChannel &channel) { pending->add(channel); }, onMode);
        },
        [this, pending, ticked] {
            if (pending->isEmpty())
                return;
            auto batch = std::make_shared<SourceListModel::Batch>(pending->take());
            postBatch([this, batch, ticked] {
                m_sourceList.append(std::move(*batch), ticked);
                showChannelCount(m_sourceList.count());
            });
        },
        std::move(done));
}

void PlaylistSession::takeInputMode(InputMode mode)
{
    if (mode == m_inputMode)
        return;
    m_inputMode = mode;
    m_sourceList.clear(mode);
    Q_EMIT stateChanged();
}

void PlaylistSession::forgetPlaylist()
{
    (void)m_files.remove(Kind::Normalised);
    (void)m_files.remove(Kind::Raw);
    m_playlistListed = false;
    m_filter.hold();
    m_sourceList.clear(m_inputMode);
    showChannelCount(0);
}

QString PlaylistSession::finishRefill(const Result<> &result)
{
    showChannelCount(m_sourceList.count());
    if (m_sourceList.count() > 0)
        Q_EMIT sourceListRefilled();
    return result ? QString() : textOf(result.failure());
}

void PlaylistSession::run(Operation operation, Work work, Report report, Done done)
{
    m_operation = operation;
    Q_EMIT stateChanged();
    // The work has the session's working files and normaliser to itself
    // until it has ended: nothing here touches them meanwhile.
    auto result = std::make_shared<Result<>>();
    m_outOfMemory = false;
    const std::function<void()> finish = [this, operation, result, done = std::move(done)] {
        m_operation = Operation::None;
        if (m_outOfMemory)
            *result = FileFailure::outOfMemory();
        const QString text = done(*result);
        Q_EMIT stateChanged();
        if (!text.isEmpty())
            Q_EMIT message(text);
        Q_EMIT finished(operation);
    };
    const bool started = m_task.start(
        [&task = m_task, &outOfMemory = m_outOfMemory, work = std::move(work), report = std::move(report), result,
         interval = m_progressIntervalMs] {
            // Running out of memory ends the operation, not the program.
            try {
                Progress progress([&] {
                    if (report)
                        report();
                    return !task.stopRequested() && !outOfMemory;
                }, interval);
                *result = work(progress);
                if (report)
                    report();
            } catch (const std::bad_alloc &) {
                outOfMemory = true;
            }
        },
        finish);
    if (!started) {
        m_outOfMemory = true;
        finish();
    }
}

void PlaylistSession::postBatch(std::function<void()> append)
{
    m_task.post([this, append = std::move(append)] {
        try {
            append();
        } catch (const std::bad_alloc &) {
            m_outOfMemory = true; // the work sees it at its next report and ends
        }
    });
}

void PlaylistSession::showChannelCount(int count)
{
    m_channelCount = count;
    Q_EMIT channelCountChanged(count);
}

void PlaylistSession::showNewCount(int count)
{
    m_newCount = count;
    Q_EMIT newCountChanged(count);
}

QString PlaylistSession::textOf(const FileFailure &failure)
{
    return failure.kind == FileFailure::Kind::NotLoaded ? messages::loadPlaylistFirst() : failure.message();
}
