#include "intake/Passes.h"

#include "encoding/Text.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"
#include "intake/GroupFinder.h"
#include "intake/LineReader.h"
#include "intake/ListedName.h"
#include "intake/Normaliser.h"
#include "intake/RawCopier.h"
#include "base/AppendBytes.h"
#include "base/BackgroundWrite.h"
#include "base/Progress.h"
#include "base/WholeFile.h"

#include <QIODevice>
#include <QScopeGuard>

#include <string>

namespace passes {

namespace {

using Action = FileFailure::Action;

constexpr qsizetype blockSize = 1 << 20;
// The writer maps the normalised copy. Written in whole, aligned blocks of a
// huge page, the file can be held by the system in huge pages, and mapping
// and reading it then costs a fraction.
constexpr qsizetype mappedBlockSize = 2 << 20;

// Collects output and writes it in whole blocks, the rest at the end. A full
// block is written while the next one fills.
class BlockWriter
{
public:
    // The input's size bounds the block's usual size.
    BlockWriter(QIODevice &device, const QIODevice &input, qsizetype size = blockSize)
        : m_device(device)
        , m_size(size)
        , m_write(device)
    {
        m_block.reserve(2 * readBlockSize(input, size));
    }

    QByteArray &block() { return m_block; }

    // Whole blocks go out; what follows them starts the next.
    [[nodiscard]] bool flushIfFull()
    {
        return m_block.size() < m_size || m_write.startBlock(m_block, m_block.size() / m_size * m_size);
    }

    [[nodiscard]] Result<> finish()
    {
        if (!m_write.writeNow(m_block.constData(), m_block.size()))
            return failure();
        m_block.truncate(0);
        return {};
    }

    // The reason is known once the block in flight has ended.
    [[nodiscard]] FileFailure failure()
    {
        (void)m_write.wait();
        return FileFailure::of(Action::Write, m_device);
    }

private:
    QIODevice &m_device;
    const qsizetype m_size;
    QByteArray m_block;
    BackgroundWrite m_write;
};

// A long line is looked at for its group by its start only.
constexpr qsizetype groupScanBytes = 64 << 10;

// Hands each channel on once its lines have passed, as one of them may name
// its group; lines before the first entry count for the groups too.
class ChannelCollector
{
public:
    ChannelCollector(InputMode mode, const ChannelSink &sink, Groups groups = Groups::Read)
        : m_mode(mode)
        , m_readGroups(groups == Groups::Read)
        , m_groups(mode)
        , m_sink(sink)
    {
    }

    void entry(QByteArrayView name, QByteArrayView line)
    {
        if (!m_readGroups) {
            m_sink({name, {}}); // nothing to wait for
            return;
        }
        finish();
        m_name.assign(name.data(), size_t(name.size()));
        m_pending = true;
        m_groups.beginEntry(line);
    }
    void other(QByteArrayView line)
    {
        if (m_readGroups)
            m_groups.otherLine(line);
    }

