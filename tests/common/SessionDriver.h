#pragma once

#include "app/session/PlaylistSession.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <initializer_list>

// Returns when the session's running operation, if any, has ended.
void waitForEnd(PlaylistSession &session);
// Returns when the filter's search, if one runs, has been answered.
void waitForFilter(PlaylistSession &session);

// The texts a list model shows, in order.
template<class Model>
[[nodiscard]] QStringList textsOf(const Model &list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts << list.text(row);
    return texts;
}

// The channels ticked in the source list.
[[nodiscard]] inline QList<int> tickedChannels(const SourceListModel &list)
{
    QList<int> ticked;
    for (int channel = 0; channel < list.count(); ++channel) {
        if (list.isTicked(channel))
            ticked << channel;
    }
    return ticked;
}

// Drives a playlist session without a window: a program folder and a
// temporary folder of its own, every operation run to its end, the messages
// it gives recorded.
class SessionDriver
{
public:
    SessionDriver();

    [[nodiscard]] PlaylistSession &session() { return m_session; }
    [[nodiscard]] QString programFolder() const { return m_programFolder.path(); }
    [[nodiscard]] QString tempFolder() const { return m_tempFolder.path(); }
    [[nodiscard]] QString workingFilePath(WorkingFiles::Kind kind) { return m_session.workingFiles().path(kind); }
    [[nodiscard]] QByteArray workingFile(WorkingFiles::Kind kind);

    // A file in the program folder with these bytes; returns its path.
    QString writeFile(const QString &name, const QByteArray &bytes) const;
    [[nodiscard]] QByteArray readFile(const QString &name) const;

    // Each returns when the operation has ended.
    void load(const QString &path);
    void cancelLoad();
    void setInputMode(InputMode mode);
    void selectAll(bool ticked);
    void tick(std::initializer_list<int> rows);
    void create();
    void save();
    // Returns when the list shows what the filter asks for.
    void setFilter(const QString &text, qint32 group = ChannelQuery::everyGroup);
    void createFromPrevious(const QString &path);

    [[nodiscard]] QStringList sourceItems() { return textsOf(m_session.sourceList()); }
    [[nodiscard]] QStringList newItems() { return textsOf(m_session.newList()); }
    // Messages given since the last call.
    [[nodiscard]] QStringList takeMessages();

private:
    // The operation, and the search of the filter it applies again.
    void waitForEnd()
    {
        ::waitForEnd(m_session);
        waitForFilter(m_session);
    }

    QTemporaryDir m_programFolder;
    QTemporaryDir m_tempFolder;
    PlaylistSession m_session;
    QStringList m_messages;
};
