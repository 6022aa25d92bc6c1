#include "writer/PlaylistWriter.h"

#include "intake/TimeSlice.h"
#include "writer/ChunkedOutput.h"
#include "writer/EntryIndex.h"
#include "writer/EntryTable.h"
#include "writer/LookAhead.h"

namespace {

// A single item can write a large part of the file; the window still gets
// its turn every so many runs.
constexpr int runsPerSlice = 1024;

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
    LookAhead ahead(*m_index, itemCount, items);
    int runs = 0;
    while (!ahead.atEnd()) {
        const LookAhead::Batch *batch = ahead.next(slice);
        if (!batch)
            return FileFailure::stopped();
        for (size_t k = 0; k < batch->size(); ++k) {
            if (!slice.next())
                return FileFailure::stopped();
            // A match inside the run just written neither starts a run nor
            // stretches the current one.
            qsizetype runEnd = -1;
            for (const qint32 entry : batch->of(k)) {
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
