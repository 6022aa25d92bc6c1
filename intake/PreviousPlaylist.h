#pragma once

#include "base/Result.h"
#include "encoding/InputMode.h"
#include "intake/LineReader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

class Progress;
class QIODevice;

// The channels of the playlist the user saved last time, to be found again in
// a newly loaded one: each channel's name, as a load lists it, and its tvg-id,
// both UTF-8 whatever the file was written in. A channel costs its bytes and
// two offsets, so a saved list of a million channels stays small.
class PreviousPlaylist
{
public:
    // A saved list is at most as big as the biggest provider list.
    static constexpr qint64 maxFileBytes = qint64(256) << 20;
    // No real tvg-id comes near this; a longer value is cut at a character.
    static constexpr qsizetype maxIdBytes = 4096;

    explicit PreviousPlaylist(InputMode encoding = InputMode::Utf8)
        : m_encoding(encoding)
    {
    }

    [[nodiscard]] qsizetype count() const { return qsizetype(m_ends.size() / 2); }
    [[nodiscard]] QByteArrayView name(qsizetype i) const { return part(2 * i); }
    // Empty when the entry has none.
    [[nodiscard]] QByteArrayView tvgId(qsizetype i) const { return part(2 * i + 1); }
    // What the file's bytes were read as.
    [[nodiscard]] InputMode encoding() const { return m_encoding; }

    // Both UTF-8 already.
    void append(QByteArrayView name, QByteArrayView tvgId);
    // Gives back the room kept for more channels.
    void squeeze();

private:
    [[nodiscard]] QByteArrayView part(qsizetype k) const
    {
        const qsizetype begin = k == 0 ? 0 : m_ends[size_t(k - 1)];
        return QByteArrayView(m_bytes.constData() + begin, m_ends[size_t(k)] - begin);
    }

    InputMode m_encoding;
    QByteArray m_bytes;            // name, id, name, id, ...
    std::vector<qsizetype> m_ends; // where each of them ends
};

// Reads a previous playlist from a device that can seek (a file; tests give a
// buffer). The encoding comes from all of the bytes, before any name is
// taken: valid UTF-8, or a UTF-8 byte-order mark, is UTF-8; anything else is
// Windows-1251. A line longer than longLine is read in pieces, never whole.
[[nodiscard]] Result<PreviousPlaylist> readPreviousPlaylist(QIODevice &file, Progress &progress,
                                                            qsizetype longLine = LineReader::defaultLongLine);

// The same from a file the user chose. A file larger than
// PreviousPlaylist::maxFileBytes, or one without a single channel entry, is
// refused as a failure to read it.
[[nodiscard]] Result<PreviousPlaylist> readPreviousPlaylist(const QString &path, Progress &progress);
