#pragma once

#include "encoding/InputMode.h"
#include "base/Result.h"

#include <QByteArray>
#include <QByteArrayView>

#include <span>
#include <utility>
#include <vector>

class ChunkedOutput;
class QIODevice;
class Progress;

// Writes the new playlist from the normalised copy: the playlist's header line
// (the first line before the first entry that holds EXTM3U, from its "#" on,
// so that players keep the programme guide's address; "#EXTM3U" without
// one), then for each channel of the new list, in its order, the one entry it
// was made from (channel index i is the copy's i-th channel entry): the entry
// line without its group attribute and duplicate markers, then the option
// lines after it and its address, all as the playlist has them. Group, header
// and empty lines are left out, and so is whatever follows the address up to
// the next entry. Every line is written in UTF-8 with CR LF.
//
// The copy is as the normaliser makes it: a line holds EXTINF exactly when it
// is a channel entry, and in UTF-8 mode every line is well-formed UTF-8; in
// ANSI mode its bytes are Windows-1251 text, converted as they are written.
class PlaylistWriter
{
public:
    // Small enough to stay in the cache while the system copies it to the file.
    static constexpr qsizetype defaultChunkBytes = qsizetype(256) << 10;

    // Finds the copy's entries, in one pass; the bytes must outlive the writer.
    PlaylistWriter(QByteArrayView normalisedCopy, InputMode mode, qsizetype chunkBytes = defaultChunkBytes);

    [[nodiscard]] qsizetype entryCount() const { return qsizetype(m_starts.size()); }

    // entries: channel indexes below entryCount(), in the order to write.
    // A failed write names the device.
    Result<> write(std::span<const qint32> entries, QIODevice &out, Progress &progress);

private:
    struct Line;
    using Cut = std::pair<qsizetype, qsizetype>; // [from, to) of a line's text

    [[nodiscard]] Line lineAt(qsizetype at, qsizetype end) const;
    void findHeader();
    void appendEntry(qint32 entry, ChunkedOutput &out);
    void appendEntryLine(const Line &line, ChunkedOutput &out);
    void appendLine(const Line &line, ChunkedOutput &out);
    // A piece of a line's text, in the copy: in UTF-8 mode not even copied.
    void appendText(QByteArrayView text, ChunkedOutput &out);

    QByteArrayView m_copy;
    InputMode m_mode;
    qsizetype m_chunkBytes;
    std::vector<qsizetype> m_starts; // where each entry line starts
    QByteArrayView m_header;         // the header line's text, if there is one
    bool m_headerNeedsHash = false;  // its tag stands without "#"
    std::vector<Cut> m_cuts;
    QByteArray m_converted; // ANSI mode: a piece in UTF-8
};
