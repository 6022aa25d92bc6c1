#pragma once

#include "encoding/InputMode.h"
#include "writer/BigVector.h"
#include "writer/LineScanner.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <span>
#include <utility>
#include <vector>

class ChunkedOutput;
class TimeSlice;

// The channel entries of a normalised copy, found in one pass, with the text
// an item must end. Lines that are not entries are passed over unread; the
// lines after an entry in its run are read only when the run is written.
//
// A line is first replaced by "#EXTM3U" when its bytes hold EXTM3U. An
// entry's text is, in UTF-8 mode, the UTF-8 decoding of its bytes up to the
// first zero byte (held as well-formed UTF-8, so every match works on bytes)
// and, in ANSI mode, its bytes as they are (one Windows-1251 character each).
//
// A run is the entry and the line after it; when that line is a group line
// or another entry, the line after it too; the end of the file cuts it short.
// A line is written in UTF-8 with CR LF, its group attribute cut and its
// duplicate markers removed; group lines are not written at all.
class EntryTable
{
public:
    // Nullopt when the slice said stop.
    [[nodiscard]] static std::optional<EntryTable> build(QByteArrayView copy, InputMode mode,
                                                         TimeSlice &slice);

    [[nodiscard]] InputMode mode() const { return m_mode; }
    [[nodiscard]] qint32 count() const { return qint32(m_texts.size()); }
    // In file order.
    [[nodiscard]] std::span<const QByteArrayView> texts() const { return m_texts; }

    // The first line written as the header: markers removed, nothing cut,
    // written even when it is a group line. Empty when there is no line.
    [[nodiscard]] const QByteArray &headerForm() const { return m_header; }

    // Where the entry's line, and so its run, starts in the copy: a match on
    // an entry that starts before the end of the run just written starts no
    // run of its own.
    [[nodiscard]] qsizetype runStart(qint32 entry) const;

    // Appends the written bytes of the entry's run; returns where the run
    // ends in the copy.
    qsizetype appendRun(qint32 entry, ChunkedOutput &out);

private:
    class Builder;

    EntryTable(QByteArrayView copy, InputMode mode)
        : m_copy(copy)
        , m_mode(mode)
    {
    }

    // How an entry's own line is written, learnt when the table is built, so
    // that writing its run need not read the line again: read again, copied
    // whole (its length is its text's), or copied around its group attribute,
    // the cut's start in the high half and its end (never 0 or 1) in the low.
    enum EntryLine : quint32 {
        ReadAgain = 0,
        CopiedWhole = 1,
    };

    void appendLine(const LineScanner::Line &line, ChunkedOutput &out);

    QByteArrayView m_copy;
    InputMode m_mode;
    BigVector<QByteArrayView> m_texts;
    BigVector<quint32> m_entryLines; // by entry
    // Where the lines of the entries whose texts had to be made well-formed
    // (and so lie in m_side) start, by entry.
    std::vector<std::pair<qint32, qsizetype>> m_sideStarts;
    // Entry texts that differ from the copy's bytes.
    QByteArray m_side;
    QByteArray m_header;
    // The written form of the line at hand, when it differs from the copy's.
    QByteArray m_scratch;
};
