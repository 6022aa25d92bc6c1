#include "writer/ItemPattern.h"

#include "encoding/Utf8.h"

#include <algorithm>
#include <cstring>

namespace {

bool isWildcard(char c)
{
    return c == '?' || c == '*';
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

ItemPattern::ItemPattern(QByteArrayView item, InputMode mode)
    : m_utf8(mode == InputMode::Utf8)
{
    assign(item);
}

void ItemPattern::assign(QByteArrayView item)
{
    m_segments.clear();
    m_anchorOffset = 0;
    m_innerLiteral = {};
    m_innerGap = 0;
    m_literal = std::none_of(item.begin(), item.end(), isWildcard);
    if (m_literal) {
        m_anchorLiteral = item;
        return;
    }
    m_anchorLiteral = {};
    split(item);
    findAnchor();
}

void ItemPattern::split(QByteArrayView item)
{
    m_segments.emplace_back();
    for (qsizetype i = 0; i < item.size();) {
        if (item[i] == '*') {
            m_segments.emplace_back();
            ++i;
        } else if (item[i] == '?') {
            m_segments.back().push_back({});
            ++i;
        } else {
            const qsizetype start = i;
            while (i < item.size() && !isWildcard(item[i]))
                ++i;
            m_segments.back().push_back(item.sliced(start, i - start));
        }
    }
}

void ItemPattern::findAnchor()
{
    const Segment &anchored = m_segments.back();
    auto it = anchored.rbegin();
    for (; it != anchored.rend() && it->isEmpty(); ++it)
        ++m_anchorOffset;
    if (it == anchored.rend()) {
        m_anchorOffset = 0;
        return;
    }
    m_anchorLiteral = *it;
    for (++it; it != anchored.rend() && it->isEmpty(); ++it)
        ++m_innerGap;
    if (it != anchored.rend())
        m_innerLiteral = *it;
    else
        m_innerGap = 0;
}

bool ItemPattern::matches(QByteArrayView text) const
{
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
        if (it->isEmpty()) {
            if (at == 0)
                return -1;
            at = stepBack(text, at);
        } else {
            if (!endsWithAt(text, at, *it))
                return -1;
            at -= it->size();
        }
    }
    return at;
}

// End of the earliest occurrence of the segment at or after `from`, or -1.
qsizetype ItemPattern::findFrom(const Segment &segment, QByteArrayView text, qsizetype from) const
{
    const bool leadingLiteral = !segment.empty() && !segment.front().isEmpty();
    for (qsizetype at = from; at <= text.size(); at = stepForward(text, at)) {
        if (leadingLiteral) {
            // A literal starts with a lead byte, so a hit is a character boundary.
            at = text.indexOf(segment.front(), at);
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
        if (token.isEmpty()) {
            if (at >= text.size())
                return -1;
            at = stepForward(text, at);
        } else {
            if (!startsWithAt(text, at, token))
                return -1;
            at += token.size();
        }
    }
    return at;
}

qsizetype ItemPattern::stepForward(QByteArrayView text, qsizetype at) const
{
    ++at;
    if (m_utf8) {
        while (at < text.size() && utf8::isContinuation(text[at]))
            ++at;
    }
    return at;
}

qsizetype ItemPattern::stepBack(QByteArrayView text, qsizetype at) const
{
    --at;
    if (m_utf8) {
        while (at > 0 && utf8::isContinuation(text[at]))
            --at;
    }
    return at;
}
