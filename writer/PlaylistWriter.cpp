#include "writer/PlaylistWriter.h"

#include "intake/TimeSlice.h"
#include "writer/ChunkedOutput.h"
#include "writer/EntryIndex.h"
#include "writer/EntryTable.h"

#include <algorithm>

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

PlaylistWriter::Outcome PlaylistWriter::write(std::span<const QByteArrayView> items, QIODevice &out,
                                              TimeSlice &slice)
{
    if (items.empty())
        return Outcome::Written;
    if (!prepare(slice))
        return Outcome::Stopped;

    ChunkedOutput output(out, m_chunkBytes);
    output.append(m_entries->headerForm());
    int runs = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!slice.next())
            return Outcome::Stopped;
        if (i % lookupBatch == 0)
            m_index->expect(items.subspan(i, std::min(lookupBatch, items.size() - i)));
        // A match inside the run just written neither starts a run nor
        // stretches the current one.
        qsizetype runEnd = -1;
        const auto matching = m_index->entriesMatching(items[i], slice);
        if (!matching)
            return Outcome::Stopped;
        for (const qint32 entry : *matching) {
            if (m_entries->runStart(entry) < runEnd)
                continue;
            runEnd = m_entries->appendRun(entry, output);
            if (++runs == runsPerSlice) {
                runs = 0;
                if (!slice.next())
                    return Outcome::Stopped;
            }
        }
        if (output.failed())
            return Outcome::WriteFailed;
    }
    return output.finish() ? Outcome::Written : Outcome::WriteFailed;
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
