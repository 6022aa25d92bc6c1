#pragma once

#include "app/session/BackgroundTask.h"
#include "app/session/SourceFilter.h"
#include "base/Result.h"
#include "channels/NewListModel.h"
#include "channels/SourceListModel.h"
#include "encoding/InputMode.h"
#include "intake/Normaliser.h"
#include "intake/Passes.h"
#include "intake/SaveFormat.h"
#include "intake/WorkingFiles.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class Progress;

// The loaded playlist and everything done with it: the working files, the
// two channel lists, the input mode, the save format and the counters. It
// runs the operations (load, encoding switch, select-all, "Создать", moves,
// save, the repair script) one at a time, the long ones on a thread of their
// own, and tells what changed by signals; it knows nothing of the window that
// shows it. What may be done now is derived from what it holds.
class PlaylistSession : public QObject
{
    Q_OBJECT
public:
    enum class Operation {
        None,
        Load,
        SwitchEncoding,
        SelectAll,
        Create,
        FromPrevious,
        Save,
    };

    // programFolder: where the new playlist and its backup are written;
    // temporaryFolder: where the working files go, empty for the usual place.
    explicit PlaylistSession(const QString &programFolder, const QString &temporaryFolder = {},
                             QObject *parent = nullptr);
    ~PlaylistSession() override; // shutDown()

    [[nodiscard]] SourceListModel &sourceList() { return m_sourceList; }
    [[nodiscard]] const SourceFilter &filter() const { return m_filter; }
    [[nodiscard]] NewListModel &newList() { return m_newList; }
    [[nodiscard]] WorkingFiles &workingFiles() { return m_files; }
    [[nodiscard]] QString programFolder() const { return m_programFolder; }

    // What the window shows.
    [[nodiscard]] bool isBusy() const { return m_operation != Operation::None; }
    [[nodiscard]] InputMode inputMode() const { return m_inputMode; }
    [[nodiscard]] std::optional<SaveFormat::Option> saveFormat() const { return m_saveFormat; }
    [[nodiscard]] int channelCount() const { return m_channelCount; }
    [[nodiscard]] int newCount() const { return m_newCount; }
    [[nodiscard]] bool isSelectAllTicked() const { return m_selectAllTicked; }
    [[nodiscard]] bool canChooseSaveFormat() const { return m_stage >= Stage::FileChosen; }
    [[nodiscard]] bool canCreate() const { return m_stage >= Stage::Loaded; }
    [[nodiscard]] bool canSelectAll() const { return m_playlistListed; }
    [[nodiscard]] bool canSwitchEncoding() const { return !m_allTicked; }
    [[nodiscard]] bool canMove() const { return m_stage >= Stage::NewListBuilt; }
    [[nodiscard]] bool canSave() const { return canMove() && m_operation != Operation::Save; }

    // The load, in two steps around the open-file dialog: first select-all is
    // unticked and disabled and the old working files go (false, with a
    // message, when one cannot be deleted); then the chosen file is read, in
    // the input mode its bytes tell (the one set when they are ASCII alone).
    bool prepareLoad();
    void load(const QString &path);
    // Switches the encoding (and reads the playlist again) when it changes.
    void setInputMode(InputMode mode);
    // The select-all box changed; only selectAll() acts on it.
    void setSelectAllTicked(bool ticked);
    // Ticks or unticks, as the box is, what the source list shows: every
    // channel, listed anew, or the ones a filter shows, in place.
    void selectAll();
    void setSaveFormat(SaveFormat::Option option);
    void createNewList();
    // "Как в прошлый раз": the channels of a playlist saved before are found
    // among the loaded ones; exactly those are ticked and make the new list,
    // in the previous playlist's order, and the user is told what was not
    // found. A previous playlist that cannot be read changes nothing.
    [[nodiscard]] bool canCreateFromPrevious() const { return canCreate(); }
    void createFromPrevious(const QString &path);
    // Moves of the new list's items; allowed while an operation runs.
    int moveChannel(int row, NewListModel::Direction direction);
    void dropChannel(int from, int to);
    void save();
    // The items at these rows (any order) to the top or the bottom, in their
    // order; returns the rows they stand at then.
    std::vector<int> moveToEdge(std::vector<int> rows, NewListModel::Edge edge);
    // The items at these rows leave the new list and their channels are
    // unticked, so that "Создать" makes the same list again. Not while an
    // operation runs.
    [[nodiscard]] bool canRemoveFromNewList() const { return !isBusy(); }
    void removeFromNewList(std::vector<int> rows);

