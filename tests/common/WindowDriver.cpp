#include "common/WindowDriver.h"

#include "app/Form1.h"
#include "app/InfoMessage.h"
#include "channels/ChannelListModel.h"
#include "intake/PlaylistLoader.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QTest>

WindowDriver::WindowDriver()
{
    m_oldTemp = qgetenv("Temp");
    qputenv("Temp", QFile::encodeName(m_tempFolder.path()));
    infoMessage::setHookForTesting([this](QWidget *, const QString &text) { m_messages << text; });
    m_window = std::make_unique<Form1>(m_programFolder.path());
    m_window->loader().setFileChooserForTesting([this](QWidget *, const QString &) -> std::optional<QString> {
        if (m_nextAnswer.isEmpty())
            return std::nullopt;
        return m_nextAnswer;
    });
}

WindowDriver::~WindowDriver()
{
    m_window.reset();
    infoMessage::setHookForTesting({});
    if (m_oldTemp.isNull())
        qunsetenv("Temp");
    else
        qputenv("Temp", m_oldTemp);
}

QString WindowDriver::rawCopyPath() const
{
    return m_tempFolder.path() + QDir::separator() + QStringLiteral("ttemp.kv");
}

QString WindowDriver::normalisedCopyPath() const
{
    return m_tempFolder.path() + QDir::separator() + QStringLiteral("temp.kelv");
}

QString WindowDriver::writeFile(const QString &name, const QByteArray &bytes) const
{
    const QString path = m_programFolder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void WindowDriver::load(const QString &path)
{
    m_nextAnswer = path;
    clickButton("Command1");
}

void WindowDriver::clickButton(const char *name)
{
    button(name)->click();
}

void WindowDriver::selectOption(const char *name)
{
    button(name)->click();
}

QWidget *WindowDriver::find(const char *name) const
{
    QWidget *w = m_window->findChild<QWidget *>(QLatin1String(name));
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

ChannelListModel &WindowDriver::sourceList() const
{
    return *qobject_cast<ChannelListModel *>(control<QListView>("List1")->model());
}

ChannelListModel &WindowDriver::newList() const
{
    return *qobject_cast<ChannelListModel *>(control<QListView>("List2")->model());
}

QStringList WindowDriver::sourceItems() const
{
    return sourceList().texts();
}

QStringList WindowDriver::newItems() const
{
    return newList().texts();
}

QStringList WindowDriver::takeMessages()
{
    return std::exchange(m_messages, {});
}
