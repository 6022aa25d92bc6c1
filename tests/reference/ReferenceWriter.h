#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <QStringView>

// The playlist writer's rules taken literally: one pass over every line of
// the normalised copy for each item, with the header flag and the three run
// counters. Slow on purpose; the fast writer must give the same bytes.
namespace reference {

// Whether the line ends with the item, "?" standing for one character (code
// point) and "*" for any run of them.
[[nodiscard]] bool endsWithItem(QStringView line, QStringView item);

// Lines of a normalised copy: each ends at CR LF, text after the last CR LF is
// one more line.
[[nodiscard]] QList<QByteArray> splitLines(QByteArrayView copy);

[[nodiscard]] QByteArray writePlaylist(QByteArrayView copy, InputMode mode, const QStringList &items);

} // namespace reference
