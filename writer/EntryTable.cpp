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

// A line written as it stands in the copy, CR LF included, less the cut.
void appendCopied(QByteArrayView withCrlf, Cut cut, ChunkedOutput &out)
{
    if (!cut.any()) {
        out.append(withCrlf);
    } else {
        out.append(withCrlf.first(cut.from));
        out.append(withCrlf.sliced(cut.to));
    }
}

void removeMarkers(QByteArray &out, qsizetype from)
{
    const auto begin = out.begin() + from;
    out.truncate(std::remove(begin, out.end(), marker) - out.begin());
}

void appendText(QByteArrayView piece, bool utf8Mode, bool wellFormed, QByteArray &out)
{
    if (!utf8Mode)
        ansi::appendAsUtf8(piece, out);
    else if (wellFormed)
        out.append(piece);
    else
        utf8::appendSanitized(piece, out);
}

// The UTF-8 bytes of the line's text with the cut part left out and the
// markers removed, then CR LF. Markers go after decoding: a marker between
// two bytes of a broken sequence must not join them into a character.
void appendWritten(const Line &line, Cut cut, bool utf8Mode, QByteArray &out)
{
    const qsizetype from = out.size();
    const QByteArrayView text = line.text();
    if (cut.any()) {
        appendText(text.first(cut.from), utf8Mode, line.wellFormed, out);
        appendText(text.sliced(cut.to), utf8Mode, line.wellFormed, out);
    } else {
        appendText(text, utf8Mode, line.wellFormed, out);
    }
    removeMarkers(out, from);
    out.append(crlf);
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
        m_t.m_entryLines.reserve(expected);
        const Line first = m_scanner.read(0);
        m_t.m_header = first.header ? headerLine.toByteArray() : QByteArray();
        if (!first.header)
            appendWritten(first, {}, m_utf8, m_t.m_header);
        if (first.entry)
            addText(first);
        qsizetype at = first.next;
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
            if (line.entry)
                addText(line);
            at = line.next;
        }
        finish();
        return true;
    }

private:
    // A text made well-formed lies in m_side, and can be pointed to only
    // once m_side stops growing.
    void addText(const Line &entry)
    {
        m_t.m_entryLines.push_back(knownForm(entry));
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

    static quint32 knownForm(const Line &entry)
    {
        if (!entry.clean())
            return ReadAgain;
        const Cut cut = groupCut(entry);
        if (!cut.any())
            return CopiedWhole;
        return cut.to <= 0xFFFF ? quint32(cut.from) << 16 | quint32(cut.to) : ReadAgain;
    }

    void finish()
    {
        for (const SideText &t : m_sideTexts)
            m_t.m_texts[t.entry] = QByteArrayView(m_t.m_side.constData() + t.offset, t.size);
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

qsizetype EntryTable::appendRun(qint32 entry, ChunkedOutput &out)
{
    const LineScanner scanner(m_copy, m_mode);
    const qsizetype start = runStart(entry);
    qsizetype end;
    if (const quint32 known = m_entryLines[size_t(entry)]; known != ReadAgain) {
        // A clean line's text is all of it.
        end = start + m_texts[size_t(entry)].size() + crlf.size();
        const Cut cut = known == CopiedWhole ? Cut{} : Cut{known >> 16, known & 0xFFFF};
        appendCopied(m_copy.sliced(start, end - start), cut, out);
    } else {
        const Line line = scanner.read(start);
        appendLine(line, out);
        end = line.next;
    }
    if (end < m_copy.size()) {
        const Line next = scanner.read(end);
        appendLine(next, out);
        end = next.next;
        if ((next.entry || next.group) && end < m_copy.size()) {
            const Line after = scanner.read(end);
            appendLine(after, out);
            end = after.next;
        }
    }
    return end;
}

// Group lines are not written; a clean line is written from the copy itself,
// around its group attribute if it has one.
void EntryTable::appendLine(const Line &line, ChunkedOutput &out)
{
    if (line.group)
        return;
    if (line.header) {
        out.append(headerLine);
        return;
    }
    const Cut cut = groupCut(line);
    if (line.clean()) {
        appendCopied(m_copy.sliced(line.start, line.bytes.size() + crlf.size()), cut, out);
        return;
    }
    m_scratch.truncate(0);
    appendWritten(line, cut, m_mode == InputMode::Utf8, m_scratch);
    out.appendCopy(m_scratch);
}
