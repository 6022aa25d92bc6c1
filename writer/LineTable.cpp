#include "writer/LineTable.h"

#include "intake/TimeSlice.h"
#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "writer/LineScanner.h"

#include <algorithm>

namespace {

constexpr QByteArrayView crlf("\r\n");
constexpr QByteArrayView headerLine("#EXTM3U\r\n");
constexpr char marker = '\x01';
constexpr int linesPerSlice = 4096;

// The part the group cut removes: from the first " group-title=" up to the
// first comma. Lines where that is not well defined (no blank before the
// attribute, no comma, or the comma first) are written unchanged.
struct Cut
{
    qsizetype from = -1;
    qsizetype to = -1;
    [[nodiscard]] bool any() const { return from >= 0; }
};

Cut groupCut(const LineScanner::Line &line)
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

class LineTable::Builder
{
public:
    explicit Builder(LineTable &table)
        : m_t(table)
        , m_utf8(table.m_mode == InputMode::Utf8)
    {
        m_t.m_side.append(headerLine);
    }

    void addLine(const LineScanner::Line &scanned)
    {
        const qint32 index = qint32(m_t.m_lines.size());
        if (scanned.header) {
            // The whole line became "#EXTM3U": neither an entry nor a group line.
            m_t.m_lines.push_back({0, qint32(headerLine.size()), 0, 0, FormInSideFlag});
            if (index == 0)
                m_t.m_header = headerLine.toByteArray();
            return;
        }
        const QByteArrayView text = scanned.text();
        const bool wellFormed = scanned.wellFormed;
        if (index == 0)
            appendWritten(text, wellFormed, {}, m_t.m_header);

        // Clean: the written bytes are the line's own bytes.
        const bool clean = m_utf8 ? wellFormed && text.size() == scanned.bytes.size() : scanned.ascii;
        Line line;
        line.flags = quint8((scanned.entry ? EntryFlag : 0) | (scanned.group ? GroupFlag : 0));
        if (!scanned.group) {
            const Cut cut = groupCut(scanned);
            if (clean && scanned.endsWithCrlf && !scanned.marker) {
                // Written from the copy itself, around the cut if there is one.
                line.offset = text.data() - m_t.m_copy.data();
                const qsizetype withCrlf = text.size() + crlf.size();
                line.headLength = qint32(cut.any() ? cut.from : withCrlf);
                line.skipped = qint32(cut.any() ? cut.to - cut.from : 0);
                line.tailLength = qint32(cut.any() ? withCrlf - cut.to : 0);
            } else {
                line.offset = m_t.m_side.size();
                appendWritten(text, wellFormed, cut, m_t.m_side);
                line.headLength = qint32(m_t.m_side.size() - line.offset);
                line.flags |= FormInSideFlag;
            }
        }
        m_t.m_lines.push_back(line);
        if (scanned.entry)
            addEntry(index, text, wellFormed);
    }

    // Entry texts point into m_side only once it stops growing.
    void finish()
    {
        m_t.m_entryLines.reserve(m_keys.size());
        m_t.m_entryTexts.reserve(m_keys.size());
        for (const Key &k : m_keys) {
            const char *base = k.inSide ? m_t.m_side.constData() : m_t.m_copy.data();
            m_t.m_entryLines.push_back(k.line);
            m_t.m_entryTexts.push_back(QByteArrayView(base + k.offset, k.length));
        }
    }

private:
    struct Key
    {
        qint32 line;
        bool inSide;
        qsizetype offset;
        qsizetype length;
    };

    void addEntry(qint32 index, QByteArrayView text, bool wellFormed)
    {
        if (wellFormed) {
            m_keys.push_back({index, false, text.data() - m_t.m_copy.data(), text.size()});
            return;
        }
        const qsizetype offset = m_t.m_side.size();
        utf8::appendSanitized(text, m_t.m_side);
        m_keys.push_back({index, true, offset, m_t.m_side.size() - offset});
    }

    // Appends the UTF-8 bytes of the text with the cut part left out and the
    // markers removed, then CR LF. Markers go after decoding: a marker between
    // two bytes of a broken sequence must not join them into a character.
    void appendWritten(QByteArrayView text, bool wellFormed, Cut cut, QByteArray &out) const
    {
        const qsizetype from = out.size();
        if (cut.any()) {
            appendText(text.first(cut.from), wellFormed, out);
            appendText(text.sliced(cut.to), wellFormed, out);
        } else {
            appendText(text, wellFormed, out);
        }
        removeMarkers(out, from);
        out.append(crlf);
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

    LineTable &m_t;
    const bool m_utf8;
    std::vector<Key> m_keys;
};

std::optional<LineTable> LineTable::build(QByteArrayView copy, InputMode mode, TimeSlice &slice)
{
    LineTable table(copy, mode);
    table.m_lines.reserve(size_t(copy.size() / 32));
    Builder builder(table);
    LineScanner scanner(copy, mode);
    for (int sinceSlice = 1; !scanner.atEnd(); ++sinceSlice) {
        builder.addLine(scanner.next());
        if (sinceSlice == linesPerSlice) {
            sinceSlice = 0;
            if (!slice.next())
                return std::nullopt;
        }
    }
    builder.finish();
    return table;
}

LineTable::Form LineTable::runForm(qint32 line) const
{
    const Line &l = m_lines[size_t(line)];
    const char *head = ((l.flags & FormInSideFlag) ? m_side.constData() : m_copy.data()) + l.offset;
    const char *tail = head + l.headLength + l.skipped;
    return {QByteArrayView(head, l.headLength), QByteArrayView(tail, l.tailLength)};
}

qint32 LineTable::runEnd(qint32 first) const
{
    const qint32 last = count() - 1;
    if (first >= last)
        return last;
    const qint32 next = first + 1;
    if (isEntry(next) || isGroupLine(next))
        return std::min(next + 1, last);
    return next;
}
