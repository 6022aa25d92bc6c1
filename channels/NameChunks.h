#pragma once

#include "channels/NameList.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

// The channel names of a list, kept in the batches they were read in: a
// batch is never copied again once it has arrived, and a copy of this object
// (for the new list, or for a save running elsewhere) shares the batches.
class NameChunks
{
public:
    explicit NameChunks(InputMode encoding = InputMode::Utf8)
        : m_encoding(encoding)
    {
    }

    [[nodiscard]] InputMode encoding() const { return m_encoding; }
    [[nodiscard]] qsizetype count() const { return m_count; }

    [[nodiscard]] QByteArrayView bytes(qsizetype row) const;
    [[nodiscard]] QString text(qsizetype row) const;
    [[nodiscard]] QString shownText(qsizetype row) const;

    void append(std::shared_ptr<const NameList> chunk);

private:
    // The batch that holds the row, and the row's place in it.
    [[nodiscard]] std::pair<const NameList *, qsizetype> locate(qsizetype row) const;

    InputMode m_encoding;
    std::vector<std::shared_ptr<const NameList>> m_chunks;
    std::vector<qsizetype> m_starts; // the first row of each chunk
    qsizetype m_count = 0;
};
