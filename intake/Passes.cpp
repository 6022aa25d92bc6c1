#include "intake/Passes.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"
#include "intake/LineReader.h"
#include "intake/Normaliser.h"
#include "intake/RawCopier.h"
#include "intake/WorkingFiles.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace passes {

namespace {

constexpr qsizetype blockSize = 1 << 20;

using Kind = WorkingFiles::Kind;
using Action = FileFailure::Action;

// Collects output in a block and writes it when the block is full. On a
// failure the half-made file is deleted.
class BlockWriter
{
public:
    explicit BlockWriter(std::unique_ptr<QFile> file)
        : m_file(std::move(file))
    {
        m_block.reserve(2 * blockSize);
    }

    ~BlockWriter()
    {
        if (m_file)
            discard();
    }

    QByteArray &block() { return m_block; }

    [[nodiscard]] bool flushIfFull() { return m_block.size() < blockSize || flush(); }

    [[nodiscard]] PassResult finish()
    {
        if (!flush())
            return failure();
        if (!m_file->flush())
            return failure();
        m_file->close();
        m_file.reset();
        return PassResult::done();
    }

    [[nodiscard]] PassResult failure()
    {
        FileFailure f = FileFailure::of(Action::Write, *m_file);
        discard();
        return PassResult::failed(std::move(f));
    }

    [[nodiscard]] PassResult stopped()
    {
        discard();
        return PassResult::stopped();
    }

private:
    bool flush()
    {
        if (m_file->write(m_block) != m_block.size())
            return false;
        m_block.truncate(0);
        return true;
    }

    void discard()
    {
        m_file->close();
        m_file->remove();
        m_file.reset();
    }

    std::unique_ptr<QFile> m_file;
    QByteArray m_block;
};

PassResult openForReading(QFile &file)
{
    if (!QFileInfo(file.fileName()).isFile()) {
        const QString reason = QFileInfo::exists(file.fileName())
            ? QStringLiteral("Это не файл.")
            : QStringLiteral("Файл не найден.");
        return PassResult::failed({Action::Open, file.fileName(), reason});
    }
    if (!file.open(QIODevice::ReadOnly))
        return PassResult::failed(FileFailure::of(Action::Open, file));
    return PassResult::done();
}

} // namespace

PassResult makeRawCopy(const QString &playlistPath, WorkingFiles &files)
{
    QFile input(playlistPath);
    if (PassResult opened = openForReading(input); !opened.ok())
        return opened;

    std::optional<FileFailure> failure;
    auto raw = files.createNew(Kind::Raw, failure);
    if (!raw)
        return PassResult::failed(*failure);
    BlockWriter out(std::move(raw));

    RawCopier copier;
    QByteArray block(blockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = input.read(block.data(), blockSize);
        if (got < 0) {
            FileFailure f = FileFailure::of(Action::Read, input);
            (void)out.stopped(); // drops the half-made copy
            return PassResult::failed(std::move(f));
        }
        if (got == 0)
            break;
        copier.feed(QByteArrayView(block.constData(), got), out.block());
        if (!out.flushIfFull())
            return out.failure();
    }
    copier.finish(out.block());
    return out.finish();
}

PassResult makeNormalisedCopy(WorkingFiles &files, Normaliser &normaliser, InputMode mode, TimeSlice &slice)
{
    QFile raw(files.path(Kind::Raw));
    if (PassResult opened = openForReading(raw); !opened.ok())
        return opened;

    std::optional<FileFailure> failure;
    auto normalised = files.createNew(Kind::Normalised, failure);
    if (!normalised)
        return PassResult::failed(*failure);
    BlockWriter out(std::move(normalised));

    normaliser.beginPass(mode);
    LineReader reader(raw);
    QByteArrayView line;
    while (reader.next(line)) {
        normaliser.normaliseLine(line, out.block());
        if (!out.flushIfFull())
            return out.failure();
        if (!slice.next()) {
            normaliser.endPass();
            return out.stopped();
        }
    }
    normaliser.endPass();
    if (reader.failed()) {
        FileFailure f = FileFailure::of(Action::Read, raw);
        (void)out.stopped();
        return PassResult::failed(std::move(f));
    }
    return out.finish();
}

PassResult readChannelNames(WorkingFiles &files, InputMode mode, TimeSlice &slice,
                            const std::function<void(QString &&name)> &onName)
{
    QFile normalised(files.path(Kind::Normalised));
    if (PassResult opened = openForReading(normalised); !opened.ok())
        return opened;

    LineReader reader(normalised);
    QByteArrayView line;
    while (reader.next(line)) {
        const QByteArrayView read = channelEntry::trimSpaces(channelEntry::readPart(line, mode));
        if (channelEntry::isEntry(read)) {
            const QByteArrayView name = channelEntry::name(read);
            onName(mode == InputMode::Utf8 ? utf8::toUtf16(name) : ansi::toUtf16(name));
        }
        if (!slice.next())
            return PassResult::stopped();
    }
    if (reader.failed())
        return PassResult::failed(FileFailure::of(Action::Read, normalised));
    return PassResult::done();
}

} // namespace passes
