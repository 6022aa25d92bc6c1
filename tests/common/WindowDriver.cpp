#include "common/WindowDriver.h"

#include "app/InfoMessage.h"
#include "common/TestSupport.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

WindowDriver::WindowDriver()
    : m_session(m_programFolder.path(), m_tempFolder.path())
    , m_window(m_session)
{
    infoMessage::setHookForTesting([this](QWidget *, const QString &text) { m_messages << text; });
    m_window.setFileChooserForTesting([this](QWidget *, const playlistDialog::Request &request) -> std::optional<QString> {
        m_lastRequest = request;
        if (m_nextAnswer.isEmpty())
            return std::nullopt;
        return m_nextAnswer;
    });
}

WindowDriver::~WindowDriver()
{
    infoMessage::setHookForTesting({});
}

QString WindowDriver::writeFile(const QString &name, const QByteArray &bytes) const
{
    return testsupport::writeFile(m_programFolder.filePath(name), bytes);
}

void WindowDriver::load(const QString &path)
{
    m_nextAnswer = path;
    click("Command1");
}

void WindowDriver::createFromPrevious(const QString &path)
{
    m_nextAnswer = path;
    click("Command6");
}

void WindowDriver::click(const char *name)
{
    button(name)->click();
    waitForEnd();
}

QWidget *WindowDriver::find(const char *name) const
{
    QWidget *w = m_window.findChild<QWidget *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

QAbstractButton *WindowDriver::button(const char *name) const
{
    return control<QAbstractButton>(name);
}

QString WindowDriver::labelText(const char *name) const
{
    return control<QLabel>(name)->text();
}

QStringList WindowDriver::takeMessages()
{
    return std::exchange(m_messages, {});
}
