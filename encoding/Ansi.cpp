#include "encoding/Ansi.h"

#include <algorithm>
#include <array>

namespace ansi {

namespace {

// Bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F.
constexpr std::array<char16_t, 64> upperTable = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

struct Reverse {
    char16_t unit;
    uchar byte;
};

constexpr std::array<Reverse, 64> makeReverse()
{
    std::array<Reverse, 64> r{};
    for (size_t i = 0; i < upperTable.size(); ++i)
        r[i] = {upperTable[i], uchar(0x80 + i)};
    std::sort(r.begin(), r.end(), [](Reverse a, Reverse b) { return a.unit < b.unit; });
    return r;
}

constexpr std::array<Reverse, 64> reverseTable = makeReverse();

// UTF-8 of each byte's character, precomputed: at most three bytes.
struct Utf8Form {
    std::array<char, 3> bytes;
    uchar length;
};

std::array<Utf8Form, 256> makeUtf8Forms()
{
    std::array<Utf8Form, 256> forms{};
    for (int b = 0; b < 256; ++b) {
        const char16_t c = toUnicode(uchar(b));
        Utf8Form &f = forms[size_t(b)];
        if (c < 0x80) {
            f = {{char(c), 0, 0}, 1};
        } else if (c < 0x800) {
            f = {{char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F)), 0}, 2};
        } else {
            f = {{char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))}, 3};
        }
    }
    return forms;
}

} // namespace

char16_t toUnicode(uchar byte) noexcept
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return char16_t(0x0410 + (byte - 0xC0));
    return upperTable[byte - 0x80];
}

std::optional<uchar> fromUnicode(char16_t unit) noexcept
{
    if (unit < 0x80)
        return uchar(unit);
    if (unit >= 0x0410 && unit <= 0x044F)
        return uchar(0xC0 + (unit - 0x0410));
    const auto it = std::lower_bound(reverseTable.begin(), reverseTable.end(), unit,
                                     [](Reverse r, char16_t u) { return r.unit < u; });
    if (it != reverseTable.end() && it->unit == unit)
        return it->byte;
    return std::nullopt;
}

QString toUtf16(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    for (const char ch : bytes)
        *o++ = toUnicode(uchar(ch));
    return out;
}

QByteArray fromUtf16(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *o = out.data();
    for (const QChar ch : text)
        *o++ = char(fromUnicode(ch.unicode()).value_or(defaultByte));
    return out;
}

void appendAsUtf8(QByteArrayView bytes, QByteArray &out)
{
    static const std::array<Utf8Form, 256> forms = makeUtf8Forms();
    const qsizetype start = out.size();
    out.resize(start + bytes.size() * 3);
    char *o = out.data() + start;
    for (const char ch : bytes) {
        const Utf8Form &f = forms[uchar(ch)];
        o[0] = f.bytes[0];
        o[1] = f.bytes[1];
        o[2] = f.bytes[2];
        o += f.length;
    }
    out.truncate(o - out.data());
}

} // namespace ansi
