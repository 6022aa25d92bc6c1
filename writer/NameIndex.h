#pragma once

#include "writer/BigVector.h"
#include "writer/SuffixIndex.h"

#include <QByteArrayView>

#include <span>
#include <vector>

class TimeSlice;

// Channel names (the text after an entry's first comma, or the whole text
// without one) hashed to the texts that end with them. Most items are such a
// name: a hash lookup then stands in for the binary search, which would
// wander all over the index, and a name only its own entry ends with, the
// usual case, needs no look at the index at all.
class NameIndex
{
public:
    // The texts of an index that drops nothing; both must outlive this. When
    // the slice says stop, the names are left incomplete and must not be used.
    NameIndex(std::span<const QByteArrayView> texts, const SuffixIndex &index, TimeSlice &slice);
    [[nodiscard]] bool complete() const { return m_complete; }

    struct Found
    {
        qint32 onlyText = -1;    // the one text that ends with the suffix
        qsizetype position = -1; // or a position of the index whose text ends with it
    };

    // Nothing found when the bytes are no entry's name (other texts may still
    // end with them). The hash is hash() of the bytes.
    [[nodiscard]] Found find(QByteArrayView name, quint64 hash) const;

    [[nodiscard]] static quint64 hash(QByteArrayView bytes);
    // Starts fetching what find() reads first.
    void prefetch(quint64 hash) const;
    // What find() will most likely say, from the first slot that may answer:
    // what to fetch next.
    [[nodiscard]] Found guess(quint64 hash) const;

private:
    struct Slot
    {
        quint32 check; // more bits of the hash, to skip most wrong slots unread
        quint32 ref;   // zero: empty; else a text (alone flag set) or a position, plus one
    };
    static constexpr quint32 alone = quint32(1) << 31;

    void insert(QByteArrayView name, quint64 hash, qint32 text, qint32 position);
    [[nodiscard]] static Found foundIn(const Slot &slot);
    [[nodiscard]] bool answers(const Slot &slot, QByteArrayView name) const;

    std::span<const QByteArrayView> m_texts;
    const SuffixIndex &m_index;
    size_t m_mask = 0;
    bool m_complete = false;
    BigVector<Slot> m_slots;
};
