#pragma once

#include "channels/NameList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

// Numbers group names in the order they first come, while a pass lists the
// channels; the names that are new since the last takeNew() go to the list
// of groups. Neighbouring channels mostly share a group, so the last name is
// compared before any look-up.
class GroupNumbering
{
public:
    explicit GroupNumbering(InputMode encoding)
        : m_new(encoding)
    {
    }

    // The group's number, -1 for none (an empty name).
    [[nodiscard]] qint32 numberOf(QByteArrayView name);
    [[nodiscard]] NameList takeNew();

private:
    QHash<QByteArray, qint32> m_numbers;
    QByteArray m_lastName;
    qint32 m_lastNumber = -1;
    NameList m_new;
};
