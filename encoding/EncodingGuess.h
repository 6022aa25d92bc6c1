#pragma once

#include "encoding/InputMode.h"

#include <QByteArrayView>

#include <optional>

// What a playlist's bytes say of their encoding, learnt block by block while
// the load copies them (the result does not depend on where the blocks are
// cut). A UTF-8 byte-order mark, or valid multi-byte UTF-8 sequences that
// outnumber the ill-formed ones ten to one, mean UTF-8: a damaged list may
// hold a few bad ones, while Windows-1251 Cyrillic forms a valid pair only
// now and then (about one per thousand bytes of Russian, one per fourteen of
// Ukrainian, through "і" after a capital). Other non-ASCII bytes mean
// Windows-1251; ASCII alone says nothing.
class EncodingGuess
{
public:
    static constexpr qint64 validPerInvalid = 10;

    void feed(QByteArrayView block);
    // Ends the input: a character it left unfinished is ill-formed.
    void finish();

    // Nothing when the bytes are ASCII alone: the mode chosen stays.
    [[nodiscard]] std::optional<InputMode> mode() const;

    [[nodiscard]] bool hasByteOrderMark() const { return m_byteOrderMark; }
    [[nodiscard]] qint64 validSequences() const { return m_valid; }
    [[nodiscard]] qint64 invalidSequences() const { return m_invalid; }

private:
    // Counts the character that starts at p; returns where the next starts,
    // or nullptr when the block ends inside it (its bytes are then held).
    const uchar *count(const uchar *p, const uchar *end);

    qint64 m_valid = 0;
    qint64 m_invalid = 0;
    qsizetype m_markMatched = 0; // bytes of the mark the file began with; -1 once it cannot
    bool m_byteOrderMark = false;
    uchar m_held[4] = {};
    int m_heldSize = 0; // a character the last block ended inside
};
