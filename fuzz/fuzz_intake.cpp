// Arbitrary bytes as a playlist through a load and an encoding switch: the
// raw copy, then the normalised copy in one input mode and again in the
// other with the same normaliser, each listed (names and groups) as it is
// written and read back.
// The checks are what the create walk, the lists and the writer take for
// granted about the working copies.
//
// Each pass runs twice, once as it does on a file and once with lines from a
// few bytes on taken as long ones, read in pieces: both give the same copy.
//
// Input: a flags byte (bit 0: ANSI first; bits 1-4: a line reader's block
// size less one; bits 5-7: the length of a long line less one), two bytes of the cut (big-endian, modulo the length + 1),
// then the playlist.
#include "FuzzCheck.h"

#include "channels/ChannelWalk.h"
#include "common/InMemory.h"
#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "intake/GroupFinder.h"
#include "intake/LineReader.h"
#include "intake/Normaliser.h"
#include "intake/Passes.h"
#include "intake/RawCopier.h"
#include "base/Progress.h"

#include <QBuffer>

#include <limits>

namespace {

QByteArrayList readLines(QByteArray bytes, qsizetype blockSize)
{
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    LineReader reader(device, blockSize);
    QByteArrayList lines;
    QByteArrayView line;
    while (reader.next(line))
        lines.append(line.toByteArray());
    FUZZ_CHECK(!reader.failed());
    return lines;
}

// Every line ends with CR LF and holds no other CR or LF; and the lines
// read back in small blocks are these, whatever the block size.
void checkLines(const QByteArray &copy, qsizetype blockSize)
{
    QByteArrayList lines;
    for (qsizetype start = 0; start < copy.size();) {
        const qsizetype lf = copy.indexOf('\n', start);
        FUZZ_CHECK(lf > start && copy[lf - 1] == '\r');
        lines.append(copy.sliced(start, lf - 1 - start));
        FUZZ_CHECK(!lines.last().contains('\r'));
        start = lf + 1;
    }
    FUZZ_CHECK(readLines(copy, blockSize) == lines);
}

void checkRawCopy(const QByteArray &playlist, const QByteArray &raw, qsizetype cut, qsizetype blockSize)
{
    RawCopier copier;
    QByteArray pieces;
    copier.feed(QByteArrayView(playlist).first(cut), pieces);
    copier.feed(QByteArrayView(playlist).sliced(cut), pieces);
    copier.finish(pieces);
    FUZZ_CHECK(pieces == raw);

    checkLines(raw, blockSize);
    // No byte lost or made up: the input less CR and less the byte-order
    // mark that starts it, a last line without LF ended.
    QByteArray kept = playlist.startsWith("\xEF\xBB\xBF") ? playlist.sliced(3) : playlist;
    kept.replace("\r", "");
    if (!kept.isEmpty() && !kept.endsWith('\n'))
        kept.append('\n');
    FUZZ_CHECK(QByteArray(raw).replace("\r\n", "\n") == kept);
}

int walkEntries(QByteArray raw, InputMode mode, qsizetype longLine)
{
    QBuffer device(&raw);
    device.open(QIODevice::ReadOnly);
    Progress progress;
    int count = 0;
    FUZZ_CHECK(channelWalk::forEachEntry(device, mode, std::numeric_limits<int>::max(), progress, [&](int i) {
                   FUZZ_CHECK(i == count);
                   ++count;
               }, longLine).ok());
    return count;
}

QByteArray checkPass(const QByteArray &raw, Normaliser &normaliser, InputMode mode, qsizetype blockSize,
                     qsizetype longLine)
{
    // Each channel as name and group; the pass that writes the copy and the
    // one that reads it back list the same.
    QByteArrayList fused;
    const auto listed = [](const passes::ListedChannel &channel) {
        return channel.name.toByteArray() + '\n' + channel.group.toByteArray();
    };
    QByteArray normalised = inMemory::throughPass(raw, [&](QIODevice &in, QIODevice &out, Progress &progress) {
        return passes::normalise(in, out, normaliser, mode, progress,
                                 [&](const passes::ListedChannel &channel) { fused.append(listed(channel)); }, longLine);
    });

    checkLines(normalised, blockSize);
    FUZZ_CHECK(normalised.count('\n') == raw.count('\n'));
    if (mode == InputMode::Utf8)
        FUZZ_CHECK(!normalised.contains('\0') && utf8::isValid(normalised));

    QBuffer copy(&normalised);
    copy.open(QIODevice::ReadOnly);
    Progress progress;
    QByteArrayList names;
    QByteArrayList channels;
    FUZZ_CHECK(passes::readChannels(copy, mode, progress, [&](const passes::ListedChannel &channel) {
                   if (mode == InputMode::Utf8)
                       FUZZ_CHECK(utf8::isValid(channel.name) && utf8::isValid(channel.group));
                   FUZZ_CHECK(channel.group.size() <= GroupFinder::maxBytes);
                   names.append(channel.name.toByteArray());
                   channels.append(listed(channel));
               }, passes::Groups::Read, longLine).ok());
    FUZZ_CHECK(channels == fused);
    // Without the groups, the same names.
    QByteArrayList namesAlone;
    copy.seek(0);
    FUZZ_CHECK(passes::readChannels(copy, mode, progress, [&](const passes::ListedChannel &channel) {
                   FUZZ_CHECK(channel.group.isEmpty());
                   namesAlone.append(channel.name.toByteArray());
               }, passes::Groups::Skip, longLine).ok());
    FUZZ_CHECK(namesAlone == names);
    FUZZ_CHECK(walkEntries(raw, mode, longLine) == names.size());

    // The name the next pass compares with is the last one listed, less its
    // markers.
    if (!names.isEmpty()) {
        const QString last = normaliser.lastChannelName();
        const QByteArray lastBytes = mode == InputMode::Utf8 ? utf8::fromUtf16(last) : ansi::fromUtf16(last);
        FUZZ_CHECK(names.last().startsWith(lastBytes));
        for (const char c : names.last().sliced(lastBytes.size()))
            FUZZ_CHECK(c == '\x01');
    }
    return normalised;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const bool ansiFirst = data[0] & 1;
    const qsizetype blockSize = ((data[0] >> 1) & 15) + 1;
    const qsizetype longLine = ((data[0] >> 5) & 7) + 1;
    const QByteArray playlist(reinterpret_cast<const char *>(data) + 3, qsizetype(size) - 3);
    const qsizetype cut = ((data[1] << 8) | data[2]) % (playlist.size() + 1);

    const QByteArray raw = inMemory::throughPass(playlist, passes::copyRaw);
    checkRawCopy(playlist, raw, cut, blockSize);

    Normaliser normaliser;
    Normaliser inPieces;
    for (const InputMode mode : {ansiFirst ? InputMode::Ansi : InputMode::Utf8,
                                 ansiFirst ? InputMode::Utf8 : InputMode::Ansi}) {
        const QByteArray whole = checkPass(raw, normaliser, mode, blockSize, LineReader::defaultLongLine);
        FUZZ_CHECK(checkPass(raw, inPieces, mode, blockSize, longLine) == whole);
    }
    return 0;
}
