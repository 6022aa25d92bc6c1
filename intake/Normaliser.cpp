#include "intake/Normaliser.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"

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
    m_dupCount = 0;
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

QByteArrayView Normaliser::readLine(QByteArrayView rawLine)
{
    if (m_mode == InputMode::Ansi)
        return rawLine;
    // DecodeUTF8 and then UnicodeToUTF8 on the way out amount to this: the
    // bytes up to the first zero byte, with ill-formed parts as U+FFFD.
    const QByteArrayView read = utf8::beforeNul(rawLine);
    if (utf8::isValid(read))
        return read;
    m_scratch.clear();
    utf8::appendSanitized(read, m_scratch);
    return m_scratch;
}

void Normaliser::normaliseLine(QByteArrayView rawLine, QByteArray &out)
{
    const QByteArrayView line = channelEntry::trimSpaces(readLine(rawLine));
    const bool header = channelEntry::isHeader(line);
    const bool entry = channelEntry::isEntry(line);
    if (!header && !entry) {
        out.append(line.data(), line.size());
        out.append("\r\n", 2);
        return;
    }

    m_prefixed.clear();
    if (header)
        m_prefixed.append('#');
    if (entry)
        m_prefixed.append('#');
    m_prefixed.append(line.data(), line.size());
    out.append(m_prefixed);

    if (entry) {
        const QByteArrayView name = channelEntry::name(m_prefixed);
        if (m_lastNameComparable && name == QByteArrayView(m_lastNameBytes)) {
            ++m_dupCount;
            if (m_dupCount < maxMarkerLength)
                m_dupMarker = QByteArray(m_dupCount + 1, '\x01');
            out.append(m_dupMarker);
        } else {
            m_dupCount = -1;
        }
        m_lastNameBytes.truncate(0); // keeps its buffer for the next name
        m_lastNameBytes.append(name.data(), name.size());
        m_lastNameComparable = true;
        m_lastNameChanged = true;
    }
    out.append("\r\n", 2);
}
