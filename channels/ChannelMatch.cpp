#include "channels/ChannelMatch.h"

#include "base/AppendBytes.h"
#include "base/Progress.h"
#include "encoding/TextFold.h"

#include <QHashFunctions>
#include <QtEndian>

#include <bit>
#include <cstring>
#include <optional>
#include <utility>

namespace channelMatch {

namespace {

[[nodiscard]] constexpr bool isBlank(char c) noexcept
{
    return c == ' ' || c == '\t';
}

// "(" digits "p" or "i" ")" at `at` in folded text: its length, or 0.
qsizetype resolutionTagLength(QByteArrayView text, qsizetype at)
{
    qsizetype i = at + 1;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    const bool tag = i > at + 1 && i + 1 < text.size() && (text[i] == 'p' || text[i] == 'i') && text[i + 1] == ')';
    return tag ? i + 2 - at : 0;
}

// The length of the tag at `at`, or 0. lastClose is where the last "]"
// stands: past it a "[" closes nowhere, and a name of megabytes full of them
// costs no search for each.
qsizetype tagLength(QByteArrayView text, qsizetype at, qsizetype lastClose)
{
    if (text[at] == '(')
        return resolutionTagLength(text, at);
    if (text[at] != '[' || at > lastClose)
        return 0;
    return text.indexOf(']', at + 1) + 1 - at;
}

// The name's core appended to out; `folded` is scratch, kept for its buffer.
void appendCore(QByteArrayView name, QByteArray &folded, QByteArray &out)
{
    folded.truncate(0);
    textFold::appendFolded(name, folded);
    const QByteArrayView text = folded;
    const qsizetype lastClose = text.lastIndexOf(']');
    const qsizetype start = out.size();
    bool blank = false;
    for (qsizetype i = 0; i < text.size();) {
        if (isBlank(text[i])) {
            blank = true;
            ++i;
        } else if (const qsizetype tag = tagLength(text, i, lastClose)) {
            i += tag;
        } else {
            if (blank && out.size() > start)
                out.append(' ');
            blank = false;
            qsizetype end = i + 1;
            while (end < text.size() && !isBlank(text[end]) && text[end] != '(' && text[end] != '[')
                ++end;
            appendBytes(out, text.sliced(i, end - i));
            i = end;
        }
    }
}

// An id up to its feed suffix: "Rossiya1.ru@SD" is "Rossiya1.ru".
QByteArrayView idBase(QByteArrayView id)
{
    const qsizetype at = id.indexOf('@');
    return at < 0 ? id : id.first(at);
}

// Two parts of a key, hashed together without being copied.
struct KeyPair
{
    QByteArrayView first;
    QByteArrayView second;

    friend bool operator==(const KeyPair &a, const KeyPair &b) noexcept
    {
        return a.first == b.first && a.second == b.second;
    }
};

// A hash of the bytes, eight at a time. Qt's own hash of byte arrays costs
// several times as much, and the loaded side is hashed a million times at
// each level.
quint64 hashBytes(QByteArrayView bytes, quint64 seed) noexcept
{
    constexpr quint64 k = 0x9E3779B97F4A7C15ULL;
    quint64 h = seed ^ (quint64(bytes.size()) * k);
    const char *p = bytes.data();
    qsizetype left = bytes.size();
    for (; left >= 8; p += 8, left -= 8)
        h = (std::rotl(h, 23) ^ qFromUnaligned<quint64>(p)) * k;
    if (left > 0) {
        quint64 tail = 0;
        std::memcpy(&tail, p, size_t(left));
        h = (std::rotl(h, 23) ^ tail) * k;
    }
    // Murmur's finaliser: every bit of the input reaches the low bits.
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    return h;
}

// Never 0, which marks an empty slot.
quint32 hashOf(QByteArrayView key, quint64 seed)
{
    return quint32(hashBytes(key, seed)) | 1;
}

quint32 hashOf(const KeyPair &key, quint64 seed)
{
    return quint32(hashBytes(key.second, hashBytes(key.first, seed))) | 1;
}

// Keys of the previous side to values, by open addressing. A million loaded
// channels are looked up, most of them in vain: each such look costs a probe
// into a compact array of hashes, and keys are compared only where the
// hashes agree. Made for a known number of keys, it never grows.
template<class Key, class Value>
class FlatIndex
{
public:
    explicit FlatIndex(qsizetype keys)
        : m_seed(QHashSeed::globalSeed())
    {
        size_t capacity = 16;
        while (capacity < size_t(2 * keys))
            capacity *= 2;
        m_hashes.assign(capacity, 0);
        m_slots.resize(capacity);
        m_mask = capacity - 1;
    }

