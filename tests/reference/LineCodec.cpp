#include "reference/LineCodec.h"

#include "encoding/Utf8.h"
#include "reference/basInCodePage.h"

using namespace basInCodePage;

QString LineCodec::DecodeUTF8(QByteArrayView line)
{
    if (line.isEmpty())
        return {};
    cnvUni2 = utf8::beforeNul(line).toByteArray();
    return CodePageToUnicode(cnvUni2, sCodePage, 0);
}

QString LineCodec::DecodeUTF8(QStringView ansiLine)
{
    if (ansiLine.isEmpty())
        return {};
    cnvUni2 = UnicodeToCodePage(ansiLine, codePageDefault, 0);
    return CodePageToUnicode(cnvUni2, sCodePage, 0);
}

QByteArray LineCodec::UnicodeToUTF8(QStringView text)
{
    return utf8::fromUtf16(text);
}
