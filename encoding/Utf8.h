#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// UTF-8 at the byte level. Ill-formed input is never rejected: each maximal
// ill-formed subpart (Unicode's recommended practice) stands for one U+FFFD.
namespace utf8 {

inline constexpr char32_t replacementCharacter = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    int length; // bytes consumed, at least 1
    bool valid;
};

// A byte inside a character, never the first one.
[[nodiscard]] constexpr bool isContinuation(char byte) noexcept
{
    return (uchar(byte) & 0xC0) == 0x80;
}

// Decodes the character that starts at p (p < end).
[[nodiscard]] Decoded decodeOne(const uchar *p, const uchar *end) noexcept;

// The bytes before the first zero byte: what the converters read of a line.
[[nodiscard]] QByteArrayView beforeNul(QByteArrayView bytes) noexcept;

[[nodiscard]] bool isValid(QByteArrayView bytes) noexcept;

// How many bytes at the end begin a character that more bytes may finish: a
// text that comes in pieces holds them back for the next piece.
[[nodiscard]] qsizetype unfinishedTail(QByteArrayView bytes) noexcept;

// The text cut to at most `bytes`, before a character that would not fit.
[[nodiscard]] QByteArrayView truncated(QByteArrayView text, qsizetype bytes) noexcept;

// UTF-16 text of the bytes (the whole view, zero bytes included).
[[nodiscard]] QString toUtf16(QByteArrayView bytes);

// The bytes with every ill-formed subpart replaced by EF BF BD, i.e. the
// UTF-8 form of toUtf16(bytes). Appends to out.
void appendSanitized(QByteArrayView bytes, QByteArray &out);

// UTF-8 of UTF-16 text: U+0000 gives a zero byte, a surrogate pair four
// bytes, an unpaired surrogate EF BF BD. Appends to out.
void appendFromUtf16(QStringView text, QByteArray &out);
[[nodiscard]] QByteArray fromUtf16(QStringView text);

} // namespace utf8
