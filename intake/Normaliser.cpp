#include "intake/Normaliser.h"

#include "base/AppendBytes.h"
#include "encoding/Ansi.h"
#include "encoding/Text.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"
#include "intake/ListedName.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qint32 maxMarkerLength = 6;

} // namespace

Normaliser::Normaliser() = default;
Normaliser::~Normaliser() = default;

QString Normaliser::lastChannelName() const
{
    if (!m_lastNameChanged)
        return m_lastChannelName;
    return m_mode == InputMode::Utf8 ? utf8::toUtf16(m_lastNameBytes) : ansi::toUtf16(m_lastNameBytes);
}

void Normaliser::beginPass(InputMode mode)
{
    m_lastChannelName = lastChannelName();
    m_lastNameChanged = false;
    m_mode = mode;
    m_repeats = 0;
    if (mode == InputMode::Utf8) {
        m_lastNameBytes = utf8::fromUtf16(m_lastChannelName);
        m_lastNameComparable = true;
    } else {
        // A name with a character Windows-1251 lacks equals no ANSI text.
        m_lastNameBytes = ansi::fromUtf16(m_lastChannelName);
        m_lastNameComparable = ansi::toUtf16(m_lastNameBytes) == m_lastChannelName;
    }
}

void Normaliser::endPass()
{
    m_lastChannelName = lastChannelName();
    m_lastNameChanged = false;
}

QByteArrayView Normaliser::wellFormed(QByteArrayView part, QByteArray &scratch) const
{
    // DecodeUTF8 and then UnicodeToUTF8 on the way out amount to this, on the
    // bytes before the first zero byte: ill-formed parts as U+FFFD.
    if (m_mode == InputMode::Ansi || utf8::isValid(part))
        return part;
    scratch.clear();
    utf8::appendSanitized(part, scratch);
    return scratch;
}

std::optional<QByteArrayView> Normaliser::normaliseLine(QByteArrayView rawLine, QByteArray &out)
{
    return normaliseRead(channelEntry::readPart(rawLine, m_mode), out);
}

std::optional<QByteArrayView> Normaliser::normaliseRead(QByteArrayView part, QByteArray &out)
{
    const QByteArrayView line = trimSpaces(wellFormed(part, m_decoded));
    if (!channelEntry::isEntry(part)) {
        char *o = appendRoom(out, line.size() + 2);
        if (!line.isEmpty())
            std::memcpy(o, line.data(), size_t(line.size()));
        std::memcpy(o + line.size(), "\r\n", 2);
        return std::nullopt;
    }

    // Written with room for the most markers, then cut to what it took: one
    // resize to make room, one to cut it.
    const QByteArrayView prefix = line.startsWith('#') ? "" : "#";
    const qsizetype lineStart = out.size();
    char *o = appendRoom(out, prefix.size() + line.size() + maxMarkerLength + 2);
    if (!prefix.isEmpty())
        std::memcpy(o, prefix.data(), size_t(prefix.size()));
    std::memcpy(o + prefix.size(), line.data(), size_t(line.size())); // an entry is never empty
    const qsizetype lineEnd = lineStart + prefix.size() + line.size();
    // A name without a comma is the whole line, "#" included.
    const QByteArrayView written = QByteArrayView(out).sliced(lineStart, lineEnd - lineStart);
    const qsizetype nameStart = lineEnd - channelEntry::name(written).size();
    const QByteArrayView unmarked = QByteArrayView(out).sliced(nameStart, lineEnd - nameStart);
    const qint32 markers = markersFor(ListedName::of(unmarked, m_mode, m_name));
    o = out.data() + lineEnd;
    std::memset(o, '\x01', size_t(markers));
    std::memcpy(o + markers, "\r\n", 2);
    out.truncate(lineEnd + markers + 2);
    const QByteArrayView name = QByteArrayView(out).sliced(nameStart, lineEnd + markers - nameStart);
    const QByteArrayView listed = ListedName::of(name, m_mode, m_name);
    return listed.data() == name.data() ? name.first(listed.size()) : listed;
}

qint32 Normaliser::markersFor(QByteArrayView name)
{
    const bool repeat = m_lastNameComparable && name == QByteArrayView(m_lastNameBytes);
    m_repeats = repeat ? m_repeats + 1 : -1;
    m_lastNameBytes.truncate(0); // keeps its buffer for the next name
    appendBytes(m_lastNameBytes, name);
    m_lastNameComparable = true;
    m_lastNameChanged = true;
    return repeat ? std::min(m_repeats + 1, maxMarkerLength) : 0;
}