    void finish()
    {
        if (!std::exchange(m_pending, false))
            return;
        QByteArrayView group = m_groups.group();
        if (m_mode == InputMode::Utf8 && !group.isEmpty() && !utf8::isValid(group)) {
            m_sanitized.truncate(0);
            utf8::appendSanitized(group, m_sanitized);
            group = m_sanitized;
        }
        m_sink({QByteArrayView(m_name.data(), qsizetype(m_name.size())), group});
    }

private:
    InputMode m_mode;
    bool m_readGroups;
    GroupFinder m_groups;
    const ChannelSink &m_sink;
    std::string m_name; // reused: no allocation per channel
    QByteArray m_sanitized;
    bool m_pending = false;
};

// Keeps the start of what a long line writes, up to groupScanBytes.
void keepStart(QByteArray &start, QByteArrayView written)
{
    appendBytes(start, written.first(std::min(written.size(), groupScanBytes - start.size())));
}

} // namespace

Result<EncodingGuess> copyRaw(QIODevice &playlist, QIODevice &rawCopy, Progress &progress)
{
    BlockWriter out(rawCopy, playlist);
    RawCopier copier;
    EncodingGuess guess;
    QByteArray block(readBlockSize(playlist, blockSize), Qt::Uninitialized);
    for (;;) {
        const qint64 got = playlist.read(block.data(), block.size());
        if (got < 0)
            return FileFailure::of(Action::Read, playlist);
        if (got == 0)
            break;
        copier.feed(QByteArrayView(block.constData(), got), out.block());
        guess.feed(QByteArrayView(block.constData(), got));
        if (!out.flushIfFull())
            return out.failure();
        if (!progress.nextBlock())
            return Stopped{};
    }
    copier.finish(out.block());
    guess.finish();
    if (Result<> written = out.finish(); !written)
        return written.failure();
    return guess;
}

namespace {

// A line too long to be held: the reader's pieces tell what it is, then its
// bytes are read again from the copy and written.
Result<> normaliseLongLine(LineReader &reader, QByteArrayView first, QIODevice &rawCopy, BlockWriter &out,
                           Normaliser &normaliser, Progress &progress, ChannelCollector &channels)
{
    normaliser.beginLongLine();
    qint64 length = 0;
    QByteArrayView piece = first;
    do {
        normaliser.scanLongPiece(piece);
        length += piece.size();
        if (!progress.next())
            return Stopped{};
    } while (reader.nextPiece(piece));
    if (reader.failed())
        return FileFailure::of(Action::Read, rawCopy);

    const qint64 resume = rawCopy.pos();
    if (rawCopy.isSequential() || !rawCopy.seek(reader.lineStart()))
        return FileFailure::of(Action::Read, rawCopy);
    QByteArray start;
    qsizetype written = out.block().size();
    normaliser.startWritingLongLine(out.block());
    QByteArray buffer(std::min<qint64>(length, blockSize), Qt::Uninitialized);
    for (qint64 left = length; left > 0;) {
        const qint64 got = rawCopy.read(buffer.data(), std::min<qint64>(left, buffer.size()));
        if (got <= 0)
            return FileFailure::of(Action::Read, rawCopy);
        normaliser.writeLongPiece(QByteArrayView(buffer.constData(), got), out.block());
        keepStart(start, QByteArrayView(out.block()).sliced(written));
        if (!out.flushIfFull())
            return out.failure();
        written = out.block().size();
        if (!progress.next())
            return Stopped{};
        left -= got;
    }
    // What the end adds (a character left unfinished, markers) belongs to the
    // line too; its CR LF does not.
    const std::optional<QByteArrayView> name = normaliser.endLongLine(out.block());
    keepStart(start, QByteArrayView(out.block()).sliced(written).chopped(2));
    if (name)
        channels.entry(*name, start);
    else
        channels.other(start);
    if (!rawCopy.seek(resume))
        return FileFailure::of(Action::Read, rawCopy);
    return {};
}

// The name of a channel entry too long to be held, from the reader's pieces;
// the start of the line, entry or not, for its group.
std::optional<QByteArrayView> longLineName(LineReader &reader, QByteArrayView first, InputMode mode, NameFinder &name,
                                           QByteArray &start)
{
    channelEntry::TagFinder entryTag(channelEntry::entryTag);
    name.clear();
    start.truncate(0);
    forEachLongLinePart(reader, first, mode, [&](QByteArrayView part) {
        entryTag.feed(part);
        name.append(part);
        keepStart(start, part);
    });
    if (!entryTag.found())
        return std::nullopt;
    return name.name().listed(mode);
}

} // namespace

void forEachLongLinePart(LineReader &reader, QByteArrayView first, InputMode mode,
                         const std::function<void(QByteArrayView part)> &take)
{
    bool zeroSeen = false;
    QByteArrayView piece = first;
    do {
        if (zeroSeen)
            continue;
        const QByteArrayView part = channelEntry::readPart(piece, mode);
        zeroSeen = part.size() < piece.size();
        take(part);
    } while (reader.nextPiece(piece));
}

Result<> normalise(QIODevice &rawCopy, QIODevice &normalisedCopy, Normaliser &normaliser, InputMode mode,
                   Progress &progress, const ChannelSink &onChannel, qsizetype longLine)
{
    BlockWriter out(normalisedCopy, rawCopy, mappedBlockSize);
    normaliser.beginPass(mode);
    const auto ended = qScopeGuard([&] { normaliser.endPass(); });
    ChannelCollector channels(mode, onChannel);
    LineReader reader(rawCopy, LineReader::defaultBlockSize, longLine);
    QByteArrayView line;
    while (reader.next(line)) {
        if (reader.inPieces()) {
            if (Result<> written = normaliseLongLine(reader, line, rawCopy, out, normaliser, progress, channels); !written)
                return written;
        } else {
            const qsizetype start = out.block().size();
            const std::optional<QByteArrayView> name = normaliser.normaliseRead(reader.readPart(line, mode), out.block());
            const QByteArrayView written = QByteArrayView(out.block()).sliced(start).chopped(2); // less CR LF
            if (name)
                channels.entry(*name, written);
            else
                channels.other(written);
        }
        if (!out.flushIfFull())
            return out.failure();
        if (!progress.next())
            return Stopped{};
    }
    if (reader.failed())
        return FileFailure::of(Action::Read, rawCopy);
    channels.finish();
    return out.finish();
}

Result<> readChannels(QIODevice &normalisedCopy, InputMode mode, Progress &progress, const ChannelSink &onChannel,
                      Groups groups, qsizetype longLine)
{
    LineReader reader(normalisedCopy, LineReader::defaultBlockSize, longLine);
    ChannelCollector channels(mode, onChannel, groups);
    QByteArrayView line;
    QByteArray sanitized;
    ListedName listed;
    NameFinder longName;
    QByteArray longStart;
    while (reader.next(line)) {
        if (reader.inPieces()) {
            if (const std::optional<QByteArrayView> name = longLineName(reader, line, mode, longName, longStart))
                channels.entry(*name, longStart);
            else
                channels.other(longStart);
        } else if (const QByteArrayView read = trimSpaces(reader.readPart(line, mode)); channelEntry::isEntry(read)) {
            QByteArrayView name = channelEntry::name(read);
            if (mode == InputMode::Utf8 && !utf8::isValid(name)) {
                sanitized.truncate(0);
                utf8::appendSanitized(name, sanitized);
                name = sanitized;
            }
            channels.entry(ListedName::of(name, mode, listed), read);
        } else {
            channels.other(read);
        }
        if (!progress.next())
            return Stopped{};
    }
    if (reader.failed())
        return FileFailure::of(Action::Read, normalisedCopy);
    channels.finish();
    return {};
}

Result<> readEntryAttribute(QIODevice &normalisedCopy, InputMode mode, QByteArrayView key, Progress &progress,
                            const std::function<void(QByteArrayView value)> &onEntry, qsizetype longLine)
{
    LineReader reader(normalisedCopy, LineReader::defaultBlockSize, longLine);
    QByteArrayView line;
    QByteArray longStart;
    const auto valueIn = [&](QByteArrayView entry) {
        onEntry(channelEntry::attributeValue(entry, key).value_or(QByteArrayView()));
    };
    while (reader.next(line)) {
        if (reader.inPieces()) {
            channelEntry::TagFinder entryTag(channelEntry::entryTag);
            longStart.truncate(0);
            forEachLongLinePart(reader, line, mode, [&](QByteArrayView part) {
                entryTag.feed(part);
                keepStart(longStart, part);
            });
            if (entryTag.found())
                valueIn(trimSpaces(QByteArrayView(longStart)));
        } else if (const QByteArrayView read = trimSpaces(reader.readPart(line, mode)); channelEntry::isEntry(read)) {
            valueIn(read);
        }
        if (!progress.next())
            return Stopped{};
    }
    if (reader.failed())
        return FileFailure::of(Action::Read, normalisedCopy);
    return {};
}

} // namespace passes
