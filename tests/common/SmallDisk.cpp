#include "common/SmallDisk.h"

#include <QFile>
#include <QProcess>
#include <QStorageInfo>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

SmallDisk::SmallDisk(qint64 bytes)
{
#ifdef Q_OS_LINUX
    if (!m_folder.isValid())
        return;
    const int rc = QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                               QStringLiteral("-o"), QStringLiteral("size=%1").arg(bytes),
                                                               QStringLiteral("tmpfs"), m_folder.path()});
    m_mounted = rc == 0;
#else
    Q_UNUSED(bytes);
#endif
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_folder.path()});
}

qint64 SmallDisk::freeBytes() const
{
    return QStorageInfo(m_folder.path()).bytesAvailable();
}

void SmallDisk::fillUpTo(qint64 freeBytes)
{
    QFile filler(m_folder.filePath(QStringLiteral(".filler")));
    if (!filler.open(QIODevice::Append))
        qFatal("cannot fill the small disk");
    const QByteArray page(4096, 'f');
    while (this->freeBytes() > freeBytes) {
        const qint64 chunk = std::min<qint64>(page.size(), this->freeBytes() - freeBytes);
        if (filler.write(page.constData(), chunk) != chunk || !filler.flush())
            break;
    }
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
#ifdef Q_OS_UNIX
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_saved = limit.rlim_cur;
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(bytes);
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
#else
    Q_UNUSED(bytes);
#endif
}

FileSizeLimit::~FileSizeLimit()
{
#ifdef Q_OS_UNIX
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_saved);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_oldHandler);
#endif
}
