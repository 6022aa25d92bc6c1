#pragma once

#include "encoding/InputMode.h"
#include "writer/PlaylistWriter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QStringList>

#include <vector>

// Helpers shared by the writer's tests.
namespace writertest {

// The lines joined, each ended by CR LF, in UTF-8 or in Windows-1251.
[[nodiscard]] QByteArray crlfLines(const QStringList &lines);
[[nodiscard]] QByteArray windows1251(const QStringList &lines);

struct FastResult
{
    Result<> result;
    QByteArray bytes;
};

// Items in the copy's text form for the mode, as the program holds them; a
// character the mode cannot hold becomes what the conversion makes of it.
[[nodiscard]] QList<QByteArray> itemBytes(const QStringList &texts, InputMode mode);
// The same items as text, as the reference writer takes them.
[[nodiscard]] QStringList itemTexts(const QList<QByteArray> &items, InputMode mode);
[[nodiscard]] std::vector<QByteArrayView> views(const QList<QByteArray> &items);

// Runs PlaylistWriter into memory.
[[nodiscard]] FastResult writeFast(QByteArrayView copy, InputMode mode, const QList<QByteArray> &items,
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

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    qint64 m_accepted;
    qint64 m_perCall;
    QByteArray m_received;
};

} // namespace writertest
