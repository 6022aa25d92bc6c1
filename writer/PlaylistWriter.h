#pragma once

#include "encoding/InputMode.h"
#include "intake/Result.h"

#include <QByteArrayView>

#include <functional>
#include <memory>
#include <span>

class EntryIndex;
class EntryTable;
class QIODevice;
class TimeSlice;

// Writes the new playlist from the normalised copy: the copy's first line as
// the header, then for each item of the new list, in order, the runs of the
// channel entries that end with the item (a run being the entry and the line
// after it, or the two lines after it when the next one is a group line or
// another entry; group lines are never written, group attributes are cut,
// duplicate markers removed, every line UTF-8 with CR LF). Nothing at all is
// written for an empty list.
//
// Items are in the copy's text form: in UTF-8 mode well-formed UTF-8, in ANSI
// mode Windows-1251 bytes, one per character (see EntryTable).
//
// The output is byte for byte what scanning the whole copy once per item
// gives, but the copy is read once: its entries are indexed on the first
// write, and each item costs a lookup plus the bytes it writes.
class PlaylistWriter
{
public:
    // The text of the new list's item at an index: a million items are not
    // laid out at once, but handed out a few at a time.
    using ItemSource = std::function<QByteArrayView(qsizetype index)>;

    // Small enough to stay in the cache while the system copies it to the file.
    static constexpr qsizetype defaultChunkBytes = qsizetype(256) << 10;

    // The copy's bytes must outlive the writer.
    PlaylistWriter(QByteArrayView normalisedCopy, InputMode mode,
                   qsizetype chunkBytes = defaultChunkBytes);
    ~PlaylistWriter();
    PlaylistWriter(const PlaylistWriter &) = delete;
    PlaylistWriter &operator=(const PlaylistWriter &) = delete;

    // A failed write names the device; a stop comes as FileFailure::stopped().
    Result<> write(qsizetype itemCount, const ItemSource &items, QIODevice &out, TimeSlice &slice);
    Result<> write(std::span<const QByteArrayView> items, QIODevice &out, TimeSlice &slice);

private:
    [[nodiscard]] bool prepare(TimeSlice &slice);

    QByteArrayView m_copy;
    InputMode m_mode;
    qsizetype m_chunkBytes;
    std::unique_ptr<EntryTable> m_entries;
    std::unique_ptr<EntryIndex> m_index;
};
