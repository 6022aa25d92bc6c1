#include "common/SessionDriver.h"

#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

SessionDriver::SessionDriver()
    : m_session(m_programFolder.path(), m_tempFolder.path())
{
    QObject::connect(&m_session, &PlaylistSession::message, [this](const QString &text) { m_messages << text; });
}

QByteArray SessionDriver::workingFile(WorkingFiles::Kind kind)
{
    QFile file(workingFilePath(kind));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString SessionDriver::writeFile(const QString &name, const QByteArray &bytes) const
{
    return testsupport::writeFile(m_programFolder.filePath(name), bytes);
}

QByteArray SessionDriver::readFile(const QString &name) const
{
    QFile file(m_programFolder.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void waitForEnd(PlaylistSession &session)
{
    if (!session.isBusy())
        return;
    QSignalSpy ended(&session, &PlaylistSession::finished);
    if (!ended.wait(60000))
        qFatal("the session's operation did not end");
}

void waitForFilter(PlaylistSession &session)
{
    QElapsedTimer waited;
    waited.start();
    while (session.filter().isSearching()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (waited.elapsed() > 60000)
            qFatal("the filter's search did not end");
    }
}

void SessionDriver::setFilter(const QString &text, qint32 group)
{
    m_session.setFilter(text, group);
    waitForFilter(m_session);
}

void SessionDriver::createFromPrevious(const QString &path)
{
    m_session.createFromPrevious(path);
    waitForEnd();
}

void SessionDriver::load(const QString &path)
{
    if (m_session.prepareLoad())
        m_session.load(path);
    waitForEnd();
}

void SessionDriver::cancelLoad()
{
    (void)m_session.prepareLoad();
}

void SessionDriver::setInputMode(InputMode mode)
{
    m_session.setInputMode(mode);
    waitForEnd();
}

void SessionDriver::selectAll(bool ticked)
{
    m_session.setSelectAllTicked(ticked);
    m_session.selectAll();
    waitForEnd();
}

void SessionDriver::tick(std::initializer_list<int> rows)
{
    for (int row : rows)
        m_session.sourceList().setTicked(row, true);
}

void SessionDriver::create()
{
    m_session.createNewList();
    waitForEnd();
}

void SessionDriver::save()
{
    m_session.save();
    waitForEnd();
}

QStringList SessionDriver::takeMessages()
{
    return std::exchange(m_messages, {});
}
