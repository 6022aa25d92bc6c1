#pragma once

#include <QFont>

// The program's faces. Windows has them all; elsewhere the first
// installed fallback of each list stands in.
namespace fonts {

// The windows' default: 8-point MS Sans Serif.
[[nodiscard]] QFont windowFont();

// Times New Roman at the given size, for the small print.
[[nodiscard]] QFont serifFont(qreal pointSize);

} // namespace fonts
