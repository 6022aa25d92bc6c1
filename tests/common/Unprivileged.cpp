#include "common/Unprivileged.h"

#include <QFile>
#include <QString>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
#ifdef Q_OS_UNIX
constexpr uid_t nobody = 65534;
#endif
} // namespace

Unprivileged::Unprivileged()
{
#ifdef Q_OS_UNIX
    if (::geteuid() != 0) {
        m_active = true;
        return;
    }
    if (::setegid(nobody) == 0 && ::seteuid(nobody) == 0) {
        m_active = true;
        m_dropped = true;
    }
#endif
}

Unprivileged::~Unprivileged()
{
#ifdef Q_OS_UNIX
    if (m_dropped) {
        const int uidRestored = ::seteuid(0);
        const int gidRestored = ::setegid(0);
        Q_ASSERT(uidRestored == 0 && gidRestored == 0);
        Q_UNUSED(uidRestored);
        Q_UNUSED(gidRestored);
    }
#endif
}

void Unprivileged::openUp(const QString &path)
{
#ifdef Q_OS_UNIX
    ::chmod(QFile::encodeName(path).constData(), 0777);
#else
    Q_UNUSED(path);
#endif
}
