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

} // namespace testsupport
