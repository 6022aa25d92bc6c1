#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The ANSI code page of the program: Windows-1251 with the WHATWG table, where
// the one unassigned byte 0x98 stands for U+0098. The table is one-to-one, so
// any byte string survives a decode followed by an encode unchanged.
namespace ansi {

inline constexpr uchar defaultByte = '?';

[[nodiscard]] char16_t toUnicode(uchar byte) noexcept;
[[nodiscard]] std::optional<uchar> fromUnicode(char16_t unit) noexcept;

// One character per byte, zero bytes included.
[[nodiscard]] QString toUtf16(QByteArrayView bytes);
// One byte per unit; a unit the table lacks becomes '?'.
[[nodiscard]] QByteArray fromUtf16(QStringView text);
// The UTF-8 form of toUtf16(bytes), appended to out.
void appendAsUtf8(QByteArrayView bytes, QByteArray &out);

} // namespace ansi
