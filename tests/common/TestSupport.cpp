#include "common/TestSupport.h"

#include <QFile>

namespace testsupport {

QByteArray hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

QString playlistPath(const QString &fileName)
{
    return QStringLiteral(KELVARO_PLAYLISTS) + u'/' + fileName;
}

QByteArray crlfLines(const QByteArrayList &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

QByteArray playlistOf(const QStringList &names, const QStringList &groups, const QByteArray &address)
{
    QByteArray bytes = "#EXTM3U\n";
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString group = groups.value(i);
        bytes += "#EXTINF:-1" + (group.isEmpty() ? QByteArray() : " group-title=\"" + group.toUtf8() + '"') + ','
                 + names[i].toUtf8() + '\n' + address + QByteArray::number(i) + '\n';
    }
    return bytes;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace testsupport
