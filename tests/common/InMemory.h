#pragma once

#include "base/Progress.h"
#include "base/Result.h"
#include "encoding/InputMode.h"
#include "intake/Normaliser.h"
#include "intake/Passes.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdlib>

// The passes of a load run between byte arrays, as the program runs them
// between files: for tests and fuzz targets, which have no files to spare.
namespace inMemory {

// The pass from the input into new bytes; a pass that fails on buffers is a
// fault of the program, so the process aborts.
template<class Pass>
[[nodiscard]] QByteArray throughPass(QByteArray input, const Pass &pass)
{
    QBuffer in(&input);
    in.open(QIODevice::ReadOnly);
    QByteArray output;
    QBuffer out(&output);
    out.open(QIODevice::WriteOnly);
    Progress progress;
    if (!pass(in, out, progress).ok())
        std::abort();
    return output;
}

// The raw copy and then the normalised copy a load makes of the playlist,
// each channel going to onChannel.
[[nodiscard]] inline QByteArray normalisedCopy(const QByteArray &playlist, InputMode mode, Normaliser &normaliser,
                                               const passes::ChannelSink &onChannel)
{
    return throughPass(throughPass(playlist, passes::copyRaw), [&](QIODevice &in, QIODevice &out, Progress &progress) {
        return passes::normalise(in, out, normaliser, mode, progress, onChannel);
    });
}

} // namespace inMemory