    // The key's value, made when the key is new.
    [[nodiscard]] Value &operator[](const Key &key)
    {
        const quint32 hash = hashOf(key, m_seed);
        const size_t i = slotOf(key, hash);
        if (m_hashes[i] == 0) {
            m_hashes[i] = hash;
            m_slots[i].key = key;
        }
        return m_slots[i].value;
    }
    // nullptr when the key is not there.
    [[nodiscard]] Value *find(const Key &key)
    {
        const size_t i = slotOf(key, hashOf(key, m_seed));
        return m_hashes[i] == 0 ? nullptr : &m_slots[i].value;
    }
    template<class Visit>
    void forEachValue(Visit visit) const
    {
        for (size_t i = 0; i < m_hashes.size(); ++i) {
            if (m_hashes[i] != 0)
                visit(m_slots[i].value);
        }
    }

private:
    struct Slot
    {
        Key key;
        Value value;
    };

    [[nodiscard]] size_t slotOf(const Key &key, quint32 hash) const
    {
        size_t i = hash & m_mask;
        while (m_hashes[i] != 0 && (m_hashes[i] != hash || !(m_slots[i].key == key)))
            i = (i + 1) & m_mask;
        return i;
    }

    quint64 m_seed;
    std::vector<quint32> m_hashes;
    std::vector<Slot> m_slots;
    size_t m_mask = 0;
};

// Who is matched to whom so far.
class Pairing
{
public:
    Pairing(qsizetype previous, qsizetype loaded)
        : m_matched(size_t(previous), -1)
        , m_taken(size_t(loaded), 0)
        , m_waiting(previous)
    {
    }

    [[nodiscard]] qint32 previousCount() const { return qint32(m_matched.size()); }
    [[nodiscard]] qint32 loadedCount() const { return qint32(m_taken.size()); }
    [[nodiscard]] qsizetype waiting() const { return m_waiting; }
    [[nodiscard]] bool isWaiting(qint32 previous) const { return m_matched[size_t(previous)] < 0; }
    [[nodiscard]] bool isTaken(qint32 loaded) const { return m_taken[size_t(loaded)]; }

    void pair(qint32 previous, qint32 loaded)
    {
        m_matched[size_t(previous)] = loaded;
        m_taken[size_t(loaded)] = 1;
        --m_waiting;
    }
    [[nodiscard]] std::vector<qint32> take() { return std::move(m_matched); }

private:
    std::vector<qint32> m_matched;
    std::vector<char> m_taken;
    qsizetype m_waiting;
};

// Waiting previous channels grouped by a key, each group in file order: a
// chain through `next`, so a group costs no list of its own.
template<class Key>
class KeyGroups
{
public:
    explicit KeyGroups(const Pairing &pairing)
        : m_chains(pairing.waiting())
        , m_next(size_t(pairing.previousCount()), -1)
    {
    }

    void add(const Key &key, qint32 previous)
    {
        Chain &chain = m_chains[key];
        if (chain.last < 0)
            chain.first = previous;
        else
            m_next[size_t(chain.last)] = previous;
        chain.last = previous;
        ++m_size;
    }
    // The first channel left in the key's group, taken out of it; -1: none.
    [[nodiscard]] qint32 take(const Key &key)
    {
        Chain *const chain = m_chains.find(key);
        if (!chain || chain->first < 0)
            return -1;
        const qint32 previous = chain->first;
        chain->first = m_next[size_t(previous)];
        --m_size;
        return previous;
    }
    [[nodiscard]] bool isEmpty() const { return m_size == 0; }

private:
    struct Chain
    {
        qint32 first = -1;
        qint32 last = -1;
    };

