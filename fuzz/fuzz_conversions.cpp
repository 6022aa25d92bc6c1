// The text conversions on arbitrary bytes, and on the same bytes taken as
// UTF-16 units (little-endian pairs). UTF-8 is checked against an oracle
// made apart from the decoder: the prefixes of every code point's encoding
// (by Qt) give each maximal ill-formed subpart.
#include "FuzzCheck.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"

#include <QString>
#include <QStringDecoder>

#include <unordered_set>

namespace {

// Keys of the 1 to 3 byte strings that begin a well-formed sequence longer
// than they are: the length in the top byte, the bytes below it.
quint32 key(QByteArrayView bytes)
{
    quint32 k = quint32(bytes.size()) << 24;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        k |= quint32(uchar(bytes[i])) << (8 * i);
    return k;
}

const std::unordered_set<quint32> &properPrefixes()
{
    static const std::unordered_set<quint32> prefixes = [] {
        std::unordered_set<quint32> set;
        for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const QByteArray sequence = QString::fromUcs4(&c, 1).toUtf8();
            for (qsizetype length = 1; length < sequence.size(); ++length)
                set.insert(key(QByteArrayView(sequence).first(length)));
        }
        return set;
    }();
    return prefixes;
}

// Qt's decoder, keeping a byte order mark as the program does.
QString qtDecoded(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

bool wellFormed(QByteArrayView bytes)
{
    return qtDecoded(bytes).toUtf8() == bytes;
}

// Each maximal ill-formed subpart as EF BF BD: the longest proper prefix of a
// well-formed sequence there, or one byte, when it does not go on to a whole
// character.
QByteArray sanitized(QByteArrayView bytes)
{
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size();) {
        if (uchar(bytes[i]) < 0x80) {
            out.append(bytes[i++]);
            continue;
        }
        qsizetype prefix = 0;
        for (qsizetype length = 1; length <= 3 && i + length <= bytes.size(); ++length) {
            if (properPrefixes().count(key(bytes.sliced(i, length))))
                prefix = length;
        }
        if (prefix > 0 && i + prefix < bytes.size() && wellFormed(bytes.sliced(i, prefix + 1))) {
            out.append(bytes.sliced(i, prefix + 1));
            i += prefix + 1;
        } else {
            out.append("\xEF\xBF\xBD");
            i += std::max<qsizetype>(prefix, 1);
        }
    }
    return out;
}

void checkAnsiTable()
{
    for (int b = 0; b < 256; ++b) {
        const char16_t unit = ansi::toUnicode(uchar(b));
        FUZZ_CHECK(ansi::fromUnicode(unit) == uchar(b));
        FUZZ_CHECK(b >= 0x80 || unit == b);
    }
}

void checkBytes(QByteArrayView bytes)
{
    const QString ansiText = ansi::toUtf16(bytes);
    FUZZ_CHECK(ansiText.size() == bytes.size());
    FUZZ_CHECK(ansi::fromUtf16(ansiText) == bytes);
    QByteArray ansiUtf8;
    ansi::appendAsUtf8(bytes, ansiUtf8);
    FUZZ_CHECK(ansiUtf8 == ansiText.toUtf8());

    const QByteArray expected = sanitized(bytes);
    QByteArray clean("x"); // appends, leaving what was there
    utf8::appendSanitized(bytes, clean);
    FUZZ_CHECK(clean.sliced(1) == expected);
    FUZZ_CHECK(utf8::isValid(bytes) == (expected == bytes));
    FUZZ_CHECK(utf8::isValid(expected));
    const QString text = utf8::toUtf16(bytes);
    FUZZ_CHECK(text == qtDecoded(expected));
    FUZZ_CHECK(utf8::toUtf16(expected) == text);
    FUZZ_CHECK(utf8::fromUtf16(text) == expected);

    const QByteArrayView read = utf8::beforeNul(bytes);
    FUZZ_CHECK(read.data() == bytes.data() && !read.contains('\0'));
    FUZZ_CHECK(read.size() == bytes.size() || bytes[read.size()] == '\0');
}

void checkUnits(QByteArrayView bytes)
{
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8)));

    const QByteArray ansiBytes = ansi::fromUtf16(text);
    FUZZ_CHECK(ansiBytes.size() == text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t back = ansi::toUnicode(uchar(ansiBytes[i]));
        FUZZ_CHECK(back == text[i].unicode() || (ansiBytes[i] == '?' && !ansi::fromUnicode(text[i].unicode())));
    }

    // Unpaired surrogates become U+FFFD; the rest is Qt's UTF-8.
    QString paired = text;
    for (qsizetype i = 0; i < paired.size(); ++i) {
        if (paired[i].isHighSurrogate() && i + 1 < paired.size() && paired[i + 1].isLowSurrogate())
            ++i;
        else if (paired[i].isSurrogate())
            paired[i] = QChar(0xFFFD);
    }
    QByteArray encoded("x");
    utf8::appendFromUtf16(text, encoded);
    FUZZ_CHECK(encoded.sliced(1) == paired.toUtf8());
    FUZZ_CHECK(utf8::toUtf16(encoded.sliced(1)) == paired);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool tableChecked = (checkAnsiTable(), true);
    (void)tableChecked;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkBytes(bytes);
    checkUnits(bytes);
    return 0;
}
