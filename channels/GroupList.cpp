#include "channels/GroupList.h"

void GroupList::append(const NameList &names)
{
    for (qsizetype i = 0; i < names.count(); ++i)
        m_names.append(names.bytes(i));
    m_channels.resize(m_channels.size() + size_t(names.count()), 0);
}
