#include "base/WholeFile.h"

#include <QIODevice>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>

namespace {

using Action = FileFailure::Action;

} // namespace

bool writeAll(QIODevice &device, const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 written = device.write(data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool syncToDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

WholeFile::WholeFile(const QString &path)
    : m_file(path)
{
}

Result<> WholeFile::open()
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return FileFailure::of(Action::Create, m_file);
    return {};
}

Result<> WholeFile::sync()
{
    errno = 0;
    if (m_file.error() != QFileDevice::NoError)
        return FileFailure::of(Action::Write, m_file);
    if (!syncToDisk(m_file))
        return FileFailure{Action::Write, m_file.fileName(), errno ? qt_error_string(errno) : m_file.errorString()};
    m_synced = true;
    return {};
}

Result<> WholeFile::commit()
{
    if (!m_synced) {
        if (Result<> synced = sync(); !synced)
            return synced;
    }
    if (!m_file.commit()) {
        const auto action = m_file.error() == QFileDevice::RenameError ? Action::Replace : Action::Write;
        return FileFailure::of(action, m_file);
    }
    return {};
}
