#pragma once

#include "app/OperationGate.h"
#include "intake/PassResult.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;
struct Form1Ui;
struct Session;

// The load button: asks for a playlist, makes the two working files from it
// and lists its channels in List1.
class PlaylistLoader : public QObject
{
    Q_OBJECT
public:
    // The longest path the open-file dialog hands back.
    static constexpr int maxPathLength = 254;

    // Answers the open-file question: the chosen path, or nothing.
    using FileChooser = std::function<std::optional<QString>(QWidget *parent, const QString &folder)>;

    PlaylistLoader(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window);

    // The open-file dialog, set up but not shown.
    [[nodiscard]] static QFileDialog *createDialog(QWidget *parent, const QString &folder);

    // Tests answer the dialog without showing it.
    void setFileChooserForTesting(FileChooser chooser) { m_chooseFile = std::move(chooser); }

public Q_SLOTS:
    void load();

private:
    [[nodiscard]] std::optional<QString> chooseFile();
    void applySaveFormat();
    [[nodiscard]] bool readPlaylist(OperationGate::Operation &operation);
    void fail(OperationGate::Operation &operation, const PassResult &result);

    Form1Ui &m_ui;
    Session &m_session;
    OperationGate &m_gate;
    QWidget *m_window;
    FileChooser m_chooseFile;
};
