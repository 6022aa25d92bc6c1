#include "writer/EntryTable.h"

#include "intake/TimeSlice.h"
#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "writer/ChunkedOutput.h"
#include "writer/LineScanner.h"

#include <algorithm>
#include <functional>

namespace {

using Line = LineScanner::Line;

constexpr QByteArrayView crlf("\r\n");
constexpr QByteArrayView headerLine("#EXTM3U\r\n");
constexpr char marker = '\x01';
constexpr int entriesPerSlice = 2048;

// The part the group cut removes: from the first " group-title=" up to the
// first comma. Lines where that is not well defined (no blank before the
// attribute, no comma, or the comma first) are written unchanged.
struct Cut
{
    qsizetype from = -1;
    qsizetype to = -1;
    [[nodiscard]] bool any() const { return from >= 0; }
};

Cut groupCut(const Line &line)
{
    if (line.groupAttribute < 0 || line.comma < line.groupAttribute)
        return {};
    return {line.groupAttribute, line.comma};
}

void removeMarkers(QByteArray &out, qsizetype from)
{
    const auto begin = out.begin() + from;
    out.truncate(std::remove(begin, out.end(), marker) - out.begin());
}

} // namespace

class EntryTable::Builder
{
public:
    explicit Builder(EntryTable &table)
        : m_t(table)
        , m_scanner(table.m_copy, table.m_mode)
        , m_utf8(table.m_mode == InputMode::Utf8)
    {
        m_t.m_side.append(headerLine); // the form of every header line
    }

    // False when the slice said stop.
    bool run(TimeSlice &slice)
    {
        if (m_t.m_copy.isEmpty())
            return true;
        // An entry with its link takes some 64 bytes at least: room reserved
        // but never used costs no memory, growing costs copies.
        const size_t expected = size_t(m_t.m_copy.size() / 64) + 16;
        m_t.m_texts.reserve(expected);
        m_t.m_runs.reserve(expected);
        const Line first = m_scanner.read(0);
        m_t.m_header = first.header ? headerLine.toByteArray() : written(first, {});
        qsizetype at = first.entry ? addEntry(first) : first.next;
        for (int sinceSlice = 0; at < m_scanner.size(); ++sinceSlice) {
            if (sinceSlice == entriesPerSlice) {
                sinceSlice = 0;
                if (!slice.next())
                    return false;
            }
            at = m_scanner.findEntryCandidate(at);
            if (at < 0)
                break;
            const Line line = m_scanner.read(at);
            at = line.entry ? addEntry(line) : line.next;
        }
        finish();
        return true;
    }

private:
    // Adds the entry and its run; returns where the next line starts.
    qsizetype addEntry(const Line &entry)
    {
        addText(entry);
        Run run;
        const size_t firstPiece = m_t.m_pieces.size();
        addLine(entry);
        qsizetype end = entry.next;
        if (end < m_scanner.size()) {
            const Line next = m_scanner.read(end);
            addLine(next);
            end = next.next;
            if ((next.entry || next.group) && end < m_scanner.size()) {
                const Line after = m_scanner.read(end);
                addLine(after);
                end = after.next;
            }
        }
        run.size = qint32(end - entry.start);
        const bool asInCopy = m_t.m_pieces.size() == firstPiece + 1 && m_t.m_pieces.back().offset == entry.start
                           && m_t.m_pieces.back().size == end - entry.start;
        if (asInCopy) {
            m_t.m_pieces.pop_back();
        } else {
            run.pieces = qint32(firstPiece);
            m_t.m_pieces.push_back({}); // ends the run's pieces
        }
        m_t.m_runs.push_back(run);
        return entry.next;
    }

    // Adds the written form of a line of a run as pieces, joining pieces
    // of the copy that follow each other.
    void addLine(const Line &line)
    {
        if (line.group)
            return;
        if (line.header) {
            addPiece({~qsizetype(0), headerLine.size()});
            return;
        }
        const Cut cut = groupCut(line);
        if (line.clean()) {
            const qsizetype end = line.start + line.bytes.size() + crlf.size();
            if (!cut.any()) {
                addPiece({line.start, end - line.start});
            } else {
                addPiece({line.start, cut.from});
                addPiece({line.start + cut.to, end - line.start - cut.to});
            }
            return;
        }
        const qsizetype offset = m_t.m_side.size();
        m_t.m_side.append(written(line, cut));
        addPiece({~offset, m_t.m_side.size() - offset});
    }

