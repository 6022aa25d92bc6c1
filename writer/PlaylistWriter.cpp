#include "writer/PlaylistWriter.h"

#include "encoding/Ansi.h"
#include "intake/ChannelEntry.h"
#include "base/Progress.h"
#include "writer/ChunkedOutput.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr QByteArrayView crlf("\r\n");
constexpr QByteArrayView headerLine("#EXTM3U\r\n");
constexpr QByteArrayView groupAttribute(" group-title=");
constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");
constexpr char marker = '\x01';

// The parts of an entry line that hold group-title attributes: each from the
// blank before it to the end of its value (a quoted value ends at the next
// quote, any other at a blank or comma). Only attributes count, so the search
// ends at the name's comma and skips quoted values. False when a quoted value
// has no closing quote: the line is then written as it is.
bool findGroupCuts(QByteArrayView text, std::vector<std::pair<qsizetype, qsizetype>> &cuts)
{
    cuts.clear();
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == ',') {
            break;
        } else if (c == ' ' && text.sliced(i).startsWith(groupAttribute)) {
            qsizetype end = i + groupAttribute.size();
            if (end < text.size() && text[end] == '"') {
                end = text.indexOf('"', end + 1);
                if (end < 0)
                    return false;
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

qsizetype leading(QByteArrayView text, char c)
{
    return std::find_if(text.begin(), text.end(), [c](char d) { return d != c; }) - text.begin();
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
    for (qsizetype at = 0; at < m_copy.size();) {
        const Line line = lineAt(at, m_copy.size());
        if (channelEntry::isEntry(line.text))
            m_starts.push_back(at);
        at = line.next;
    }
}

Result<> PlaylistWriter::write(std::span<const qint32> entries, QIODevice &device, Progress &progress)
{
    ChunkedOutput out(device, m_chunkBytes);
    out.append(headerLine);
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
        if (text.isEmpty() || channelEntry::hasTag(text, channelEntry::groupTag) || channelEntry::isHeader(text))
            continue;
        appendLine(line, out);
        if (text.front() != '#')
            break; // the address ends the entry
    }
}

void PlaylistWriter::appendEntryLine(const Line &line, ChunkedOutput &out)
{
    QByteArrayView text = line.text;
    bool joinsLineEnd = line.endsWithCrlf;
    while (text.endsWith(marker)) {
        text.chop(1);
        joinsLineEnd = false;
    }
    // The normaliser put "#" before a byte-order mark that began the file;
    // the mark and the spaces after it are no part of the line written.
    const qsizetype hashes = line.start == 0 ? leading(text, '#') : 0;
    const bool markAtStart = line.start == 0 && text.sliced(hashes).startsWith(byteOrderMark);
    const bool inCopy = !markAtStart && !text.contains(marker);
    if (!inCopy) {
        m_plain.truncate(0);
        m_plain.append(text.first(hashes));
        QByteArrayView rest = text.sliced(hashes);
        if (markAtStart) {
            rest = rest.sliced(byteOrderMark.size());
            rest = rest.sliced(leading(rest, ' '));
        }
        std::remove_copy(rest.begin(), rest.end(), std::back_inserter(m_plain), marker);
        text = m_plain;
        joinsLineEnd = false;
    }

    if (!findGroupCuts(text, m_cuts))
        m_cuts.clear();
    qsizetype from = 0;
    for (const Cut &cut : m_cuts) {
        appendText(text.sliced(from, cut.first - from), inCopy, out);
        from = cut.second;
    }
    QByteArrayView last = text.sliced(from);
    if (joinsLineEnd && m_mode == InputMode::Utf8) {
        out.append(QByteArrayView(last.data(), last.size() + crlf.size()));
        return;
    }
    appendText(last, inCopy, out);
    out.append(crlf);
}

void PlaylistWriter::appendLine(const Line &line, ChunkedOutput &out)
{
    if (line.endsWithCrlf && m_mode == InputMode::Utf8) {
        out.append(QByteArrayView(line.text.data(), line.text.size() + crlf.size()));
        return;
    }
    appendText(line.text, true, out);
    out.append(crlf);
}

void PlaylistWriter::appendText(QByteArrayView text, bool inCopy, ChunkedOutput &out)
{
    if (m_mode == InputMode::Ansi) {
        m_converted.truncate(0);
        ansi::appendAsUtf8(text, m_converted);
        out.appendCopy(m_converted);
    } else if (inCopy) {
        out.append(text);
    } else {
        out.appendCopy(text);
    }
}