    FlatIndex<Key, Chain> m_chains;
    std::vector<qint32> m_next;
    qsizetype m_size = 0;
};

// One level of evidence. The key functions give nothing for a channel
// without it. Each free loaded channel, in file order, takes the first
// waiting previous channel of its key, so namesakes pair in order.
template<class Key, class PreviousKey, class LoadedKey>
[[nodiscard]] bool pairLevel(Pairing &pairing, Progress &progress, PreviousKey previousKey, LoadedKey loadedKey)
{
    if (pairing.waiting() == 0)
        return true;
    KeyGroups<Key> groups(pairing);
    for (qint32 p = 0; p < pairing.previousCount(); ++p) {
        if (!pairing.isWaiting(p))
            continue;
        if (const std::optional<Key> key = previousKey(p))
            groups.add(*key, p);
    }
    // Once every grouped channel is matched, the rest of the loaded list has
    // nothing to give.
    for (qint32 l = 0; l < pairing.loadedCount() && !groups.isEmpty(); ++l) {
        if (!progress.next())
            return false;
        if (pairing.isTaken(l))
            continue;
        if (const std::optional<Key> key = loadedKey(l)) {
            if (const qint32 p = groups.take(*key); p >= 0)
                pairing.pair(p, l);
        }
    }
    return true;
}

std::optional<KeyPair> idAndName(const MatchSide &side, qint32 i)
{
    const QByteArrayView id = side.tvgIds[size_t(i)];
    const QByteArrayView name = side.names[size_t(i)];
    if (id.isEmpty() || name.isEmpty())
        return std::nullopt;
    return KeyPair{id, name};
}

std::optional<QByteArrayView> nameOf(const MatchSide &side, qint32 i)
{
    const QByteArrayView name = side.names[size_t(i)];
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

// The id base and the core, when both are there.
std::optional<KeyPair> idBaseAndCore(QByteArrayView id, QByteArrayView core)
{
    const QByteArrayView base = idBase(id);
    if (base.isEmpty() || core.isEmpty())
        return std::nullopt;
    return KeyPair{base, core};
}

std::optional<QByteArrayView> nonEmpty(QByteArrayView core)
{
    if (core.isEmpty())
        return std::nullopt;
    return core;
}

// The cores of the previous channels still waiting, made once for the two
// levels that compare cores.
class PreviousCores
{
public:
    PreviousCores(const MatchSide &previous, const Pairing &pairing)
        : m_ends(size_t(pairing.previousCount()), 0)
    {
        QByteArray folded;
        for (qint32 p = 0; p < pairing.previousCount(); ++p) {
            if (pairing.isWaiting(p))
                appendCore(previous.names[size_t(p)], folded, m_bytes);
            m_ends[size_t(p)] = m_bytes.size();
        }
    }

    [[nodiscard]] QByteArrayView of(qint32 p) const
    {
        const qsizetype begin = p == 0 ? 0 : m_ends[size_t(p - 1)];
        return QByteArrayView(m_bytes.constData() + begin, m_ends[size_t(p)] - begin);
    }

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_ends;
};

// The id bases that waiting previous channels hold with a core: a loaded
// channel's core is made at the feed level only for one of them.
FlatIndex<QByteArrayView, bool> waitingIdBases(const MatchSide &previous, const Pairing &pairing,
                                               const PreviousCores &cores)
{
    FlatIndex<QByteArrayView, bool> bases(pairing.waiting());
    for (qint32 p = 0; p < pairing.previousCount(); ++p) {
        if (!pairing.isWaiting(p))
            continue;
        if (const std::optional<KeyPair> key = idBaseAndCore(previous.tvgIds[size_t(p)], cores.of(p)))
            bases[key->first] = true;
    }
    return bases;
}

// Levels 3 and 4. A loaded channel's core is made only when the level asks
// for it: a million of them cost more than the rest of the matching.
bool pairByCores(Pairing &pairing, const MatchSide &previous, const MatchSide &loaded, Progress &progress)
{
    if (pairing.waiting() == 0)
        return true;
    const PreviousCores cores(previous, pairing);
    FlatIndex<QByteArrayView, bool> bases = waitingIdBases(previous, pairing, cores);
    QByteArray folded;
    QByteArray core;
    const auto loadedCore = [&](qint32 l) -> QByteArrayView {
        core.truncate(0);
        appendCore(loaded.names[size_t(l)], folded, core);
        return core;
    };
    const auto loadedFeedKey = [&](qint32 l) -> std::optional<KeyPair> {
        const QByteArrayView id = loaded.tvgIds[size_t(l)];
        if (!bases.find(idBase(id)))
            return std::nullopt;
        return idBaseAndCore(id, loadedCore(l));
    };
    return pairLevel<KeyPair>(
               pairing, progress,
               [&](qint32 p) { return idBaseAndCore(previous.tvgIds[size_t(p)], cores.of(p)); }, loadedFeedKey)
        && pairLevel<QByteArrayView>(
               pairing, progress, [&](qint32 p) { return nonEmpty(cores.of(p)); },
               [&](qint32 l) { return nonEmpty(loadedCore(l)); });
}

// Level 5: an id that exactly one channel on each side holds, counted over
// all of them, matched or not: an id shared by several says nothing of which.
bool pairUniqueIds(Pairing &pairing, const MatchSide &previous, const MatchSide &loaded, Progress &progress)
{
    if (pairing.waiting() == 0)
        return true;
    struct Holders
    {
        qint32 previous = -1;
        qint32 previousCount = 0;
        qint32 loaded = -1;
        qint32 loadedCount = 0;
    };
    FlatIndex<QByteArrayView, Holders> holders(qsizetype(previous.tvgIds.size()));
    for (qint32 p = 0; p < pairing.previousCount(); ++p) {
        if (const QByteArrayView id = previous.tvgIds[size_t(p)]; !id.isEmpty()) {
            Holders &h = holders[id];
            h.previous = p;
            ++h.previousCount;
        }
    }
    for (qint32 l = 0; l < pairing.loadedCount(); ++l) {
        if (!progress.next())
            return false;
        const QByteArrayView id = loaded.tvgIds[size_t(l)];
        if (Holders *const h = id.isEmpty() ? nullptr : holders.find(id)) {
            h->loaded = l;
            ++h->loadedCount;
        }
    }
    holders.forEachValue([&](const Holders &h) {
        if (h.previousCount == 1 && h.loadedCount == 1 && pairing.isWaiting(h.previous) && !pairing.isTaken(h.loaded))
            pairing.pair(h.previous, h.loaded);
    });
    return true;
}

} // namespace

QByteArray nameCore(QByteArrayView utf8Name)
{
    QByteArray folded;
    QByteArray core;
    appendCore(utf8Name, folded, core);
    return core;
}

Result<std::vector<qint32>> match(const MatchSide &previous, const MatchSide &loaded, Progress &progress)
{
    Q_ASSERT(previous.tvgIds.size() == previous.names.size() && loaded.tvgIds.size() == loaded.names.size());
    Pairing pairing(qsizetype(previous.names.size()), qsizetype(loaded.names.size()));
    const bool done =
        pairLevel<KeyPair>(
            pairing, progress, [&](qint32 p) { return idAndName(previous, p); },
            [&](qint32 l) { return idAndName(loaded, l); })
        && pairLevel<QByteArrayView>(
            pairing, progress, [&](qint32 p) { return nameOf(previous, p); },
            [&](qint32 l) { return nameOf(loaded, l); })
        && pairByCores(pairing, previous, loaded, progress) && pairUniqueIds(pairing, previous, loaded, progress);
    if (!done)
        return Stopped{};
    return pairing.take();
}

} // namespace channelMatch
