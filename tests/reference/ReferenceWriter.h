#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// What a save writes, taken from the rules on the playlist file itself, with
// none of the working files: slow and plain on purpose; the program must give
// the same bytes.
namespace reference {

// The playlist's lines: LF ends a line, every CR is dropped, a last line
// without LF counts when it holds anything; a byte-order mark at the start of
// the file belongs to no line.
[[nodiscard]] QByteArrayList playlistLines(QByteArrayView playlist);

// A line decoded in the mode (DecodeUTF8, or one Windows-1251 character per byte).
[[nodiscard]] QString decode(QByteArrayView line, InputMode mode);

// A line as the working copies hold it: decoded, spaces trimmed. It is a
// channel entry when it holds EXTINF; an entry starts with "#", put in front
// where the playlist has none.
[[nodiscard]] QString readLine(QByteArrayView line, InputMode mode);

// The text after the first comma outside double quotes; after the first comma
// when all are quoted; the whole line without a comma.
[[nodiscard]] QString channelName(const QString &entry);

// The channel names of the playlist in file order, without duplicate markers.
[[nodiscard]] QStringList channelNames(QByteArrayView playlist, InputMode mode);

// The group of each channel in file order, empty for none: its group-title;
// else the first #EXTGRP: among its lines that names one; else the last
// #EXTGRP: before it. Names trimmed, cut at GroupFinder::maxBytes of the
// copy's bytes.
[[nodiscard]] QStringList channelGroups(QByteArrayView playlist, InputMode mode);

// The new playlist for the channel indexes, in their order: the header line
// (the first line before the first entry that holds EXTM3U, from the tag's
// "#" on; "#EXTM3U" without one), then each entry, its group attribute cut.
[[nodiscard]] QByteArray writePlaylist(QByteArrayView playlist, InputMode mode, const QList<int> &entries);

} // namespace reference
