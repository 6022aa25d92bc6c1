#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Makes the normalised working copy from the raw copy, one line at a time.
// Every line is read in the input mode and trimmed of spaces. A channel entry
// is written as the lists read it ("#" dropped, "[" and "]" as "(" and ")")
// with "#" in front ("##" when it is a header line too), and consecutive
// channel entries with the same name get duplicate markers (U+0001, one to
// six) so that their names become distinct texts. Every other line keeps its
// "#" and brackets: the save writes the lines after an entry as the playlist
// has them.
class Normaliser
{
public:
    // Name (without marker) of the channel entry normalised last. Nothing
    // clears it: it carries over from one pass, and one load, to the next.
    [[nodiscard]] QString lastChannelName() const;

    // The repeat count starts at 0 in every pass, so a first entry that
    // repeats the last name of the pass before gets two markers.
    void beginPass(InputMode mode);
    // Appends the normalised line with its CR LF. For a channel entry it
    // returns the channel name as a reader of the normalised copy lists it
    // (marker included, in the copy's bytes): a view into out, valid until out
    // changes.
    std::optional<QByteArrayView> normaliseLine(QByteArrayView rawLine, QByteArray &out);
    void endPass();

private:
    // The line as DecodeUTF8 reads it in UTF-8 mode (in `scratch` when it
    // had to be made well-formed); the bytes themselves in ANSI mode.
    [[nodiscard]] QByteArrayView readLine(QByteArrayView rawLine, QByteArray &scratch) const;

    InputMode m_mode = InputMode::Utf8;
    QString m_lastChannelName;
    // The last name in the bytes of the running pass's mode; unset when the
    // name has no such form (so nothing can repeat it).
    QByteArray m_lastNameBytes;
    bool m_lastNameComparable = false;
    bool m_lastNameChanged = false;
    // -1 after a new name, +1 for each repeat.
    qint32 m_repeats = 0;
    QByteArray m_listed;
    QByteArray m_decoded;
};
