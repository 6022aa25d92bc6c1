#include "intake/Passes.h"

#include "encoding/Text.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"
#include "intake/LineReader.h"
#include "intake/Normaliser.h"
#include "intake/RawCopier.h"
#include "base/Progress.h"
#include "base/WholeFile.h"

#include <QIODevice>

namespace passes {

namespace {

using Action = FileFailure::Action;

constexpr qsizetype blockSize = 1 << 20;
// The writer maps the normalised copy. Written in whole, aligned blocks of a
// huge page, the file can be held by the system in huge pages, and mapping
// and reading it then costs a fraction.
constexpr qsizetype mappedBlockSize = 2 << 20;

// Collects output and writes it in whole blocks, the rest at the end.
class BlockWriter
{
public:
    // The input's size bounds the block's usual size.
    BlockWriter(QIODevice &device, const QIODevice &input, qsizetype size = blockSize)
        : m_device(device)
        , m_size(size)
    {
        m_block.reserve(2 * readBlockSize(input, size));
    }

    QByteArray &block() { return m_block; }

    [[nodiscard]] bool flushIfFull() { return m_block.size() < m_size || flush(m_block.size() / m_size * m_size); }

    [[nodiscard]] Result<> finish()
    {
        if (!flush(m_block.size()))
            return failure();
        return {};
    }

    [[nodiscard]] FileFailure failure() const { return FileFailure::of(Action::Write, m_device); }

private:
    bool flush(qsizetype bytes)
    {
        if (!writeAll(m_device, m_block.constData(), bytes))
            return false;
        m_block.remove(0, bytes);
        return true;
    }

    QIODevice &m_device;
    const qsizetype m_size;
    QByteArray m_block;
};

} // namespace

Result<> copyRaw(QIODevice &playlist, QIODevice &rawCopy, Progress &progress)
{
    BlockWriter out(rawCopy, playlist);
    RawCopier copier;
    QByteArray block(readBlockSize(playlist, blockSize), Qt::Uninitialized);
    for (;;) {
        const qint64 got = playlist.read(block.data(), block.size());
        if (got < 0)
            return FileFailure::of(Action::Read, playlist);
        if (got == 0)
            break;
        copier.feed(QByteArrayView(block.constData(), got), out.block());
        if (!out.flushIfFull())
            return out.failure();
        if (!progress.nextBlock())
            return Stopped{};
    }
    copier.finish(out.block());
    return out.finish();
}

Result<> normalise(QIODevice &rawCopy, QIODevice &normalisedCopy, Normaliser &normaliser, InputMode mode,
                   Progress &progress, const NameSink &onName)
{
    BlockWriter out(normalisedCopy, rawCopy, mappedBlockSize);
    normaliser.beginPass(mode);
    LineReader reader(rawCopy);
    QByteArrayView line;
    while (reader.next(line)) {
        if (const std::optional<QByteArrayView> name = normaliser.normaliseLine(line, out.block()))
            onName(*name);
        if (!out.flushIfFull()) {
            normaliser.endPass();
            return out.failure();
        }
        if (!progress.next()) {
            normaliser.endPass();
            return Stopped{};
        }
    }
    normaliser.endPass();
    if (reader.failed())
        return FileFailure::of(Action::Read, rawCopy);
    return out.finish();
}

Result<> readChannelNames(QIODevice &normalisedCopy, InputMode mode, Progress &progress, const NameSink &onName)
{
    LineReader reader(normalisedCopy);
    QByteArrayView line;
    QByteArray sanitized;
    while (reader.next(line)) {
        const QByteArrayView read = trimSpaces(channelEntry::readPart(line, mode));
        if (channelEntry::isEntry(read)) {
            const QByteArrayView name = channelEntry::name(read);
            if (mode == InputMode::Utf8 && !utf8::isValid(name)) {
                sanitized.truncate(0);
                utf8::appendSanitized(name, sanitized);
                onName(sanitized);
            } else {
                onName(name);
            }
        }
        if (!progress.next())
            return Stopped{};
    }
    if (reader.failed())
        return FileFailure::of(Action::Read, normalisedCopy);
    return {};
}

} // namespace passes
