#pragma once

#include "encoding/InputMode.h"
#include "intake/Result.h"

#include <QByteArrayView>

#include <functional>

class Normaliser;
class QIODevice;
class TimeSlice;

// The passes that make and read the working files, on devices: whoever calls
// them opens and closes the files (tests give them buffers). Each pass checks
// the slice after every line or block and ends with a stop when it says so.
namespace passes {

// Receives a channel name as a reader of the normalised copy lists it,
// duplicate marker included: in UTF-8 mode its well-formed UTF-8, in ANSI mode
// its bytes. The view is valid during the call only.
using NameSink = std::function<void(QByteArrayView name)>;

// The playlist's bytes into the raw copy: "[" and "]" become "(" and ")",
// "#" and CR go, every line ends with CR LF.
Result<> copyRaw(QIODevice &playlist, QIODevice &rawCopy, TimeSlice &slice);

// The raw copy into the normalised copy, in the given input mode. Every
// channel name goes to onName as it is written, so the copy need not be read
// back to list its channels.
Result<> normalise(QIODevice &rawCopy, QIODevice &normalisedCopy, Normaliser &normaliser, InputMode mode,
                   TimeSlice &slice, const NameSink &onName);

// The channel names of a normalised copy, in file order.
Result<> readChannelNames(QIODevice &normalisedCopy, InputMode mode, TimeSlice &slice, const NameSink &onName);

} // namespace passes
