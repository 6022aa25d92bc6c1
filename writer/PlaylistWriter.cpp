#include "writer/PlaylistWriter.h"

#include "encoding/Ansi.h"
#include "intake/ChannelEntry.h"
#include "base/Progress.h"
#include "writer/ChunkedOutput.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr QByteArrayView crlf("\r\n");
constexpr QByteArrayView bareHeader("#EXTM3U");
constexpr QByteArrayView groupAttribute(" group-title=");
constexpr char marker = '\x01';

qsizetype skipMarkers(QByteArrayView text, qsizetype at)
{
    while (at < text.size() && text[at] == marker)
        ++at;
    return at;
}

// Where " group-title=" ends when it starts at `at`, duplicate markers passed
// over (they are no part of the line written); -1 when it does not stand there.
qsizetype groupAttributeEnd(QByteArrayView text, qsizetype at)
{
    for (const char c : groupAttribute) {
        at = skipMarkers(text, at);
        if (at == text.size() || text[at] != c)
            return -1;
        ++at;
    }
    return skipMarkers(text, at);
}

// The parts of an entry line that hold group-title attributes: each from the
// blank before it to the end of its value (a quoted value ends at the next
// quote, any other at a blank or comma). Only attributes count, so the search
// ends at the name's comma and skips quoted values. False when a quoted value
// has no closing quote: the line is then written as it is.
bool findGroupCuts(QByteArrayView text, std::vector<std::pair<qsizetype, qsizetype>> &cuts)
{
    const size_t before = cuts.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            // A quoted value (an address, a user agent) is passed over whole.
            const auto closing = static_cast<const char *>(
                std::memchr(text.data() + i + 1, '"', size_t(text.size() - i - 1)));
            if (!closing)
                break; // the rest is quoted
            i = closing - text.data();
        } else if (c == ',') {
            break;
        } else if (c == ' ') {
            qsizetype end = groupAttributeEnd(text, i);
            if (end < 0)
                continue;
            if (end < text.size() && text[end] == '"') {
                end = text.indexOf('"', end + 1);
                if (end < 0) {
                    cuts.resize(before);
                    return false;
                }
                ++end;
            } else {
                while (end < text.size() && text[end] != ' ' && text[end] != ',')
                    ++end;
            }
            cuts.emplace_back(i, end);
            i = end - 1;
        }
    }
    return true;
}

// Both tags begin with EXT: one search finds either.
bool holdsGroupOrHeaderTag(QByteArrayView text)
{
    constexpr QByteArrayView common("EXT");
    for (qsizetype at = 0; (at = channelEntry::findTag(text, common, at)) >= 0; ++at) {
        const QByteArrayView tag = text.sliced(at);
        if (tag.startsWith(channelEntry::groupTag) || tag.startsWith(channelEntry::headerTag))
            return true;
    }
    return false;
}

} // namespace

struct PlaylistWriter::Line
{
    qsizetype start = 0;
    QByteArrayView text;  // without its line end
    bool endsWithCrlf = false;
    qsizetype next = 0;   // where the next line starts
};

PlaylistWriter::PlaylistWriter(QByteArrayView normalisedCopy, InputMode mode, qsizetype chunkBytes)
    : m_copy(normalisedCopy)
    , m_mode(mode)
    , m_chunkBytes(chunkBytes)
{
    // An entry with its address takes some 64 bytes at least.
    m_starts.reserve(size_t(m_copy.size() / 64));
    // The tag never spans lines, so it is looked for in the whole copy at
    // once rather than line by line; each find gives the line it stands in.
    for (qsizetype at = 0; at < m_copy.size();) {
        const qsizetype tag = channelEntry::findTag(m_copy, channelEntry::entryTag, at);
        if (tag < 0)
            break;
        qsizetype start = tag;
        while (start > at && m_copy[start - 1] != '\n')
            --start;
        m_starts.push_back(start);
        at = lineAt(tag, m_copy.size()).next;
    }
    findHeader();
}

void PlaylistWriter::findHeader()
{
    // The first line before the first entry that holds the tag, from the "#"
    // of the tag on: the programme guide's address and the like are in it.
    const qsizetype end = m_starts.empty() ? m_copy.size() : m_starts.front();
    const qsizetype tag = channelEntry::findTag(m_copy.first(end), channelEntry::headerTag);
    if (tag < 0)
        return;
    qsizetype start = tag;
    while (start > 0 && m_copy[start - 1] != '\n')
        --start;
    const qsizetype from = tag > start && m_copy[tag - 1] == '#' ? tag - 1 : tag;
    m_header = lineAt(from, end).text;
    m_headerNeedsHash = from == tag;
}

