#pragma once

#include "app/Form1.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class ChannelListModel;
class QAbstractButton;
class QLabel;
class QListView;
class QWidget;

// Drives a real main window in a test: a program folder and a temporary
// folder of its own, the open-file dialog answered by the test, and message
// boxes recorded instead of shown.
class WindowDriver
{
public:
    WindowDriver();
    ~WindowDriver();

    [[nodiscard]] Form1 &window() const { return *m_window; }
    [[nodiscard]] QString programFolder() const { return m_programFolder.path(); }
    [[nodiscard]] QString tempFolder() const { return m_tempFolder.path(); }
    [[nodiscard]] QString rawCopyPath() const;
    [[nodiscard]] QString normalisedCopyPath() const;

    // A file in the program folder with these bytes; returns its path.
    QString writeFile(const QString &name, const QByteArray &bytes) const;

    // Clicks "Загрузить" and answers the dialog with path (or cancels for an
    // empty path); returns when the load has ended.
    void load(const QString &path);
    void clickButton(const char *name);
    void selectOption(const char *name);

    template<class T = QWidget>
    [[nodiscard]] T *control(const char *name) const;
    [[nodiscard]] QAbstractButton *button(const char *name) const;
    [[nodiscard]] QString labelText(const char *name) const;
    [[nodiscard]] ChannelListModel &sourceList() const;
    [[nodiscard]] ChannelListModel &newList() const;
    [[nodiscard]] QStringList sourceItems() const;
    [[nodiscard]] QStringList newItems() const;

    // Messages shown since the last call.
    [[nodiscard]] QStringList takeMessages();

private:
    [[nodiscard]] QWidget *find(const char *name) const;

    QTemporaryDir m_programFolder;
    QTemporaryDir m_tempFolder;
    QByteArray m_oldTemp;
    std::unique_ptr<Form1> m_window;
    QStringList m_messages;
    QString m_nextAnswer;
};

template<class T>
T *WindowDriver::control(const char *name) const
{
    return qobject_cast<T *>(find(name));
}