    // Finding: the source list shows the channels whose names hold every
    // word of the text, of the group (ChannelQuery::everyGroup for all).
    void setFilter(const QString &text, qint32 group);
    // Ticks (unticks) every channel the source list shows from one row to
    // the other, both included.
    void tickRange(int fromRow, int toRow, bool ticked);
    // Writes the repair script, whatever else runs; fixScriptWritten() or
    // fixScriptFailed() tells how it ended.
    void writeFixScript();

    // The window is closing: a running operation stops, and the working
    // files go once it has closed them.
    void shutDown();

    // How often long operations hand on what they have done; tests set 0 to
    // see every line.
    void setProgressIntervalForTesting(int milliseconds) { m_progressIntervalMs = milliseconds; }

Q_SIGNALS:
    // An enabled, checked or busy state changed.
    void stateChanged();
    void channelCountChanged(int count);
    void newCountChanged(int count);
    // The source list was filled anew: its first item becomes the current one.
    void sourceListRefilled();
    // The source list shows what the filter asks for now.
    void filterApplied();
    // To tell the user once an operation has ended.
    void message(const QString &text);
    void finished(PlaylistSession::Operation operation);
    void fixScriptWritten(const QString &message);
    void fixScriptFailed(const QString &message);

private:
    // How far the user has come. What a step makes possible stays possible: a
    // later load that is cancelled or fails leaves the buttons as they were.
    enum class Stage {
        Start,
        FileChosen,
        Loaded,
        NewListBuilt,
    };

    // Runs on the task's thread; `progress` hands on what it did and tells when to stop.
    using Work = std::function<Result<>(Progress &progress)>;
    // Runs on the task's thread at every report and at the end: hands on what
    // the work gathered.
    using Report = std::function<void()>;
    // Runs here when the work has ended (not when it was stopped); returns
    // the message to show, if any.
    using Done = std::function<QString(const Result<> &result)>;
    class PendingChannels;
    // Hears the input mode a load chose from the playlist's bytes.
    using ModeSink = std::function<void(InputMode mode)>;
    // The pass that fills the source list, giving each name to the sink.
    using Fill = std::function<Result<>(Progress &progress, const passes::ChannelSink &sink, const ModeSink &onMode)>;

    void run(Operation operation, Work work, Report report, Done done);
    void fillSourceList(Operation operation, bool ticked, passes::Groups groups, Fill fill, Done done);
    // Ends a fill that lists the playlist again: the count, the first item
    // made current, and the message for a failure.
    QString finishRefill(const Result<> &result);
    // Rows of the new list sorted, each once, those it has.
    [[nodiscard]] std::vector<int> newListRows(std::vector<int> rows) const;
    // The mode a load chose; the list, still empty, takes names in it.
    void takeInputMode(InputMode mode);
    // The working files and the source list go: nothing is loaded.
    void forgetPlaylist();
    void reach(Stage stage) { m_stage = std::max(m_stage, stage); }
    // Hands a batch the work gathered to the lists, on this thread.
    void postBatch(std::function<void()> append);
    void showChannelCount(int count);
    void showNewCount(int count);
    [[nodiscard]] static QString textOf(const FileFailure &failure);

    QString m_programFolder;
    WorkingFiles m_files;
    Normaliser m_normaliser;
    SourceListModel m_sourceList;
    SourceFilter m_filter{m_sourceList};
    NewListModel m_newList;
    BackgroundTask m_task;
    BackgroundTask m_fixTask;

    Stage m_stage = Stage::Start;
    Operation m_operation = Operation::None;
    // The working files hold the playlist the source list shows.
    bool m_playlistListed = false;
    // Select-all last ticked every channel: the encoding stays until it unticks them.
    bool m_allTicked = false;
    bool m_selectAllTicked = false;
    InputMode m_inputMode = InputMode::Utf8;
    std::optional<SaveFormat::Option> m_saveFormat;
    QString m_saveExtension;
    int m_channelCount = 0;
    int m_newCount = 0;
    int m_progressIntervalMs;
    std::atomic<bool> m_outOfMemory = false;
};
