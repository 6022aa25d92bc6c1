#pragma once

#include "app/Form1Ui.h"
#include "app/PlaylistDialog.h"
#include "channels/NewListModel.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <optional>

class Form2;
class Form3;
class PlaylistSession;

// The main window. It shows the playlist session and hands the user's input
// to it: every control's enabled, checked and visible state comes from the
// session's state in updateControls().
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(PlaylistSession &session, QWidget *parent = nullptr);
    ~Form1() override;

    // Answers an open-file question: the chosen path, or nothing.
    using FileChooser = std::function<std::optional<QString>(QWidget *parent, const playlistDialog::Request &request)>;
    // Tests answer the dialog without showing it.
    void setFileChooserForTesting(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // Loads a playlist as if it had been chosen in the dialog (one named on
    // the command line, say).
    void load(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void bindLists();
    void bindCommands();
    void bindFinding();
    void bindNewListEditing();
    void bindMoves();
    void bindCounters();
    void connectLinks();
    void connectWindows();
    void updateControls();

    void loadFromDialog();
    void createFromPrevious();
    // The filter's text and group as the controls show them.
    void filterChanged();
    // A tick set by hand; with Shift, every shown channel from the last one.
    void ticked(int row, bool ticked, bool withShift);
    void moveSelected(NewListModel::Direction direction);
    void showAbout();
    void showFix();

    PlaylistSession &m_session;
    Form1Ui m_ui;
    FileChooser m_chooseFile;
    int m_lastTickedChannel = -1;
    QPointer<Form2> m_about;
    QPointer<Form3> m_fix;
};
