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

void NameList::append(const NameList &names)
{
    Q_ASSERT(names.m_encoding == m_encoding);
    const qsizetype base = m_bytes.size();
    m_bytes.append(names.m_bytes);
    m_ends.reserve(m_ends.size() + names.m_ends.size());
    for (const qsizetype end : names.m_ends)
        m_ends.push_back(base + end);
}
