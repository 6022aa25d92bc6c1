#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Text as a person looking for a channel compares it: without regard to case
// (Cyrillic, Latin and the rest of Unicode's simple case folding) and with
// «ё» as «е». UTF-8 in, UTF-8 out; an ill-formed subpart stands for U+FFFD.
// Cyrillic and ASCII, nearly all of a Russian playlist, go by table.
namespace textFold {

void appendFolded(QByteArrayView utf8, QByteArray &out);
[[nodiscard]] QByteArray folded(QByteArrayView utf8);

} // namespace textFold
