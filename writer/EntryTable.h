#pragma once

#include "encoding/InputMode.h"
#include "writer/BigVector.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <span>
#include <utility>
#include <vector>

class ChunkedOutput;
class TimeSlice;

// The channel entries of a normalised copy, found in one pass, with what the
// writer needs of each: the text an item must end, and the bytes of the run a
// match on it writes. Lines that are neither entries nor in an entry's run
// are passed over unread.
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
    [[nodiscard]] qint32 count() const { return qint32(m_runs.size()); }
    // In file order.
    [[nodiscard]] std::span<const QByteArrayView> texts() const { return m_texts; }

    // The first line written as the header: markers removed, nothing cut,
    // written even when it is a group line. Empty when there is no line.
    [[nodiscard]] const QByteArray &headerForm() const { return m_header; }

    // Where the entry's run lies in the copy: a match on an entry that starts
    // before the end of the run just written starts no run of its own.
    [[nodiscard]] qsizetype runStart(qint32 entry) const;
    [[nodiscard]] qsizetype runEnd(qint32 entry) const { return runStart(entry) + m_runs[size_t(entry)].size; }

    // Appends the written bytes of the entry's run; they stay valid as long
    // as the table.
    void appendRun(qint32 entry, ChunkedOutput &out) const;

private:
    class Builder;

    // Most runs are written exactly as they stand in the copy; the others
    // are written as pieces of the copy and of m_side.
    // It starts where the entry's text does, unless the text had to be made
    // well-formed (see m_sideStarts).
    struct Run
    {
        qint32 size = 0;
        qint32 pieces = -1; // first of m_pieces, or -1 for the copy's bytes
    };
    struct Piece
    {
        qsizetype offset = 0; // in the copy, or in m_side when negative: ~offset
        qsizetype size = 0;
    };

    EntryTable(QByteArrayView copy, InputMode mode)
        : m_copy(copy)
        , m_mode(mode)
    {
    }

    [[nodiscard]] QByteArrayView bytesOf(const Piece &piece) const;

    QByteArrayView m_copy;
    InputMode m_mode;
    BigVector<QByteArrayView> m_texts;
    BigVector<Run> m_runs;
    // Where the runs of the entries whose texts lie in m_side start, by entry.
    std::vector<std::pair<qint32, qsizetype>> m_sideStarts;
    // The pieces of each run that has them; the last one of a run has size 0.
    std::vector<Piece> m_pieces;
    // Written lines and entry texts that differ from the copy's bytes.
    QByteArray m_side;
    QByteArray m_header;
};
