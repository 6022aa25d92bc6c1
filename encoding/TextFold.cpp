#include "encoding/TextFold.h"

#include "encoding/Utf8.h"

#include <QChar>

#include <array>

namespace textFold {

namespace {

constexpr char32_t yo = 0x0451;      // ё
constexpr char32_t ye = 0x0435;      // е
constexpr char32_t cyrillicFirst = 0x0400;
constexpr int cyrillicCount = 0x80; // U+0400 to U+047F: what D0 and D1 lead

char32_t foldOne(char32_t c)
{
    const char32_t f = QChar::toCaseFolded(c);
    return f == yo ? ye : f;
}

// The folded form of each character the tables cover.
struct Tables
{
    std::array<char, 128> ascii{};
    std::array<char32_t, cyrillicCount> cyrillic{};

    Tables()
    {
        for (int c = 0; c < 128; ++c)
            ascii[size_t(c)] = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        for (int i = 0; i < cyrillicCount; ++i)
            cyrillic[size_t(i)] = foldOne(cyrillicFirst + char32_t(i));
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

char *encode(char32_t c, char *o)
{
    if (c < 0x80) {
        *o++ = char(c);
    } else if (c < 0x800) {
        *o++ = char(0xC0 | (c >> 6));
        *o++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *o++ = char(0xE0 | (c >> 12));
        *o++ = char(0x80 | ((c >> 6) & 0x3F));
        *o++ = char(0x80 | (c & 0x3F));
    } else {
        *o++ = char(0xF0 | (c >> 18));
        *o++ = char(0x80 | ((c >> 12) & 0x3F));
        *o++ = char(0x80 | ((c >> 6) & 0x3F));
        *o++ = char(0x80 | (c & 0x3F));
    }
    return o;
}

} // namespace

void appendFolded(QByteArrayView utf8, QByteArray &out)
{
    const Tables &t = tables();
    const qsizetype start = out.size();
    // No byte takes more than three: an ill-formed one becomes U+FFFD.
    out.resize(start + 3 * utf8.size());
    char *o = out.data() + start;
    auto p = reinterpret_cast<const uchar *>(utf8.data());
    const auto end = p + utf8.size();
    while (p < end) {
        const uchar b = *p;
        if (b < 0x80) {
            *o++ = t.ascii[b];
            ++p;
        } else if ((b == 0xD0 || b == 0xD1) && p + 1 < end && utf8::isContinuation(char(p[1]))) {
            o = encode(t.cyrillic[size_t(((b & 1) << 6) | (p[1] & 0x3F))], o);
            p += 2;
        } else {
            const utf8::Decoded d = utf8::decodeOne(p, end);
            o = encode(d.valid ? foldOne(d.codePoint) : utf8::replacementCharacter, o);
            p += d.length;
        }
    }
    out.truncate(o - out.data());
}

QByteArray folded(QByteArrayView utf8)
{
    QByteArray out;
    appendFolded(utf8, out);
    return out;
}

} // namespace textFold
