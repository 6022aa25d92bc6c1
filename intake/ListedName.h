#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>

// A channel name as the lists hold it, gathered piece by piece. A name of up
// to maxBytes is held whole; a longer one (a line of many megabytes) is cut
// there, at a character boundary, and ends with its last U+0001 characters,
// at most six, so that duplicate markers still tell repeats apart. Only the
// list is cut: the working files keep every byte.
class ListedName
{
public:
    static constexpr qsizetype maxBytes = qsizetype(2) << 20;

    void clear();
    void append(QByteArrayView piece);
    // The name as listed so far; valid until the next call.
    [[nodiscard]] QByteArrayView listed(InputMode mode);

    // A name held whole in memory as the lists hold it: the name itself, or
    // its cut form in scratch.
    [[nodiscard]] static QByteArrayView of(QByteArrayView name, InputMode mode, ListedName &scratch);

private:
    QByteArray m_bytes; // the first maxBytes and a few
    qsizetype m_size = 0;
    qsizetype m_trailingMarkers = 0;
    QByteArray m_cut;
};

// Finds the channel name of a line given piece by piece, as channelEntry::name()
// does on a whole line: the text after the first comma outside double quotes,
// else after the first comma, else the whole line.
class NameFinder
{
public:
    void clear();
    void append(QByteArrayView piece);
    [[nodiscard]] ListedName &name();

private:
    enum class Found {
        Nothing,
        Comma,
        UnquotedComma,
    };

    ListedName m_whole;
    ListedName m_afterComma;
    ListedName m_afterUnquotedComma;
    Found m_found = Found::Nothing;
    bool m_quoted = false;
};
