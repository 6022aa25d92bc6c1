#include "WriterTestSupport.h"

#include "encoding/Ansi.h"
#include "common/InMemory.h"
#include "base/Progress.h"

#include <QBuffer>
#include <QDebug>

namespace writertest {

QByteArray crlfLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

QByteArray windows1251(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines)
        out += ansi::fromUtf16(line) + "\r\n";
    return out;
}

Copy normalisedCopy(const QByteArray &playlist, InputMode mode)
{
    Copy copy;
    Normaliser normaliser;
    copy.bytes = inMemory::normalisedCopy(playlist, mode, normaliser,
                                          [&](const passes::ListedChannel &channel) { copy.names.append(channel.name.toByteArray()); });
    return copy;
}

Saved saveFromCopy(const QByteArray &copy, InputMode mode, const QList<int> &entries, qsizetype chunkBytes)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Progress progress;
    PlaylistWriter writer(copy, mode, chunkBytes);
    const std::vector<qint32> indexes(entries.begin(), entries.end());
    Result<> result = writer.write(indexes, buffer, progress);
    return {result, buffer.data()};
}

bool sameOutput(const QByteArray &actual, const QByteArray &expected, const QString &context)
{
    if (actual == expected)
        return true;
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    // From the start of the line before the first difference.
    qsizetype from = actual.lastIndexOf('\n', at - 1);
    from = from <= 0 ? 0 : actual.lastIndexOf('\n', from - 1) + 1;
    qWarning().noquote() << context;
    qWarning().noquote() << "outputs differ at byte" << at << "of" << actual.size() << "(actual) and"
                         << expected.size() << "(expected)";
    qWarning() << "actual:  " << actual.mid(from, at - from + 120);
    qWarning() << "expected:" << expected.mid(from, at - from + 120);
    return false;
}

FailingDevice::FailingDevice(qint64 acceptedBytes, qint64 bytesPerCall)
    : m_accepted(acceptedBytes)
    , m_perCall(bytesPerCall)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 FailingDevice::writeData(const char *data, qint64 size)
{
    const qint64 room = m_accepted - m_received.size();
    if (room <= 0) {
        ++m_failures;
        setErrorString(QStringLiteral("device full"));
        return -1;
    }
    qint64 n = std::min(size, room);
    if (m_perCall > 0)
        n = std::min(n, m_perCall);
    m_received.append(data, n);
    return n;
}

} // namespace writertest
