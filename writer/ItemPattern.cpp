#include "writer/ItemPattern.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"

#include <algorithm>
#include <cstring>

namespace {

bool isContinuation(char byte)
{
    return (uchar(byte) & 0xC0) == 0x80;
}

bool hasUnpairedSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text[i].isSurrogate())
            continue;
        if (!text[i].isHighSurrogate() || i + 1 == text.size() || !text[i + 1].isLowSurrogate())
            return true;
        ++i;
    }
    return false;
}

bool endsWithAt(QByteArrayView text, qsizetype end, QByteArrayView literal)
{
    return end >= literal.size()
        && std::memcmp(text.data() + end - literal.size(), literal.data(), size_t(literal.size())) == 0;
}

bool startsWithAt(QByteArrayView text, qsizetype at, QByteArrayView literal)
{
    return text.size() - at >= literal.size()
        && std::memcmp(text.data() + at, literal.data(), size_t(literal.size())) == 0;
}

} // namespace

ItemPattern::ItemPattern(QStringView item, InputMode mode)
    : m_utf8(mode == InputMode::Utf8)
{
    assign(item);
}

void ItemPattern::assign(QStringView item)
{
    m_matchesNothing = false;
    m_segments.clear();
    m_anchorLiteral.resize(0);
    m_anchorOffset = 0;
    m_innerLiteral.clear();
    m_innerGap = 0;
    if (setPlainAscii(item))
        return;
    m_literal = std::none_of(item.begin(), item.end(), [](QChar c) { return c == u'?' || c == u'*'; });
    if (m_literal) {
        setLiteral(item);
        return;
    }
    m_segments.emplace_back();
    const qsizetype n = item.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = item[i].unicode();
        if (u == u'*') {
            m_segments.emplace_back();
        } else if (u == u'?') {
            m_segments.back().push_back({});
        } else {
            const bool pair = QChar::isHighSurrogate(u) && i + 1 < n && item[i + 1].isLowSurrogate();
            addCharacter(item.sliced(i, pair ? 2 : 1), m_segments.back());
            i += pair ? 1 : 0;
        }
    }

    const Segment &anchored = m_segments.back();
    auto it = anchored.rbegin();
    for (; it != anchored.rend() && it->literal.isEmpty(); ++it)
        ++m_anchorOffset;
    if (it == anchored.rend()) {
        m_anchorOffset = 0;
        return;
    }
    m_anchorLiteral = it->literal;
    for (++it; it != anchored.rend() && it->literal.isEmpty(); ++it)
        ++m_innerGap;
    if (it != anchored.rend())
        m_innerLiteral = it->literal;
    else
        m_innerGap = 0;
}

// Most items are plain ASCII names, the same bytes in either mode: checked
// and encoded in one pass. False, with nothing set, for any other item.
bool ItemPattern::setPlainAscii(QStringView item)
{
    const qsizetype n = item.size();
    m_anchorLiteral.resize(n);
    char *out = m_anchorLiteral.data();
    const char16_t *in = item.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (c >= 0x80 || c == u'?' || c == u'*') {
            m_anchorLiteral.resize(0);
            return false;
        }
        out[i] = char(c);
    }
    m_literal = true;
    return true;
}

// Most other items are plain names too: encoded in one go.
void ItemPattern::setLiteral(QStringView item)
{
    if (m_utf8) {
        m_matchesNothing = hasUnpairedSurrogate(item);
        utf8::appendFromUtf16(item, m_anchorLiteral);
    } else {
        m_anchorLiteral.resize(item.size());
        for (qsizetype i = 0; i < item.size(); ++i) {
            const auto byte = ansi::fromUnicode(item[i].unicode());
            if (!byte) {
                m_matchesNothing = true;
                break;
            }
            m_anchorLiteral[i] = char(*byte);
        }
    }
}

// One character: one UTF-16 unit or a surrogate pair.
void ItemPattern::addCharacter(QStringView character, Segment &segment)
{
    if (segment.empty() || segment.back().literal.isEmpty())
        segment.push_back({});
    QByteArray &literal = segment.back().literal;
    if (m_utf8) {
        // Decoded lines hold no unpaired surrogate.
        if (hasUnpairedSurrogate(character))
            m_matchesNothing = true;
        utf8::appendFromUtf16(character, literal);
        return;
    }
    // Windows-1251 has no character outside the BMP.
    const auto byte = character.size() == 1 ? ansi::fromUnicode(character.front().unicode()) : std::nullopt;
    if (!byte)
        m_matchesNothing = true;
    literal.append(char(byte.value_or(ansi::defaultByte)));
}

bool ItemPattern::matches(QByteArrayView text) const
{
    if (m_matchesNothing)
        return false;
    if (m_literal)
        return text.endsWith(m_anchorLiteral);
    const qsizetype anchoredAt = matchAtEnd(m_segments.back(), text);
    if (anchoredAt < 0)
        return false;
    // With a leading "*" implied, placing each floating segment as early as
    // possible leaves the most room for the ones after it.
    const QByteArrayView before = text.first(anchoredAt);
    qsizetype at = 0;
    for (size_t i = 0; i + 1 < m_segments.size(); ++i) {
        at = findFrom(m_segments[i], before, at);
        if (at < 0)
            return false;
    }
    return true;
}

// Start of the segment when it ends the text, or -1.
qsizetype ItemPattern::matchAtEnd(const Segment &segment, QByteArrayView text) const
{
    qsizetype at = text.size();
    for (auto it = segment.rbegin(); it != segment.rend(); ++it) {
        if (it->literal.isEmpty()) {
            if (at == 0)
                return -1;
            at = stepBack(text, at);
        } else {
            if (!endsWithAt(text, at, it->literal))
                return -1;
            at -= it->literal.size();
        }
    }
    return at;
}

// End of the earliest occurrence of the segment at or after `from`, or -1.
qsizetype ItemPattern::findFrom(const Segment &segment, QByteArrayView text, qsizetype from) const
{
    const bool leadingLiteral = !segment.empty() && !segment.front().literal.isEmpty();
    for (qsizetype at = from; at <= text.size(); at = stepForward(text, at)) {
        if (leadingLiteral) {
            // A literal starts with a lead byte, so a hit is a character boundary.
            at = text.indexOf(segment.front().literal, at);
            if (at < 0)
                return -1;
        }
        const qsizetype end = matchAt(segment, text, at);
        if (end >= 0)
            return end;
        if (at == text.size())
            break;
    }
    return -1;
}

qsizetype ItemPattern::matchAt(const Segment &segment, QByteArrayView text, qsizetype at) const
{
    for (const Token &token : segment) {
        if (token.literal.isEmpty()) {
            if (at >= text.size())
                return -1;
            at = stepForward(text, at);
        } else {
            if (!startsWithAt(text, at, token.literal))
                return -1;
            at += token.literal.size();
        }
    }
    return at;
}

qsizetype ItemPattern::stepForward(QByteArrayView text, qsizetype at) const
{
    ++at;
    if (m_utf8) {
        while (at < text.size() && isContinuation(text[at]))
            ++at;
    }
    return at;
}

qsizetype ItemPattern::stepBack(QByteArrayView text, qsizetype at) const
{
    --at;
    if (m_utf8) {
        while (at > 0 && isContinuation(text[at]))
            --at;
    }
    return at;
}
