#include "reference/basInCodePage.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"

#include <stdexcept>

namespace basInCodePage {

namespace {

bool isUtf8(qint32 codePage)
{
    switch (codePage) {
    case codePageUtf8:
        return true;
    case codePageAnsi:
    case codePageDefault:
    case codePageSystem:
        return false;
    default:
        throw std::invalid_argument("unsupported code page " + std::to_string(codePage));
    }
}

QStringView beforeNul(QStringView text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.first(nul);
}

} // namespace

QString CodePageToUnicode(QByteArrayView bytes, qint32 codePage, quint32 flags)
{
    Q_UNUSED(flags);
    const QByteArrayView read = utf8::beforeNul(bytes);
    return isUtf8(codePage) ? utf8::toUtf16(read) : ansi::toUtf16(read);
}

QByteArray UnicodeToCodePage(QStringView text, qint32 codePage, quint32 flags)
{
    Q_UNUSED(flags);
    const QStringView read = beforeNul(text);
    return isUtf8(codePage) ? utf8::fromUtf16(read) : ansi::fromUtf16(read);
}

} // namespace basInCodePage
