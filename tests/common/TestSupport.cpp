#include "common/TestSupport.h"

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

} // namespace testsupport
