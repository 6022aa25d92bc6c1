#include "encoding/EncodingGuess.h"

#include "encoding/Utf8.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr uchar byteOrderMark[] = {0xEF, 0xBB, 0xBF};
constexpr quint64 highBits = 0x8080808080808080ULL;

// Most of a playlist is ASCII: 64 bytes are looked at in one go.
bool isAscii64(const uchar *p) noexcept
{
    quint64 any = 0;
    for (int i = 0; i < 64; i += 8)
        any |= qFromUnaligned<quint64>(p + i);
    return !(any & highBits);
}

} // namespace

const uchar *EncodingGuess::count(const uchar *p, const uchar *end)
{
    const utf8::Decoded d = utf8::decodeOne(p, end);
    // Cut short by the end of the block, not by a wrong byte: the next block
    // may finish it.
    if (!d.valid && p + d.length == end && *p >= 0xC2 && *p <= 0xF4)
        return nullptr;
    ++(d.valid ? m_valid : m_invalid);
    return p + d.length;
}

void EncodingGuess::feed(QByteArrayView block)
{
    if (block.isEmpty())
        return; // its data may be null, which memcpy may not be given
    auto p = reinterpret_cast<const uchar *>(block.data());
    const auto end = p + block.size();
    // Only the start of the file can hold the mark; its bytes are counted
    // below as any others.
    for (qsizetype i = 0; m_markMatched >= 0 && i < block.size(); ++i) {
        if (p[i] != byteOrderMark[m_markMatched]) {
            m_markMatched = -1;
        } else if (++m_markMatched == qsizetype(sizeof byteOrderMark)) {
            m_byteOrderMark = true;
            m_markMatched = -1;
        }
    }

    if (m_heldSize > 0) {
        // The character the last block ended inside, finished by this one.
        const int taken = int(std::min<qsizetype>(qsizetype(sizeof m_held) - m_heldSize, end - p));
        uchar joined[sizeof m_held];
        std::memcpy(joined, m_held, size_t(m_heldSize));
        std::memcpy(joined + m_heldSize, p, size_t(taken));
        const uchar *next = count(joined, joined + m_heldSize + taken);
        if (!next) {
            std::memcpy(m_held, joined, size_t(m_heldSize + taken));
            m_heldSize += taken;
            return;
        }
        p += next - joined - m_heldSize;
        m_heldSize = 0;
    }

    while (p < end) {
        if (end - p >= 64 && isAscii64(p)) {
            p += 64;
            continue;
        }
        if (end - p >= 8 && !(qFromUnaligned<quint64>(p) & highBits)) {
            p += 8;
            continue;
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const uchar *next = count(p, end);
        if (!next) {
            m_heldSize = int(end - p);
            std::memcpy(m_held, p, size_t(m_heldSize));
            return;
        }
        p = next;
    }
}

void EncodingGuess::finish()
{
    if (m_heldSize > 0)
        ++m_invalid;
    m_heldSize = 0;
}

std::optional<InputMode> EncodingGuess::mode() const
{
    if (m_byteOrderMark || (m_valid > 0 && m_valid >= validPerInvalid * m_invalid))
        return InputMode::Utf8;
    if (m_valid + m_invalid > 0)
        return InputMode::Ansi;
    return std::nullopt;
}