Result<> PlaylistWriter::write(std::span<const qint32> entries, QIODevice &device, Progress &progress)
{
    ChunkedOutput out(device, m_chunkBytes);
    if (m_header.isEmpty() || m_headerNeedsHash)
        out.append(m_header.isEmpty() ? bareHeader : QByteArrayView("#"));
    appendText(m_header, out);
    out.append(crlf);
    for (const qint32 entry : entries) {
        Q_ASSERT(entry >= 0 && entry < entryCount());
        appendEntry(entry, out);
        if (out.failed())
            return FileFailure::of(FileFailure::Action::Write, device);
        if (!progress.next())
            return Stopped{};
    }
    if (!out.finish())
        return FileFailure::of(FileFailure::Action::Write, device);
    return {};
}

PlaylistWriter::Line PlaylistWriter::lineAt(qsizetype at, qsizetype end) const
{
    const char *const data = m_copy.data();
    const auto lf = static_cast<const char *>(std::memchr(data + at, '\n', size_t(end - at)));
    Line line;
    line.start = at;
    line.next = lf ? lf - data + 1 : end;
    qsizetype textEnd = lf ? lf - data : end;
    line.endsWithCrlf = lf && textEnd > at && data[textEnd - 1] == '\r';
    if (line.endsWithCrlf)
        --textEnd;
    line.text = m_copy.sliced(at, textEnd - at);
    return line;
}

void PlaylistWriter::appendEntry(qint32 entry, ChunkedOutput &out)
{
    const qsizetype end = entry + 1 < entryCount() ? m_starts[size_t(entry) + 1] : m_copy.size();
    Line line = lineAt(m_starts[size_t(entry)], end);
    appendEntryLine(line, out);
    for (qsizetype at = line.next; at < end; at = line.next) {
        line = lineAt(at, end);
        const QByteArrayView text = line.text;
        if (text.isEmpty() || holdsGroupOrHeaderTag(text))
            continue;
        appendLine(line, out);
        if (text.front() != '#')
            break; // the address ends the entry
    }
}

void PlaylistWriter::appendEntryLine(const Line &line, ChunkedOutput &out)
{
    const QByteArrayView text = line.text;
    m_cuts.clear();
    (void)findGroupCuts(text, m_cuts);

    // What the cuts leave, without duplicate markers; the last piece takes
    // the line end along when it reaches it.
    qsizetype from = 0;
    const auto keep = [&](qsizetype to) {
        while (from < to) {
            const auto found = static_cast<const char *>(std::memchr(text.data() + from, marker, size_t(to - from)));
            const qsizetype end = found ? found - text.data() : to;
            const bool joinsLineEnd = end == text.size() && line.endsWithCrlf && m_mode == InputMode::Utf8;
            if (joinsLineEnd)
                out.append(QByteArrayView(text.data() + from, end - from + crlf.size()));
            else
                appendText(text.sliced(from, end - from), out);
            from = found ? end + 1 : end;
            if (joinsLineEnd)
                return true;
        }
        return false;
    };
    for (const Cut &cut : m_cuts) {
        (void)keep(cut.first);
        from = cut.second;
    }
    if (!keep(text.size()))
        out.append(crlf);
}

void PlaylistWriter::appendLine(const Line &line, ChunkedOutput &out)
{
    if (line.endsWithCrlf && m_mode == InputMode::Utf8) {
        out.append(QByteArrayView(line.text.data(), line.text.size() + crlf.size()));
        return;
    }
    appendText(line.text, out);
    out.append(crlf);
}

void PlaylistWriter::appendText(QByteArrayView text, ChunkedOutput &out)
{
    if (m_mode == InputMode::Utf8) {
        out.append(text);
        return;
    }
    // In slices, so that a line of any length needs no more room than this.
    for (qsizetype at = 0; at < text.size(); at += m_chunkBytes) {
        m_converted.truncate(0);
        ansi::appendAsUtf8(text.sliced(at, std::min(m_chunkBytes, text.size() - at)), m_converted);
        out.appendCopy(m_converted);
    }
}
