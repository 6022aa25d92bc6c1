#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <vector>

// An item text of the new list as the pattern a channel entry must end with:
// "?" stands for any one character, "*" for any run of characters, every other
// character for itself. The pattern works on the bytes of entry texts as
// LineTable holds them: a character is a code point in UTF-8 mode (a whole
// UTF-8 sequence) and a byte in ANSI mode.
class ItemPattern
{
public:
    ItemPattern(QStringView item, InputMode mode);
    // Takes another item, reusing the memory of the last one.
    void assign(QStringView item);

    // True when no entry text can end with the item: it holds a character that
    // no line of this mode can hold (one Windows-1251 lacks in ANSI mode, an
    // unpaired surrogate in UTF-8 mode).
    [[nodiscard]] bool matchesNothing() const { return m_matchesNothing; }

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
    struct Token
    {
        QByteArray literal; // empty: "?"
    };
    using Segment = std::vector<Token>;

    [[nodiscard]] bool setPlainAscii(QStringView item);
    void setLiteral(QStringView item);
    void addCharacter(QStringView character, Segment &segment);
    [[nodiscard]] qsizetype matchAtEnd(const Segment &segment, QByteArrayView text) const;
    [[nodiscard]] qsizetype findFrom(const Segment &segment, QByteArrayView text, qsizetype from) const;
    [[nodiscard]] qsizetype matchAt(const Segment &segment, QByteArrayView text, qsizetype at) const;
    [[nodiscard]] qsizetype stepForward(QByteArrayView text, qsizetype at) const;
    [[nodiscard]] qsizetype stepBack(QByteArrayView text, qsizetype at) const;

    bool m_utf8;
    bool m_matchesNothing = false;
    bool m_literal = true;
    // An item with wildcards split at each "*": the last segment is anchored
    // at the end of the text, the others float, in order, before it.
    std::vector<Segment> m_segments;
    QByteArray m_anchorLiteral;
    int m_anchorOffset = 0;
    QByteArray m_innerLiteral;
    int m_innerGap = 0;
};
