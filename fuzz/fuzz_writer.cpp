// The fast writer against the literal reference on an arbitrary normalised
// copy and new list, in both input modes: the bytes must be the same.
//
// Input: a byte of the output's chunk size (0: the default), then the copy and
// the items, separated by the bytes 00 FF. An item 02 k t e rest stands for
// rest followed by the name (text after the first comma) of the copy's k-th
// line with EXTINF as the mode reads it, less its first t characters, with
// character (e & 7F) - 1 turned into "?" (into "*" when e & 80): the names,
// their endings and wildcards in them, which the fuzzer could hardly guess.
// Items are in the mode's text form, as the lists hold them.
#include "FuzzCheck.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "intake/TimeSlice.h"
#include "reference/ReferenceWriter.h"
#include "writer/PlaylistWriter.h"

#include <QBuffer>

#include <algorithm>
#include <vector>

namespace {

// The reference takes one pass over the copy per item: small inputs only.
constexpr qsizetype maxCopyBytes = 4096;
constexpr qsizetype maxItems = 16;
constexpr qsizetype maxItemLength = 256;

const QByteArrayView separator("\0\xFF", 2);

QString textOf(QByteArrayView bytes, InputMode mode)
{
    return mode == InputMode::Utf8 ? utf8::toUtf16(bytes) : ansi::toUtf16(bytes);
}

// The bytes as the lists hold them in the mode: well-formed in UTF-8 mode.
QByteArray inMode(QByteArrayView bytes, InputMode mode)
{
    if (mode == InputMode::Ansi)
        return bytes.toByteArray();
    QByteArray out;
    utf8::appendSanitized(bytes, out);
    return out;
}

QByteArray item(const QByteArray &piece, const QStringList &names, InputMode mode)
{
    if (piece.size() < 4 || piece[0] != '\x02' || names.isEmpty())
        return inMode(piece.left(maxItemLength), mode);
    QList<uint> name = names[uchar(piece[1]) % names.size()].toUcs4();
    name.remove(0, std::min<qsizetype>(uchar(piece[2]), name.size()));
    name.resize(std::min(name.size(), maxItemLength));
    const uchar edit = uchar(piece[3]);
    if ((edit & 0x7F) != 0 && !name.isEmpty())
        name[((edit & 0x7F) - 1) % name.size()] = edit & 0x80 ? '*' : '?';
    const QString edited = QString::fromUcs4(reinterpret_cast<const char32_t *>(name.constData()), name.size());
    return inMode(piece.sliced(4).left(maxItemLength), mode)
        + (mode == InputMode::Utf8 ? utf8::fromUtf16(edited) : ansi::fromUtf16(edited));
}

void compare(QByteArrayView copy, InputMode mode, const QByteArrayList &pieces, qsizetype chunk)
{
    QStringList names;
    for (const QByteArray &line : reference::splitLines(copy)) {
        if (line.contains("EXTINF")) {
            const QString text = textOf(mode == InputMode::Utf8 ? utf8::beforeNul(line) : line, mode);
            names.append(text.mid(text.indexOf(u',') + 1));
        }
    }
    QByteArrayList items;
    QStringList texts;
    for (const QByteArray &piece : pieces) {
        items.append(item(piece, names, mode));
        texts.append(textOf(items.last(), mode));
    }
    const std::vector<QByteArrayView> views(items.begin(), items.end());

    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    TimeSlice slice;
    PlaylistWriter writer(copy, mode, chunk);
    FUZZ_CHECK(bool(writer.write(views, out, slice)));
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
    pieces = pieces.mid(0, maxItems);
    for (const InputMode mode : {InputMode::Utf8, InputMode::Ansi})
        compare(copy, mode, pieces, chunk);
    return 0;
}