struct Normaliser::LongLine
{
    channelEntry::TagFinder entryTag{channelEntry::entryTag};
    bool entry = false;
    std::optional<bool> hashFirst; // whether the first byte after the spaces is "#"
    bool zeroSeen = false;    // UTF-8 mode reads nothing after a zero byte
    QByteArray unfinished;    // UTF-8 bytes of a character the next piece may finish
    bool atStart = true;      // leading spaces are left out
    qsizetype heldSpaces = 0; // written once something follows them
    NameFinder name;
    QByteArray decoded;
};


void Normaliser::beginLongLine()
{
    m_long = std::make_unique<LongLine>();
}

// Learns what the line is from the part the mode reads.
void Normaliser::scanLongPiece(QByteArrayView rawPiece)
{
    LongLine &l = *m_long;
    if (l.zeroSeen)
        return;
    QByteArrayView part = channelEntry::readPart(rawPiece, m_mode);
    l.zeroSeen = part.size() < rawPiece.size();
    l.entryTag.feed(part);
    if (!l.hashFirst) {
        const QByteArrayView rest = trimSpaces(part);
        if (!rest.isEmpty())
            l.hashFirst = rest.front() == '#';
    }
}

void Normaliser::startWritingLongLine(QByteArray &out)
{
    LongLine &l = *m_long;
    l.entry = l.entryTag.found();
    l.zeroSeen = false;
    if (!l.entry || l.hashFirst.value_or(false))
        return;
    out.append('#');
    l.name.append("#");
}

// The same steps as for a line held whole, on a piece: the mode's reading,
// the spaces at both ends left out.
void Normaliser::writeLongPiece(QByteArrayView rawPiece, QByteArray &out)
{
    LongLine &l = *m_long;
    if (l.zeroSeen)
        return;
    const QByteArrayView part = channelEntry::readPart(rawPiece, m_mode);
    l.zeroSeen = part.size() < rawPiece.size();
    if (m_mode == InputMode::Ansi) {
        writeRead(part, out);
        return;
    }
    l.unfinished.append(part.data(), part.size());
    const qsizetype held = l.zeroSeen ? 0 : utf8::unfinishedTail(l.unfinished);
    l.decoded.truncate(0);
    utf8::appendSanitized(QByteArrayView(l.unfinished).chopped(held), l.decoded);
    l.unfinished.remove(0, l.unfinished.size() - held);
    writeRead(l.decoded, out);
}

void Normaliser::writeRead(QByteArrayView bytes, QByteArray &out)
{
    // Spaces held back are put out in pieces of this, however many there are.
    static const QByteArray spaces(64, ' ');
    LongLine &l = *m_long;
    const auto put = [&](QByteArrayView span) {
        out.append(span.data(), span.size());
        if (l.entry)
            l.name.append(span);
    };
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (l.atStart) {
            while (i < bytes.size() && bytes[i] == ' ')
                ++i;
            if (i == bytes.size())
                return;
            l.atStart = false;
        }
        qsizetype j = i;
        while (j < bytes.size() && bytes[j] == ' ')
            ++j;
        l.heldSpaces += j - i;
        if (j == bytes.size())
            return;
        for (; l.heldSpaces > 0; l.heldSpaces -= std::min(l.heldSpaces, spaces.size()))
            put(QByteArrayView(spaces).first(std::min(l.heldSpaces, spaces.size())));
        qsizetype k = j;
        while (k < bytes.size() && bytes[k] != ' ')
            ++k;
        put(bytes.sliced(j, k - j));
        i = k;
    }
}

std::optional<QByteArrayView> Normaliser::endLongLine(QByteArray &out)
{
    LongLine &l = *m_long;
    if (!l.unfinished.isEmpty())
        writeRead("\xEF\xBF\xBD", out); // a character the line did not finish
    std::optional<QByteArrayView> listed;
    if (l.entry) {
        const qint32 markers = markersFor(l.name.name().listed(m_mode));
        const QByteArray marks(markers, '\x01');
        out.append(marks);
        l.name.append(marks);
        listed = l.name.name().listed(m_mode);
    }
    out.append("\r\n", 2);
    return listed;
}
