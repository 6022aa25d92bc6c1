#include "writer/NameIndex.h"

#include "intake/TimeSlice.h"
#include "writer/Prefetch.h"

#include <QHashFunctions>
#include <QtEndian>

#include <array>
#include <bit>
#include <cstring>

namespace {

// Texts hashed and their slots asked for in one go, before any is read.
constexpr size_t batch = 16;
// A multiple of the batch.
constexpr size_t textsPerSlice = 4096;

QByteArrayView nameOf(QByteArrayView text)
{
    const auto comma = static_cast<const char *>(std::memchr(text.data(), ',', size_t(text.size())));
    return comma ? text.sliced(comma + 1 - text.data()) : text;
}

quint32 checkOf(quint64 hash)
{
    return quint32(hash >> 32);
}

} // namespace

NameIndex::NameIndex(std::span<const QByteArrayView> texts, const SuffixIndex &index, TimeSlice &slice)
    : m_texts(texts)
    , m_index(index)
{
    Q_ASSERT(texts.size() < alone);
    // At most half full, so that probe runs stay short.
    const size_t capacity = std::bit_ceil(std::max<size_t>(2 * texts.size(), 16));
    m_mask = capacity - 1;
    m_slots.resize(capacity);
    // Texts in their own order read the copy front to back.
    const BigVector<qint32> positions = index.positionsOfTexts();
    std::array<QByteArrayView, batch> names;
    std::array<quint64, batch> hashes;
    for (size_t from = 0; from < texts.size(); from += batch) {
        if (from % textsPerSlice == 0 && !slice.next())
            return;
        const size_t count = std::min(batch, texts.size() - from);
        for (size_t b = 0; b < count; ++b) {
            names[b] = nameOf(texts[from + b]);
            hashes[b] = hash(names[b]);
            prefetch(hashes[b]);
        }
        for (size_t b = 0; b < count; ++b) {
            if (positions[from + b] >= 0)
                insert(names[b], hashes[b], qint32(from + b), positions[from + b]);
        }
    }
    m_complete = true;
}

// A slot that already answers for the name keeps the table free of
// repeats, however many entries share a name.
void NameIndex::insert(QByteArrayView name, quint64 h, qint32 text, qint32 position)
{
    const quint32 check = checkOf(h);
    size_t s = size_t(h) & m_mask;
    for (; m_slots[s].ref != 0; s = (s + 1) & m_mask) {
        if (m_slots[s].check == check && answers(m_slots[s], name))
            return;
    }
    const bool only = m_index.aloneEndingWith(size_t(position), name.size());
    const quint32 ref = only ? quint32(text) | alone : quint32(position);
    m_slots[s] = {check, ref + 1};
}

NameIndex::Found NameIndex::find(QByteArrayView name, quint64 h) const
{
    const quint32 check = checkOf(h);
    for (size_t s = size_t(h) & m_mask; m_slots[s].ref != 0; s = (s + 1) & m_mask) {
        if (m_slots[s].check == check && answers(m_slots[s], name))
            return foundIn(m_slots[s]);
    }
    return {};
}

void NameIndex::prefetch(quint64 h) const
{
    prefetchLine(&m_slots[size_t(h) & m_mask]);
}

NameIndex::Found NameIndex::guess(quint64 h) const
{
    const quint32 check = checkOf(h);
    for (size_t s = size_t(h) & m_mask; m_slots[s].ref != 0; s = (s + 1) & m_mask) {
        if (m_slots[s].check == check)
            return foundIn(m_slots[s]);
    }
    return {};
}

NameIndex::Found NameIndex::foundIn(const Slot &slot)
{
    const quint32 ref = slot.ref - 1;
    if (ref & alone)
        return {qint32(ref & ~alone), -1};
    return {-1, qsizetype(ref)};
}

// Whether the slot gives the right answer for the name: a text alone with
// its name only for exactly that name, a position for anything its text ends
// with.
bool NameIndex::answers(const Slot &slot, QByteArrayView name) const
{
    const quint32 ref = slot.ref - 1;
    if (ref & alone)
        return nameOf(m_texts[ref & ~alone]) == name;
    return m_index.endsWith(ref, SuffixIndex::Suffix(name));
}

// Names are short: eight bytes at a time with a multiply is plenty, and far
// quicker than qHashBits on machines without its AES path.
quint64 NameIndex::hash(QByteArrayView bytes)
{
    static const quint64 seed = QHashSeed::globalSeed();
    constexpr quint64 k = 0x9E3779B97F4A7C15ULL;
    quint64 h = seed ^ (quint64(bytes.size()) * k);
    const char *p = bytes.data();
    qsizetype n = bytes.size();
    for (; n >= 8; p += 8, n -= 8) {
        h = (h ^ qFromUnaligned<quint64>(p)) * k;
        h ^= h >> 32;
    }
    if (n > 0) {
        quint64 last = 0;
        std::memcpy(&last, p, size_t(n));
        h = (h ^ last) * k;
    }
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 32);
}
