#include "channels/GroupNumbering.h"

#include "base/AppendBytes.h"

#include <utility>

qint32 GroupNumbering::numberOf(QByteArrayView name)
{
    if (name.isEmpty())
        return -1;
    if (m_lastNumber >= 0 && name == QByteArrayView(m_lastName))
        return m_lastNumber;
    // Looked up without a copy; copied only when it is new.
    const QByteArray key = QByteArray::fromRawData(name.data(), name.size());
    auto found = m_numbers.constFind(key);
    if (found == m_numbers.constEnd()) {
        found = m_numbers.insert(name.toByteArray(), qint32(m_numbers.size()));
        m_new.append(name);
    }
    m_lastName.truncate(0);
    appendBytes(m_lastName, name);
    m_lastNumber = *found;
    return m_lastNumber;
}

NameList GroupNumbering::takeNew()
{
    return std::exchange(m_new, NameList(m_new.encoding()));
}
