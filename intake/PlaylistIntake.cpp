#include "intake/PlaylistIntake.h"

#include "intake/Normaliser.h"
#include "base/Progress.h"
#include "intake/WorkingFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace intake {

namespace {

using Kind = WorkingFiles::Kind;

// The pause serves stop requests (and the window, which runs elsewhere).
Result<> pause(int milliseconds, Progress &progress)
{
    constexpr int step = 10;
    for (int waited = 0; waited < milliseconds; waited += step) {
        QThread::msleep(step);
        if (!progress.reportNow())
            return Stopped{};
    }
    return {};
}

// The file is complete only when the pass made it whole and it closed
// cleanly; otherwise it goes, so no half-made working file stays behind.
Result<> keepIfWhole(Result<> pass, WorkingFiles &files, QFile &file, Kind kind)
{
    if (pass && !file.flush())
        pass = FileFailure::of(FileFailure::Action::Write, file);
    file.close();
    if (!pass)
        (void)files.remove(kind);
    return pass;
}

// What tells that a file changed.
struct FileStamp
{
    qint64 size;
    QDateTime modified;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    return {info.size(), info.lastModified()};
}

// A playlist that another program cuts or rewrites while it is read would
// load as whatever part was read: that is a failure, not a playlist.
Result<EncodingGuess> makeRawCopy(const QString &playlistPath, WorkingFiles &files, Progress &progress)
{
    const FileStamp before = stampOf(playlistPath);
    auto playlist = openForReading(playlistPath);
    if (!playlist)
        return playlist.failure();
    auto raw = files.create(Kind::Raw);
    if (!raw)
        return raw.failure();
    Result<EncodingGuess> copied = passes::copyRaw(**playlist, **raw, progress);
    if (copied && ((*playlist)->pos() != before.size || stampOf(playlistPath) != before))
        copied = FileFailure{FileFailure::Action::Read, playlistPath, QStringLiteral("Файл изменился, пока его читали.")};
    const Result<> kept = keepIfWhole(copied, files, **raw, Kind::Raw);
    if (!copied || kept)
        return copied;
    return kept.failure(); // the copy was made, but not put on the disk whole
}

// The raw copy normalised into `normalised`, a new file or an old copy being
// written over: what is left of an old copy past the new end goes.
Result<> makeNormalisedCopy(Result<std::unique_ptr<QFile>> normalised, WorkingFiles &files, Normaliser &normaliser,
                            InputMode mode, Progress &progress, const passes::ChannelSink &onChannel)
{
    if (!normalised)
        return normalised.failure();
    QFile &out = **normalised;
    auto raw = files.open(Kind::Raw);
    if (!raw)
        return keepIfWhole(raw.failure(), files, out, Kind::Normalised);
    Result<> pass = passes::normalise(**raw, out, normaliser, mode, progress, onChannel);
    if (pass && !out.resize(out.pos()))
        pass = FileFailure::of(FileFailure::Action::Write, out);
    return keepIfWhole(std::move(pass), files, out, Kind::Normalised);
}

} // namespace

Result<> loadPlaylist(const QString &playlistPath, WorkingFiles &files, Normaliser &normaliser, InputMode mode,
                      Progress &progress, const std::function<void(InputMode)> &onMode,
                      const passes::ChannelSink &onChannel)
{
    const Result<EncodingGuess> copied = makeRawCopy(playlistPath, files, progress);
    Result<> result = copied;
    if (result) {
        mode = copied->mode().value_or(mode);
        onMode(mode);
        result = pause(pauseBetweenPassesMs, progress);
    }
    if (result)
        result = makeNormalisedCopy(files.create(Kind::Normalised), files, normaliser, mode, progress, onChannel);
    if (!result) {
        (void)files.remove(Kind::Normalised);
        (void)files.remove(Kind::Raw);
    }
    return result;
}

Result<> rebuildSourceList(WorkingFiles &files, Normaliser &normaliser, InputMode mode, Progress &progress,
                           const passes::ChannelSink &onChannel)
{
    return makeNormalisedCopy(files.rewrite(Kind::Normalised), files, normaliser, mode, progress, onChannel);
}

Result<> listChannels(WorkingFiles &files, InputMode mode, Progress &progress, const passes::ChannelSink &onChannel)
{
    auto normalised = files.open(Kind::Normalised);
    if (!normalised)
        return normalised.failure();
    return passes::readChannels(**normalised, mode, progress, onChannel, passes::Groups::Skip);
}

Result<> listTvgIds(WorkingFiles &files, InputMode mode, Progress &progress,
                    const std::function<void(QByteArrayView id)> &onEntry)
{
    auto normalised = files.open(Kind::Normalised);
    if (!normalised)
        return normalised.failure();
    return passes::readEntryAttribute(**normalised, mode, "tvg-id", progress, onEntry);
}

} // namespace intake
