#pragma once

#include "encoding/InputMode.h"

#include <QByteArrayView>

#include <vector>

// An item of the new list as the pattern a channel entry must end with: "?"
// stands for any one character, "*" for any run of characters, every other
// character for itself. Items and entry texts are in the copy's text form, so
// the pattern works on bytes: a character is a code point in UTF-8 mode (a
// whole UTF-8 sequence) and a byte in ANSI mode. "?" and "*" are ASCII and
// never part of a longer sequence.
//
// The pattern keeps views into the item's bytes, which must outlive it.
class ItemPattern
{
public:
    ItemPattern(QByteArrayView item, InputMode mode);
    // Takes another item, reusing the memory of the last one.
    void assign(QByteArrayView item);

    // True when the item has no wildcard; its bytes are then anchorLiteral().
    [[nodiscard]] bool isLiteral() const { return m_literal; }

    // The last run of literal characters after the last "*", and how many
    // characters ("?") follow it. An entry that matches ends with this run
    // followed by anchorOffset() characters. Empty when there is no such run.
    [[nodiscard]] QByteArrayView anchorLiteral() const { return m_anchorLiteral; }
    [[nodiscard]] int anchorOffset() const { return m_anchorOffset; }

    // The run of literal characters before the anchor within the same "*"-free
    // end, and how many characters ("?") lie between the two. Empty when the
    // anchor has none before it.
    [[nodiscard]] QByteArrayView innerLiteral() const { return m_innerLiteral; }
    [[nodiscard]] int innerGap() const { return m_innerGap; }

    // Whether the text ends with the item.
    [[nodiscard]] bool matches(QByteArrayView text) const;

private:
    // A run of literal bytes, or "?" when empty.
    using Token = QByteArrayView;
    using Segment = std::vector<Token>;

    void split(QByteArrayView item);
    void findAnchor();
    [[nodiscard]] qsizetype matchAtEnd(const Segment &segment, QByteArrayView text) const;
    [[nodiscard]] qsizetype findFrom(const Segment &segment, QByteArrayView text, qsizetype from) const;
    [[nodiscard]] qsizetype matchAt(const Segment &segment, QByteArrayView text, qsizetype at) const;
    [[nodiscard]] qsizetype stepForward(QByteArrayView text, qsizetype at) const;
    [[nodiscard]] qsizetype stepBack(QByteArrayView text, qsizetype at) const;

    bool m_utf8;
    bool m_literal = true;
    // An item with wildcards split at each "*": the last segment is anchored
    // at the end of the text, the others float, in order, before it.
    std::vector<Segment> m_segments;
    QByteArrayView m_anchorLiteral;
    int m_anchorOffset = 0;
    QByteArrayView m_innerLiteral;
    int m_innerGap = 0;
};
