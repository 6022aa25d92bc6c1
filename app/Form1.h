#pragma once

#include "app/Form1Ui.h"
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

    // Answers the open-file question: the chosen path, or nothing.
    using FileChooser = std::function<std::optional<QString>(QWidget *parent, const QString &folder)>;
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
    void bindMoves();
    void bindCounters();
    void connectLinks();
    void connectWindows();
    void updateControls();

    void loadFromDialog();
    void moveSelected(NewListModel::Direction direction);
    void showAbout();
    void showFix();

    PlaylistSession &m_session;
    Form1Ui m_ui;
    FileChooser m_chooseFile;
    QPointer<Form2> m_about;
    QPointer<Form3> m_fix;
};
