// A playlist of arbitrary bytes loaded and saved as the program does it (the
// raw copy, the normalised copy, the writer), against the reference that
// takes the rules on the playlist itself, in both input modes: the names and
// groups listed and the bytes written must be the same.
//
// Input: the playlist, then the bytes 00 FF, then the new list: each byte a
// channel index, taken modulo the number of channels (a list holds each at
// most once; repeats are left out).
#include "FuzzCheck.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "base/Progress.h"
#include "common/InMemory.h"
#include "reference/ReferenceWriter.h"
#include "writer/PlaylistWriter.h"

#include <QBuffer>

#include <algorithm>
#include <vector>

namespace {

// The reference is slow: small inputs only.
constexpr qsizetype maxPlaylistBytes = 4096;

const QByteArrayView separator("\0\xFF", 2);

void compare(QByteArrayView playlist, InputMode mode, QByteArrayView list)
{
    QStringList names;
    QStringList groups;
    Normaliser normaliser;
    const auto text = [mode](QByteArrayView bytes) {
        return mode == InputMode::Utf8 ? utf8::toUtf16(bytes) : ansi::toUtf16(bytes);
    };
    const QByteArray copy = inMemory::normalisedCopy(playlist.toByteArray(), mode, normaliser,
                                                     [&](const passes::ListedChannel &channel) {
                                                         names.append(text(channel.name).remove(QChar(1)));
                                                         groups.append(text(channel.group));
                                                     });
    QStringList expected = reference::channelNames(playlist, mode);
    for (QString &name : expected)
        name.remove(QChar(1)); // markers aside: the reference knows none
    FUZZ_CHECK(names == expected);
    FUZZ_CHECK(groups == reference::channelGroups(playlist, mode));

    std::vector<qint32> entries;
    for (const char c : list) {
        if (names.isEmpty())
            break;
        const qint32 entry = qint32(uchar(c) % names.size());
        if (std::find(entries.begin(), entries.end(), entry) == entries.end())
            entries.push_back(entry);
    }
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    Progress progress;
    PlaylistWriter writer(copy, mode);
    FUZZ_CHECK(writer.entryCount() == names.size());
    FUZZ_CHECK(bool(writer.write(entries, out, progress)));
    FUZZ_CHECK(written == reference::writePlaylist(playlist, mode, QList<int>(entries.begin(), entries.end())));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype at = input.indexOf(separator);
    const QByteArrayView playlist = (at < 0 ? input : input.first(at)).first(std::min(maxPlaylistBytes, at < 0 ? input.size() : at));
    const QByteArrayView list = at < 0 ? QByteArrayView() : input.sliced(at + separator.size());
    for (const InputMode mode : {InputMode::Utf8, InputMode::Ansi})
        compare(playlist, mode, list);
    return 0;
}
