#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

class TimeSlice;

// The lines of a normalised copy, read once, as the playlist writer needs
// them: which lines are channel entries or group lines, the text an item is
// matched against, and the exact bytes each line is written as.
//
// A line ends at CR LF; text after the last CR LF is one more line. A line is
// first replaced by "#EXTM3U" when its bytes hold EXTM3U; its text is then, in
// UTF-8 mode, the UTF-8 decoding of its bytes up to the first zero byte (held
// as well-formed UTF-8, so every test and match works on bytes) and, in ANSI
// mode, its bytes as they are (one Windows-1251 character each).
class LineTable
{
public:
    // Nullopt when the slice said stop.
    [[nodiscard]] static std::optional<LineTable> build(QByteArrayView copy, InputMode mode,
                                                        TimeSlice &slice);

    [[nodiscard]] qint32 count() const { return qint32(m_lines.size()); }
    [[nodiscard]] InputMode mode() const { return m_mode; }
    [[nodiscard]] bool isEntry(qint32 line) const { return m_lines[size_t(line)].flags & EntryFlag; }
    [[nodiscard]] bool isGroupLine(qint32 line) const { return m_lines[size_t(line)].flags & GroupFlag; }

    // The bytes written for the line inside a run, CR LF included: UTF-8,
    // group attribute cut, duplicate markers removed; `head` followed by
    // `tail`. Empty for a group line, which a run never writes.
    struct Form
    {
        QByteArrayView head;
        QByteArrayView tail;
    };
    [[nodiscard]] Form runForm(qint32 line) const;

    // The first line written as the header: markers removed, nothing cut,
    // written even when it is a group line. Empty when there is no line.
    [[nodiscard]] const QByteArray &headerForm() const { return m_header; }

    // Channel entries in file order: their lines, and the texts an item must end.
    [[nodiscard]] const std::vector<qint32> &entryLines() const { return m_entryLines; }
    [[nodiscard]] const std::vector<QByteArrayView> &entryTexts() const { return m_entryTexts; }

    // Last line of the run that a match on entry line `first` starts: the
    // next line ends it unless that is a group line or a channel entry, which
    // stretch it by one more line; the end of the file cuts it short.
    [[nodiscard]] qint32 runEnd(qint32 first) const;

private:
    enum Flag : quint8 {
        EntryFlag = 1,
        GroupFlag = 2,
        FormInSideFlag = 4, // the written form is in m_side, not in the copy
    };

    // The written form: `headLength` bytes at `offset`, then, after `skipped`
    // more bytes (the group attribute cut out of an otherwise clean line),
    // `tailLength` bytes.
    struct Line
    {
        qsizetype offset = 0;
        qint32 headLength = 0;
        qint32 skipped = 0;
        qint32 tailLength = 0;
        quint8 flags = 0;
    };

    class Builder;

    LineTable(QByteArrayView copy, InputMode mode)
        : m_copy(copy)
        , m_mode(mode)
    {
    }

    QByteArrayView m_copy;
    InputMode m_mode;
    std::vector<Line> m_lines;
    std::vector<qint32> m_entryLines;
    std::vector<QByteArrayView> m_entryTexts;
    // Written forms and entry texts that differ from the copy's bytes.
    QByteArray m_side;
    QByteArray m_header;
};
