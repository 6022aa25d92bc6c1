#include "encoding/Utf8.h"

#include <QtEndian>

#include <cstring>

namespace utf8 {

namespace {

bool inRange(uchar b, uchar lo, uchar hi) noexcept
{
    return b >= lo && b <= hi;
}

bool allAscii(const uchar *p, const uchar *end) noexcept
{
    for (; p < end; ++p)
        if (*p >= 0x80)
            return false;
    return true;
}

} // namespace

Decoded decodeOne(const uchar *p, const uchar *end) noexcept
{
    const uchar lead = *p;
    if (lead < 0x80)
        return {lead, 1, true};

    int needed;
    char32_t cp;
    uchar lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (inRange(lead, 0xC2, 0xDF)) {
        needed = 1;
        cp = lead & 0x1F;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        needed = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0)
            lo = 0xA0;
        else if (lead == 0xED)
            hi = 0x9F; // no surrogates
    } else if (inRange(lead, 0xF0, 0xF4)) {
        needed = 3;
        cp = lead & 0x07;
        if (lead == 0xF0)
            lo = 0x90;
        else if (lead == 0xF4)
            hi = 0x8F;
    } else {
        return {replacementCharacter, 1, false};
    }

    int length = 1;
    for (int i = 0; i < needed; ++i) {
        const uchar *q = p + length;
        const uchar min = i == 0 ? lo : 0x80;
        const uchar max = i == 0 ? hi : 0xBF;
        if (q >= end || !inRange(*q, min, max))
            return {replacementCharacter, length, false};
        cp = (cp << 6) | (*q & 0x3F);
        ++length;
    }
    return {cp, length, true};
}

QByteArrayView beforeNul(QByteArrayView bytes) noexcept
{
    const void *nul = bytes.isEmpty() ? nullptr : std::memchr(bytes.data(), 0, size_t(bytes.size()));
    if (!nul)
        return bytes;
    return bytes.first(static_cast<const char *>(nul) - bytes.data());
}

bool isValid(QByteArrayView bytes) noexcept
{
    auto p = reinterpret_cast<const uchar *>(bytes.data());
    const auto end = p + bytes.size();
    while (p < end) {
        // Eight ASCII bytes at a time: most of a playlist is ASCII.
        if (end - p >= 8 && !(qFromUnaligned<quint64>(p) & 0x8080808080808080ULL)) {
            p += 8;
            continue;
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Decoded d = decodeOne(p, end);
        if (!d.valid)
            return false;
        p += d.length;
    }
    return true;
}

qsizetype unfinishedTail(QByteArrayView bytes) noexcept
{
    const auto p = reinterpret_cast<const uchar *>(bytes.data());
    const auto end = p + bytes.size();
    for (qsizetype k = 1; k <= 3 && k <= bytes.size(); ++k) {
        if (isContinuation(char(*(end - k))))
            continue;
        const Decoded d = decodeOne(end - k, end);
        return !d.valid && d.length == k ? k : 0;
    }
    return 0;
}

QByteArrayView truncated(QByteArrayView text, qsizetype bytes) noexcept
{
    if (text.size() <= bytes)
        return text;
    while (bytes > 0 && isContinuation(text[bytes]))
        --bytes;
    return text.first(bytes);
}

QString toUtf16(QByteArrayView bytes)
{
    auto p = reinterpret_cast<const uchar *>(bytes.data());
    const auto end = p + bytes.size();
    if (allAscii(p, end))
        return QString::fromLatin1(bytes);

    QString out(bytes.size(), Qt::Uninitialized); // never more units than bytes
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    while (p < end) {
        if (*p < 0x80) {
            *o++ = *p++;
            continue;
        }
        const Decoded d = decodeOne(p, end);
        p += d.length;
        if (d.codePoint >= 0x10000) {
            *o++ = char16_t(0xD7C0 + (d.codePoint >> 10));
            *o++ = char16_t(0xDC00 | (d.codePoint & 0x3FF));
        } else {
            *o++ = char16_t(d.codePoint);
        }
    }
    out.truncate(o - reinterpret_cast<char16_t *>(out.data()));
    return out;
}

void appendSanitized(QByteArrayView bytes, QByteArray &out)
{
    auto p = reinterpret_cast<const uchar *>(bytes.data());
    const auto end = p + bytes.size();
    while (p < end) {
        // Copy the longest well-formed stretch in one go.
        const uchar *run = p;
        Decoded d{0, 0, true};
        while (p < end) {
            if (*p < 0x80) {
                ++p;
                continue;
            }
            d = decodeOne(p, end);
            if (!d.valid)
                break;
            p += d.length;
        }
        out.append(reinterpret_cast<const char *>(run), p - run);
        if (p < end) {
            out.append("\xEF\xBF\xBD", 3);
            p += d.length;
        }
    }
}

void appendFromUtf16(QStringView text, QByteArray &out)
{
    const qsizetype start = out.size();
    out.resize(start + text.size() * 3); // at most three bytes per unit
    auto o = reinterpret_cast<uchar *>(out.data()) + start;
    const char16_t *u = text.utf16();
    const char16_t *end = u + text.size();
    while (u < end) {
        const char32_t c = *u++;
        if (c < 0x80) {
            *o++ = uchar(c);
        } else if (c < 0x800) {
            *o++ = uchar(0xC0 | (c >> 6));
            *o++ = uchar(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDBFF && u < end && *u >= 0xDC00 && *u <= 0xDFFF) {
            const char32_t cp = 0x10000 + ((c - 0xD800) << 10) + (*u++ - 0xDC00);
            *o++ = uchar(0xF0 | (cp >> 18));
            *o++ = uchar(0x80 | ((cp >> 12) & 0x3F));
            *o++ = uchar(0x80 | ((cp >> 6) & 0x3F));
            *o++ = uchar(0x80 | (cp & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            *o++ = 0xEF;
            *o++ = 0xBF;
            *o++ = 0xBD;
        } else {
            *o++ = uchar(0xE0 | (c >> 12));
            *o++ = uchar(0x80 | ((c >> 6) & 0x3F));
            *o++ = uchar(0x80 | (c & 0x3F));
        }
    }
    out.truncate(o - reinterpret_cast<uchar *>(out.data()));
}

QByteArray fromUtf16(QStringView text)
{
    QByteArray out;
    appendFromUtf16(text, out);
    return out;
}

} // namespace utf8
