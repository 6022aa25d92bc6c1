#include "intake/ListedName.h"

#include "encoding/Utf8.h"

#include <algorithm>

namespace {

constexpr char marker = '\x01';
constexpr qsizetype maxMarkers = 6;
// A character that starts before the cut and ends after it: held back.
constexpr qsizetype longestCharacter = 4;

// Where to cut UTF-8 so that no character is split: before the character
// that would not end in time.
qsizetype characterBoundary(QByteArrayView bytes, qsizetype at)
{
    for (qsizetype lead = at - 1; lead >= 0 && lead >= at - (longestCharacter - 1); --lead) {
        if (utf8::isContinuation(bytes[lead]))
            continue;
        const auto p = reinterpret_cast<const uchar *>(bytes.data());
        const utf8::Decoded d = utf8::decodeOne(p + lead, p + bytes.size());
        return lead + d.length > at ? lead : at;
    }
    return at;
}

} // namespace

void ListedName::clear()
{
    m_bytes.truncate(0);
    m_size = 0;
    m_trailingMarkers = 0;
}

void ListedName::append(QByteArrayView piece)
{
    const qsizetype room = maxBytes + longestCharacter - m_bytes.size();
    if (room > 0)
        m_bytes.append(piece.first(std::min(room, piece.size())));
    m_size += piece.size();
    const qsizetype markers = std::find_if(piece.crbegin(), piece.crend(), [](char c) { return c != marker; }) - piece.crbegin();
    m_trailingMarkers = markers == piece.size() ? m_trailingMarkers + markers : markers;
}

QByteArrayView ListedName::listed(InputMode mode)
{
    if (m_size <= maxBytes)
        return m_bytes;
    const qsizetype cut = mode == InputMode::Utf8 ? characterBoundary(m_bytes, maxBytes) : maxBytes;
    m_cut.truncate(0);
    m_cut.append(m_bytes.constData(), cut);
    m_cut.append(std::min(m_trailingMarkers, maxMarkers), marker);
    return m_cut;
}

QByteArrayView ListedName::of(QByteArrayView name, InputMode mode, ListedName &scratch)
{
    if (name.size() <= maxBytes)
        return name;
    scratch.clear();
    scratch.append(name);
    return scratch.listed(mode);
}

void NameFinder::clear()
{
    m_whole.clear();
    m_afterComma.clear();
    m_afterUnquotedComma.clear();
    m_found = Found::Nothing;
    m_quoted = false;
}

void NameFinder::append(QByteArrayView piece)
{
    m_whole.append(piece);
    qsizetype i = 0;
    while (i < piece.size() && m_found != Found::UnquotedComma) {
        qsizetype j = i;
        while (j < piece.size() && piece[j] != '"' && piece[j] != ',')
            ++j;
        // Everything after the first comma is the name, should no comma
        // outside quotes follow.
        if (m_found == Found::Comma)
            m_afterComma.append(piece.sliced(i, std::min(j + 1, piece.size()) - i));
        if (j == piece.size())
            return;
        if (piece[j] == '"')
            m_quoted = !m_quoted;
        else if (!m_quoted)
            m_found = Found::UnquotedComma;
        else if (m_found == Found::Nothing)
            m_found = Found::Comma;
        i = j + 1;
    }
    if (m_found == Found::UnquotedComma)
        m_afterUnquotedComma.append(piece.sliced(i));
}

ListedName &NameFinder::name()
{
    switch (m_found) {
    case Found::UnquotedComma:
        return m_afterUnquotedComma;
    case Found::Comma:
        return m_afterComma;
    case Found::Nothing:
        break;
    }
    return m_whole;
}