    void addPiece(Piece piece)
    {
        if (piece.size == 0)
            return; // a cut from the line's start; size 0 ends a run's pieces
        std::vector<Piece> &pieces = m_t.m_pieces;
        if (!pieces.empty() && pieces.back().size > 0 && piece.offset >= 0 && pieces.back().offset >= 0
            && pieces.back().offset + pieces.back().size == piece.offset) {
            pieces.back().size += piece.size;
            return;
        }
        pieces.push_back(piece);
    }

    // A text made well-formed lies in m_side, and can be pointed to only
    // once m_side stops growing.
    void addText(const Line &entry)
    {
        const QByteArrayView text = entry.text();
        if (!m_utf8 || entry.wellFormed) {
            m_t.m_texts.push_back(text);
            return;
        }
        const qsizetype offset = m_t.m_side.size();
        utf8::appendSanitized(text, m_t.m_side);
        m_sideTexts.push_back({m_t.m_texts.size(), offset, m_t.m_side.size() - offset});
        m_t.m_sideStarts.emplace_back(qint32(m_t.m_texts.size()), entry.start);
        m_t.m_texts.emplace_back();
    }

    void finish()
    {
        for (const SideText &t : m_sideTexts)
            m_t.m_texts[t.entry] = QByteArrayView(m_t.m_side.constData() + t.offset, t.size);
    }

    // The UTF-8 bytes of the text with the cut part left out and the
    // markers removed, then CR LF. Markers go after decoding: a marker between
    // two bytes of a broken sequence must not join them into a character.
    QByteArray written(const Line &line, Cut cut) const
    {
        QByteArray out;
        const QByteArrayView text = line.text();
        if (cut.any()) {
            appendText(text.first(cut.from), line.wellFormed, out);
            appendText(text.sliced(cut.to), line.wellFormed, out);
        } else {
            appendText(text, line.wellFormed, out);
        }
        removeMarkers(out, 0);
        out.append(crlf);
        return out;
    }

    void appendText(QByteArrayView piece, bool wellFormed, QByteArray &out) const
    {
        if (!m_utf8)
            ansi::appendAsUtf8(piece, out);
        else if (wellFormed)
            out.append(piece);
        else
            utf8::appendSanitized(piece, out);
    }

    struct SideText
    {
        size_t entry;
        qsizetype offset;
        qsizetype size;
    };

    EntryTable &m_t;
    LineScanner m_scanner;
    const bool m_utf8;
    std::vector<SideText> m_sideTexts;
};

std::optional<EntryTable> EntryTable::build(QByteArrayView copy, InputMode mode, TimeSlice &slice)
{
    EntryTable table(copy, mode);
    if (!Builder(table).run(slice))
        return std::nullopt;
    return table;
}

qsizetype EntryTable::runStart(qint32 entry) const
{
    const char *text = m_texts[size_t(entry)].data();
    const std::less<const char *> before;
    if (!before(text, m_copy.data()) && !before(m_copy.data() + m_copy.size(), text))
        return text - m_copy.data();
    const auto side = std::lower_bound(m_sideStarts.begin(), m_sideStarts.end(), std::pair(entry, qsizetype(0)));
    return side->second;
}

void EntryTable::appendRun(qint32 entry, ChunkedOutput &out) const
{
    const Run &run = m_runs[size_t(entry)];
    if (run.pieces < 0) {
        out.append(m_copy.sliced(runStart(entry), run.size));
        return;
    }
    for (auto piece = m_pieces.begin() + run.pieces; piece->size > 0; ++piece)
        out.append(bytesOf(*piece));
}

QByteArrayView EntryTable::bytesOf(const Piece &piece) const
{
    if (piece.offset >= 0)
        return m_copy.sliced(piece.offset, piece.size);
    return QByteArrayView(m_side).sliced(~piece.offset, piece.size);
}
