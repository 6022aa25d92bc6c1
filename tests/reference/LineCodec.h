#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The line convention: a line read from a file is ANSI text, held as its bytes
// (the ANSI code page is one-to-one). DecodeUTF8 turns such a line into the
// text its bytes spell in UTF-8; UnicodeToUTF8 turns text into the line whose
// bytes are its UTF-8 form.
class LineCodec
{
public:
    // Code page of the bytes DecodeUTF8 decodes; nothing changes it.
    qint32 sCodePage = 65001;
    // The bytes of DecodeUTF8's latest non-empty input, up to its first zero byte.
    QByteArray cnvUni2;

    [[nodiscard]] QString DecodeUTF8(QByteArrayView line);
    // The same for a line held as ANSI text (one character per byte).
    [[nodiscard]] QString DecodeUTF8(QStringView ansiLine);
    [[nodiscard]] static QByteArray UnicodeToUTF8(QStringView text);
};
