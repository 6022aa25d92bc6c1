#include "writer/PlaylistWriter.h"

#include "intake/TimeSlice.h"
#include "writer/ChunkedOutput.h"
#include "writer/EntryIndex.h"
#include "writer/LineTable.h"

#include <algorithm>

namespace {

// A single item can write a large part of the file; the window still gets
// its turn every so many runs.
constexpr int runsPerSlice = 1024;
// Items looked up together, their reads from memory overlapping.
constexpr qsizetype lookupBatch = 32;

} // namespace

PlaylistWriter::PlaylistWriter(QByteArrayView normalisedCopy, InputMode mode, qsizetype chunkBytes)
    : m_copy(normalisedCopy)
    , m_mode(mode)
    , m_chunkBytes(chunkBytes)
{
}

PlaylistWriter::~PlaylistWriter() = default;

PlaylistWriter::Outcome PlaylistWriter::write(const QStringList &items, QIODevice &out, TimeSlice &slice)
{
    if (items.isEmpty())
        return Outcome::Written;
    if (!prepare(slice))
        return Outcome::Stopped;

    ChunkedOutput output(out, m_chunkBytes);
    output.append(m_lines->headerForm());
    int runs = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!slice.next())
            return Outcome::Stopped;
        if (i % lookupBatch == 0)
            m_index->expect(std::span(items.constData() + i, size_t(std::min(lookupBatch, items.size() - i))));
        const std::span<const qint32> matching = m_index->linesMatching(items[i]);
        // A match inside the run just written neither starts a run nor
        // stretches the current one.
        qint32 runEnd = -1;
        for (const qint32 first : matching) {
            if (first <= runEnd)
                continue;
            runEnd = m_lines->runEnd(first);
            for (qint32 line = first; line <= runEnd; ++line) {
                const LineTable::Form form = m_lines->runForm(line);
                output.append(form.head);
                output.append(form.tail);
            }
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
    std::optional<LineTable> lines = LineTable::build(m_copy, m_mode, slice);
    if (!lines)
        return false;
    m_lines = std::make_unique<LineTable>(std::move(*lines));
    m_index = std::make_unique<EntryIndex>(*m_lines);
    return true;
}
