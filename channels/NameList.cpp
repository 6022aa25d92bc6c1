#include "channels/NameList.h"

#include "base/AppendBytes.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"

QString NameList::text(qsizetype i) const
{
    return m_encoding == InputMode::Utf8 ? utf8::toUtf16(bytes(i)) : ansi::toUtf16(bytes(i));
}

QString NameList::shownText(qsizetype i) const
{
    // Far more than a row is wide, in the narrowest face.
    constexpr qsizetype shownBytes = 1024;
    const QByteArrayView name = bytes(i);
    if (name.size() <= shownBytes)
        return text(i);
    if (m_encoding == InputMode::Utf8)
        return utf8::toUtf16(utf8::truncated(name, shownBytes));
    return ansi::toUtf16(name.first(shownBytes));
}

void NameList::append(QByteArrayView name)
{
    appendBytes(m_bytes, name);
    m_ends.push_back(m_bytes.size());
}

void NameList::squeeze()
{
    m_bytes.squeeze();
    m_ends.shrink_to_fit();
}
