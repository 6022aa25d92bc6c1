#include "writer/LookAhead.h"

#include "intake/TimeSlice.h"
#include "writer/EntryIndex.h"

#include <algorithm>
#include <chrono>

namespace {

// A few milliseconds of look-ups: a hand-over costs far less.
constexpr qsizetype itemsPerBatch = 4096;
// Items looked up together, their reads from memory overlapping.
constexpr size_t lookupGroup = 32;

} // namespace

LookAhead::LookAhead(EntryIndex &index, qsizetype itemCount, const PlaylistWriter::ItemSource &items,
                     size_t entriesPerBatch)
    : m_index(index)
    , m_itemCount(itemCount)
    , m_items(items)
    , m_entriesPerBatch(std::max<size_t>(entriesPerBatch, 1))
{
    if (itemCount > itemsPerBatch)
        m_thread = std::thread([this] { lookUpAll(); });
}

LookAhead::~LookAhead()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

const LookAhead::Batch *LookAhead::next(TimeSlice &slice)
{
    Q_ASSERT(!atEnd());
    if (!m_thread.joinable())
        return fill(m_taken, slice) ? handOut() : nullptr;

    std::unique_lock lock(m_mutex);
    m_released = m_taken; // done with the one before
    m_changed.notify_all();
    while (m_filled <= m_taken) {
        // Waiting on a slow look-up, the writer still answers the window.
        if (m_changed.wait_for(lock, std::chrono::milliseconds(TimeSlice::defaultIntervalMs))
            == std::cv_status::timeout) {
            lock.unlock();
            const bool goOn = slice.nextBlock();
            lock.lock();
            if (!goOn)
                return nullptr;
        }
    }
    return handOut();
}

const LookAhead::Batch *LookAhead::handOut()
{
    const Batch *batch = &m_batches[size_t(m_taken++ % 2)];
    m_handedOut += qsizetype(batch->size());
    return batch;
}

void LookAhead::lookUpAll()
{
    TimeSlice slice([this] {
        const std::lock_guard lock(m_mutex);
        return !m_cancelled;
    });
    for (qsizetype batch = 0; m_nextItem < m_itemCount; ++batch) {
        {
            // Its place is free once the writer is done with the batch two before.
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_cancelled || m_released >= batch - 1; });
            if (m_cancelled)
                return;
        }
        if (!fill(batch, slice))
            return;
        {
            const std::lock_guard lock(m_mutex);
            ++m_filled;
        }
        m_changed.notify_all();
    }
}

bool LookAhead::fill(qsizetype batch, TimeSlice &slice)
{
    Batch &out = m_batches[size_t(batch % 2)];
    out.m_entries.clear();
    out.m_ends.clear();
    const qsizetype last = std::min(m_itemCount, m_nextItem + itemsPerBatch);
    std::array<QByteArrayView, lookupGroup> group;
    while (m_nextItem < last && out.m_entries.size() < m_entriesPerBatch) {
        const size_t count = size_t(std::min(qsizetype(lookupGroup), last - m_nextItem));
        for (size_t k = 0; k < count; ++k)
            group[k] = m_items(m_nextItem + qsizetype(k));
        m_index.expect(std::span(group).first(count));
        for (size_t k = 0; k < count && out.m_entries.size() < m_entriesPerBatch; ++k) {
            if (!slice.next())
                return false;
            const auto matching = m_index.entriesMatching(group[k], slice);
            if (!matching)
                return false;
            out.m_entries.insert(out.m_entries.end(), matching->begin(), matching->end());
            out.m_ends.push_back(out.m_entries.size());
            ++m_nextItem;
        }
    }
    return true;
}
