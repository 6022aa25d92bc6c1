#include "channels/NameList.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"

QString NameList::text(qsizetype i) const
{
    return m_encoding == InputMode::Utf8 ? utf8::toUtf16(bytes(i)) : ansi::toUtf16(bytes(i));
}

void NameList::append(QByteArrayView name)
{
    m_bytes.append(name.data(), name.size());
    m_ends.push_back(m_bytes.size());
}

void NameList::squeeze()
{
    m_bytes.squeeze();
    m_ends.shrink_to_fit();
}
