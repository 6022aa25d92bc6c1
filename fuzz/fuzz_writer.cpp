// The fast writer against the literal reference on an arbitrary normalised
// copy and new list, in both input modes: the bytes must be the same.
//
// Input: a byte of the output's chunk size (0: the default), then the copy and
// the items, separated by the bytes 00 FF. An item that starts with 02 k t
// stands for the rest of it followed by the name (text after the first comma)
// of the copy's k-th line with EXTINF, less its first t bytes: a way to the
// names and their endings the fuzzer could hardly guess. Items are made
// well-formed in UTF-8 mode, as the lists hold them.
#include "FuzzCheck.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "intake/TimeSlice.h"
#include "reference/ReferenceWriter.h"
#include "writer/PlaylistWriter.h"

#include <QBuffer>

#include <vector>

namespace {

// The reference takes one pass over the copy per item: small inputs only.
constexpr qsizetype maxCopyBytes = 4096;
constexpr qsizetype maxItems = 16;
constexpr qsizetype maxItemBytes = 256;

const QByteArrayView separator("\0\xFF", 2);

QByteArrayList itemBytes(const QByteArrayList &pieces, QByteArrayView copy)
{
    QByteArrayList names;
    for (const QByteArray &line : reference::splitLines(copy)) {
        if (line.contains("EXTINF"))
            names.append(line.mid(line.indexOf(',') + 1));
    }
    QByteArrayList items;
    for (const QByteArray &piece : pieces) {
        if (piece.size() >= 3 && piece[0] == '\x02' && !names.isEmpty())
            items.append(piece.sliced(3) + names[uchar(piece[1]) % names.size()].mid(uchar(piece[2])));
        else
            items.append(piece);
        items.last().truncate(maxItemBytes);
    }
    return items;
}

void compare(QByteArrayView copy, InputMode mode, const QByteArrayList &bytes, qsizetype chunk)
{
    QByteArrayList items;
    QStringList texts;
    for (const QByteArray &item : bytes) {
        if (mode == InputMode::Utf8) {
            items.append(QByteArray());
            utf8::appendSanitized(item, items.last());
            texts.append(utf8::toUtf16(items.last()));
        } else {
            items.append(item);
            texts.append(ansi::toUtf16(item));
        }
    }
    const std::vector<QByteArrayView> views(items.begin(), items.end());

    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    TimeSlice slice;
    PlaylistWriter writer(copy, mode, chunk);
    FUZZ_CHECK(writer.write(views, out, slice) == PlaylistWriter::Outcome::Written);
    FUZZ_CHECK(written == reference::writePlaylist(copy, mode, texts));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype chunk = data[0] == 0 ? PlaylistWriter::defaultChunkBytes : qsizetype(data[0]);
    const QByteArrayView input(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    QByteArrayList pieces;
    for (qsizetype start = 0;;) {
        const qsizetype at = input.indexOf(separator, start);
        pieces.append(input.sliced(start, (at < 0 ? input.size() : at) - start).toByteArray());
        if (at < 0)
            break;
        start = at + separator.size();
    }
    const QByteArray copy = pieces.takeFirst().left(maxCopyBytes);
    const QByteArrayList items = itemBytes(pieces.mid(0, maxItems), copy);
    for (const InputMode mode : {InputMode::Utf8, InputMode::Ansi})
        compare(copy, mode, items, chunk);
    return 0;
}
