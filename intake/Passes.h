#pragma once

#include "encoding/EncodingGuess.h"
#include "encoding/InputMode.h"
#include "base/Result.h"
#include "intake/LineReader.h"

#include <QByteArrayView>

#include <functional>

class Normaliser;
class QIODevice;
class Progress;

// The passes that make and read the working files, on devices: whoever calls
// them opens and closes the files (tests give them buffers). Each pass checks
// the progress after every line or block and ends with a stop when it says so.
namespace passes {

// A channel as the lists hold it: its name as a reader of the normalised copy
// lists it, duplicate marker included, and its group (GroupFinder), empty for
// none; in UTF-8 mode well-formed UTF-8, in ANSI mode the bytes.
struct ListedChannel
{
    QByteArrayView name;
    QByteArrayView group;
};
// Receives each channel once its lines have passed (one of them may name its
// group); the views are valid during the call only.
using ChannelSink = std::function<void(const ListedChannel &channel)>;

// The playlist's bytes into the raw copy: CR goes, every line ends with CR LF.
// Returns what the bytes said of their encoding.
Result<EncodingGuess> copyRaw(QIODevice &playlist, QIODevice &rawCopy, Progress &progress);

// The raw copy into the normalised copy, in the given input mode. Every
// channel goes to onChannel as it is written, so the copy need not be read
// back to list its channels. A line longer than longLine is never held whole:
// it is read twice, in pieces (the raw copy must be a file, not a stream).
Result<> normalise(QIODevice &rawCopy, QIODevice &normalisedCopy, Normaliser &normaliser, InputMode mode,
                   Progress &progress, const ChannelSink &onChannel, qsizetype longLine = LineReader::defaultLongLine);

// What the mode reads of a line the reader gives in pieces (in UTF-8 mode
// nothing after a zero byte), part by part; the reader ends at the line's end.
void forEachLongLinePart(LineReader &reader, QByteArrayView first, InputMode mode,
                         const std::function<void(QByteArrayView part)> &take);

// Whether a pass over the lists' names reads their groups too.
enum class Groups {
    Read,
    Skip, // each channel's group is empty
};

// The channels of a normalised copy, in file order.
Result<> readChannels(QIODevice &normalisedCopy, InputMode mode, Progress &progress, const ChannelSink &onChannel,
                      Groups groups = Groups::Read, qsizetype longLine = LineReader::defaultLongLine);

// The value of an attribute (channelEntry::attributeValue) of every channel
// entry of a normalised copy, in file order, empty where an entry has none.
// A line too long to be held is looked at by its start.
Result<> readEntryAttribute(QIODevice &normalisedCopy, InputMode mode, QByteArrayView key, Progress &progress,
                            const std::function<void(QByteArrayView value)> &onEntry,
                            qsizetype longLine = LineReader::defaultLongLine);

} // namespace passes
