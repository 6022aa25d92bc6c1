#include "intake/Normaliser.h"

#include "encoding/Ansi.h"
#include "encoding/Text.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"

#include <algorithm>

namespace {

constexpr qint32 maxMarkerLength = 6;

} // namespace

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

QByteArrayView Normaliser::readLine(QByteArrayView rawLine, QByteArray &scratch) const
{
    if (m_mode == InputMode::Ansi)
        return rawLine;
    // DecodeUTF8 and then UnicodeToUTF8 on the way out amount to this: the
    // bytes up to the first zero byte, with ill-formed parts as U+FFFD.
    const QByteArrayView read = utf8::beforeNul(rawLine);
    if (utf8::isValid(read))
        return read;
    scratch.clear();
    utf8::appendSanitized(read, scratch);
    return scratch;
}

std::optional<QByteArrayView> Normaliser::normaliseLine(QByteArrayView rawLine, QByteArray &out)
{
    if (!channelEntry::isRawEntry(rawLine, m_mode, m_listed)) {
        const QByteArrayView line = trimSpaces(readLine(rawLine, m_decoded));
        out.append(line.data(), line.size());
        out.append("\r\n", 2);
        return std::nullopt;
    }

    const QByteArrayView line = trimSpaces(readLine(channelEntry::listedForm(rawLine, m_listed), m_decoded));

    const qsizetype lineStart = out.size();
    if (channelEntry::isHeader(line))
        out.append('#');
    out.append('#');
    out.append(line.data(), line.size());
    // A name without a comma is the whole line, "#" included.
    const qsizetype nameStart = out.size() - channelEntry::name(QByteArrayView(out).sliced(lineStart)).size();
    const qsizetype nameLength = out.size() - nameStart;
    if (m_lastNameComparable && QByteArrayView(out).sliced(nameStart) == QByteArrayView(m_lastNameBytes)) {
        ++m_repeats;
        out.append(std::min(m_repeats + 1, maxMarkerLength), '\x01');
    } else {
        m_repeats = -1;
    }
    m_lastNameBytes.truncate(0); // keeps its buffer for the next name
    m_lastNameBytes.append(out.constData() + nameStart, nameLength);
    m_lastNameComparable = true;
    m_lastNameChanged = true;
    const qsizetype listedLength = out.size() - nameStart;
    out.append("\r\n", 2);
    return QByteArrayView(out).sliced(nameStart, listedLength);
}
