#include "writer/PlaylistWriter.h"

#include "intake/TimeSlice.h"
#include "writer/ChunkedOutput.h"
#include "writer/EntryIndex.h"
#include "writer/EntryTable.h"

#include <algorithm>
#include <array>

namespace {

// A single item can write a large part of the file; the window still gets
// its turn every so many runs.
constexpr int runsPerSlice = 1024;
// Items looked up together, their reads from memory overlapping.
constexpr size_t lookupBatch = 32;

} // namespace

PlaylistWriter::PlaylistWriter(QByteArrayView normalisedCopy, InputMode mode, qsizetype chunkBytes)
    : m_copy(normalisedCopy)
    , m_mode(mode)
    , m_chunkBytes(chunkBytes)
{
}

PlaylistWriter::~PlaylistWriter() = default;

Result<> PlaylistWriter::write(std::span<const QByteArrayView> items, QIODevice &out, TimeSlice &slice)
{
    return write(qsizetype(items.size()), [items](qsizetype i) { return items[size_t(i)]; }, out, slice);
}

Result<> PlaylistWriter::write(qsizetype itemCount, const ItemSource &items, QIODevice &out, TimeSlice &slice)
{
    if (itemCount == 0)
        return {};
    if (!prepare(slice))
        return FileFailure::stopped();

    ChunkedOutput output(out, m_chunkBytes);
    output.append(m_entries->headerForm());
    std::array<QByteArrayView, lookupBatch> batch;
    int runs = 0;
    for (qsizetype first = 0; first < itemCount; first += qsizetype(lookupBatch)) {
        const size_t count = size_t(std::min(qsizetype(lookupBatch), itemCount - first));
        for (size_t k = 0; k < count; ++k)
            batch[k] = items(first + qsizetype(k));
        m_index->expect(std::span(batch).first(count));
        for (size_t k = 0; k < count; ++k) {
            if (!slice.next())
                return FileFailure::stopped();
            // A match inside the run just written neither starts a run nor
            // stretches the current one.
            qsizetype runEnd = -1;
            const auto matching = m_index->entriesMatching(batch[k], slice);
            if (!matching)
                return FileFailure::stopped();
            for (const qint32 entry : *matching) {
                if (m_entries->runStart(entry) < runEnd)
                    continue;
                runEnd = m_entries->appendRun(entry, output);
                if (++runs == runsPerSlice) {
                    runs = 0;
                    if (!slice.next())
                        return FileFailure::stopped();
                }
            }
            if (output.failed())
                return FileFailure::of(FileFailure::Action::Write, out);
        }
    }
    if (!output.finish())
        return FileFailure::of(FileFailure::Action::Write, out);
    return {};
}

bool PlaylistWriter::prepare(TimeSlice &slice)
{
    if (m_index)
        return true;
    std::optional<EntryTable> entries = EntryTable::build(m_copy, m_mode, slice);
    if (!entries)
        return false;
    m_entries = std::make_unique<EntryTable>(std::move(*entries));
    m_index = std::make_unique<EntryIndex>(*m_entries, slice);
    if (!m_index->stopped())
        return true;
    m_index.reset();
    return false;
}
