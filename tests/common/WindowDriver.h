#pragma once

#include "app/Form1.h"
#include "app/session/PlaylistSession.h"
#include "common/SessionDriver.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QAbstractButton;
class QWidget;

// Drives a real main window in a test: a session with a program folder and
// a temporary folder of its own, the open-file dialog answered by the test,
// and message boxes recorded instead of shown. Keep one per test function,
// on the stack.
class WindowDriver
{
public:
    WindowDriver();
    ~WindowDriver();

    [[nodiscard]] Form1 &window() { return m_window; }
    [[nodiscard]] PlaylistSession &session() { return m_session; }
    [[nodiscard]] QString programFolder() const { return m_programFolder.path(); }
    [[nodiscard]] QString tempFolder() const { return m_tempFolder.path(); }
    [[nodiscard]] QString workingFilePath(WorkingFiles::Kind kind) { return m_session.workingFiles().path(kind); }

    // A file in the program folder with these bytes; returns its path.
    QString writeFile(const QString &name, const QByteArray &bytes) const;

    // Clicks "Загрузить" and answers the dialog with path (or cancels for an
    // empty path); returns when the load has ended.
    void load(const QString &path);
    // Clicks "Как в прошлый раз" and answers its dialog with path (or
    // cancels for an empty path); returns when the matching has ended.
    void createFromPrevious(const QString &path);
    // What the last open-file dialog asked.
    [[nodiscard]] const playlistDialog::Request &lastRequest() const { return m_lastRequest; }
    // Clicks and returns when what the click started has ended.
    void click(const char *name);
    void waitForEnd()
    {
        ::waitForEnd(m_session);
        waitForFilter(m_session);
    }

    template<class T = QWidget>
    [[nodiscard]] T *control(const char *name) const;
    [[nodiscard]] QAbstractButton *button(const char *name) const;
    [[nodiscard]] QString labelText(const char *name) const;
    [[nodiscard]] QStringList sourceItems() { return textsOf(m_session.sourceList()); }
    [[nodiscard]] QStringList newItems() { return textsOf(m_session.newList()); }

    // Messages shown since the last call.
    [[nodiscard]] QStringList takeMessages();

private:
    [[nodiscard]] QWidget *find(const char *name) const;

    QTemporaryDir m_programFolder;
    QTemporaryDir m_tempFolder;
    PlaylistSession m_session;
    Form1 m_window;
    QStringList m_messages;
    QString m_nextAnswer;
    playlistDialog::Request m_lastRequest;
};

template<class T>
T *WindowDriver::control(const char *name) const
{
    return qobject_cast<T *>(find(name));
}
