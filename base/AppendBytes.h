#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

// Appends as QByteArray::append does, without its detour through insert(),
// whose checks cost several times the copy of the short pieces a line is
// made of (a tenth of a load's instructions).
inline void appendBytes(QByteArray &out, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return; // its data may be null, which memcpy may not be given
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    std::memcpy(out.data() + at, bytes.data(), size_t(bytes.size()));
}

// Makes room for `bytes` more at the end of out and says where it begins: a
// line's pieces are then copied with one resize for them all.
inline char *appendRoom(QByteArray &out, qsizetype bytes)
{
    const qsizetype at = out.size();
    out.resize(at + bytes);
    return out.data() + at;
}
