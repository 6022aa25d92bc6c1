#pragma once

#include "encoding/InputMode.h"
#include "base/Result.h"
#include "writer/PlaylistWriter.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QIODevice>
#include <QList>
#include <QStringList>

// Helpers shared by the writer's tests.
namespace writertest {

// The lines joined, each ended by CR LF, in UTF-8 or in Windows-1251.
[[nodiscard]] QByteArray crlfLines(const QStringList &lines);
[[nodiscard]] QByteArray windows1251(const QStringList &lines);

// The normalised copy a load in this mode makes of the playlist, with the
// channel names it lists.
struct Copy
{
    QByteArray bytes;
    QByteArrayList names;
};
[[nodiscard]] Copy normalisedCopy(const QByteArray &playlist, InputMode mode);

struct Saved
{
    Result<> result;
    QByteArray bytes;
};

// What a save of the channel indexes writes, in memory.
[[nodiscard]] Saved saveFromCopy(const QByteArray &copy, InputMode mode, const QList<int> &entries,
                                 qsizetype chunkBytes = PlaylistWriter::defaultChunkBytes);

// Prints where two outputs part, with a few lines around, and returns false
// when they differ.
[[nodiscard]] bool sameOutput(const QByteArray &actual, const QByteArray &expected, const QString &context);

// Accepts a fixed number of bytes, then fails every write.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 acceptedBytes, qint64 bytesPerCall = -1);
    [[nodiscard]] const QByteArray &received() const { return m_received; }
    // Writes offered after one has failed: a writer must stop at the first.
    [[nodiscard]] int writesAfterFailure() const { return m_failures - 1; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    qint64 m_accepted;
    qint64 m_perCall;
    QByteArray m_received;
    int m_failures = 0;
};

} // namespace writertest
