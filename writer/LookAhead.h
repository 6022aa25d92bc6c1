#pragma once

#include "writer/PlaylistWriter.h"

#include <QtGlobal>

#include <array>
#include <condition_variable>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

class EntryIndex;
class TimeSlice;

// Looks the items up a batch ahead of the writing, on a thread of its own
// for more items than one batch takes: on a large list the look-ups take about
// as long as writing the runs, and the two then share the machine's cores.
class LookAhead
{
public:
    // The entries that match a stretch of items, each item's in file order.
    class Batch
    {
    public:
        [[nodiscard]] size_t size() const { return m_ends.size(); }
        [[nodiscard]] std::span<const qint32> of(size_t item) const
        {
            const size_t from = item == 0 ? 0 : m_ends[item - 1];
            return std::span(m_entries).subspan(from, m_ends[item] - from);
        }

    private:
        friend class LookAhead;
        std::vector<qint32> m_entries;
        std::vector<size_t> m_ends;
    };

    // A batch ends after 4096 items, or sooner, once it holds this many
    // entries: items with many matches each (short names in a large playlist)
    // would otherwise hold hundreds of megabytes.
    static constexpr size_t defaultEntriesPerBatch = size_t(1) << 20;

    // The index and the items must outlive this; no one else may use the
    // index meanwhile.
    LookAhead(EntryIndex &index, qsizetype itemCount, const PlaylistWriter::ItemSource &items,
              size_t entriesPerBatch = defaultEntriesPerBatch);
    ~LookAhead();
    LookAhead(const LookAhead &) = delete;
    LookAhead &operator=(const LookAhead &) = delete;

    // Whether every item has been handed out in a batch.
    [[nodiscard]] bool atEnd() const { return m_handedOut == m_itemCount; }
    // The next batch, valid until the next call; null when the slice said
    // stop. Not at the end.
    [[nodiscard]] const Batch *next(TimeSlice &slice);

private:
    [[nodiscard]] bool fill(qsizetype batch, TimeSlice &slice);
    void lookUpAll();
    const Batch *handOut();

    EntryIndex &m_index;
    const qsizetype m_itemCount;
    const PlaylistWriter::ItemSource &m_items;
    const size_t m_entriesPerBatch;
    std::array<Batch, 2> m_batches;
    qsizetype m_nextItem = 0;  // the first item of the next batch to fill
    qsizetype m_taken = 0;     // batches handed out
    qsizetype m_handedOut = 0; // items in them

    // Shared with the thread.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qsizetype m_filled = 0;   // batches ready
    qsizetype m_released = 0; // batches the writer is done with
    bool m_cancelled = false;
    std::thread m_thread;
};
