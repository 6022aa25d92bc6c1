#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// General conversions between text and the bytes of a code page. The program
// needs two code pages: UTF-8 and its ANSI code page, Windows-1251.
namespace basInCodePage {

inline constexpr qint32 codePageUtf8 = 65001;
inline constexpr qint32 codePageAnsi = 1251;
inline constexpr qint32 codePageDefault = 0;  // the converter's default: ANSI
inline constexpr qint32 codePageSystem = -1;  // resolved here: ANSI

// Text of the bytes up to the first zero byte. Ill-formed UTF-8 gives one
// U+FFFD per maximal ill-formed subpart. Throws std::invalid_argument for a
// code page other than those above; flags are read only and must be 0.
[[nodiscard]] QString CodePageToUnicode(QByteArrayView bytes, qint32 codePage, quint32 flags);

// Bytes of the text up to its first U+0000. Characters Windows-1251 lacks
// become '?'; in UTF-8 an unpaired surrogate becomes EF BF BD.
[[nodiscard]] QByteArray UnicodeToCodePage(QStringView text, qint32 codePage, quint32 flags);

} // namespace basInCodePage
