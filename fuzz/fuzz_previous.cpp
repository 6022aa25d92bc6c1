// Arbitrary bytes as the playlist saved last time, read twice: as from a
// file, and with lines from a few bytes on taken as long ones, read in
// pieces. Both give the same channels; every name and id is well-formed
// UTF-8 whatever the bytes were; and there is a channel for each line a load
// takes for an entry, so the matching sees every channel the user had.
//
// Input: a flags byte (bits 0-3: the length of a long line less one), then
// the playlist.
#include "FuzzCheck.h"

#include "base/Progress.h"
#include "encoding/EncodingGuess.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"
#include "intake/PreviousPlaylist.h"

#include <QBuffer>

namespace {

PreviousPlaylist readAll(QByteArray bytes, qsizetype longLine)
{
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    Progress progress;
    Result<PreviousPlaylist> read = readPreviousPlaylist(device, progress, longLine);
    FUZZ_CHECK(read.ok());
    return std::move(*read);
}

// The bytes looked at in one go, not block by block.
InputMode encodingOf(const QByteArray &bytes)
{
    EncodingGuess guess;
    guess.feed(bytes);
    guess.finish();
    return guess.hasByteOrderMark() || guess.invalidSequences() == 0 ? InputMode::Utf8 : InputMode::Ansi;
}

qsizetype entryLines(const QByteArray &bytes, InputMode mode)
{
    qsizetype entries = 0;
    for (const QByteArray &line : bytes.split('\n'))
        entries += channelEntry::isEntry(channelEntry::readPart(line, mode));
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const qsizetype longLine = (data[0] & 15) + 1;
    const QByteArray playlist(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    const PreviousPlaylist whole = readAll(playlist, LineReader::defaultLongLine);
    const PreviousPlaylist inPieces = readAll(playlist, longLine);
    FUZZ_CHECK(whole.encoding() == encodingOf(playlist));
    FUZZ_CHECK(inPieces.encoding() == whole.encoding());
    FUZZ_CHECK(whole.count() == entryLines(playlist, whole.encoding()));
    FUZZ_CHECK(inPieces.count() == whole.count());
    for (qsizetype i = 0; i < whole.count(); ++i) {
        FUZZ_CHECK(inPieces.name(i) == whole.name(i));
        FUZZ_CHECK(inPieces.tvgId(i) == whole.tvgId(i));
        FUZZ_CHECK(utf8::isValid(whole.name(i)) && utf8::isValid(whole.tvgId(i)));
        FUZZ_CHECK(whole.tvgId(i).size() <= PreviousPlaylist::maxIdBytes);
        // UTF-8 mode reads a line up to its first zero byte.
        FUZZ_CHECK(whole.encoding() == InputMode::Ansi || !whole.name(i).contains('\0'));
    }
    return 0;
}
