#pragma once

#include "encoding/InputMode.h"
#include "intake/ListedName.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

// Makes the normalised working copy from the raw copy, one line at a time.
// Every line is read in the input mode and trimmed of spaces, and is written
// as the playlist has it: the save writes the lines, the lists show the
// names, as the provider wrote them. A channel entry (a line that holds
// EXTINF) gets "#" in front where it does not start with one, and
// consecutive channel entries with the same name get duplicate markers
// (U+0001, one to six) so that their names become distinct texts.
class Normaliser
{
public:
    Normaliser();
    ~Normaliser();

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
    // The same for the part the mode reads of it (channelEntry::readPart),
    // when the caller has it at hand.
    std::optional<QByteArrayView> normaliseRead(QByteArrayView part, QByteArray &out);

    // A line too long to be held (see LineReader) comes twice, piece by piece:
    // first to learn whether it is a channel entry, then to be written. The
    // normalised line is the one normaliseLine() makes of it whole; a name
    // longer than the lists hold is listed cut (ListedName).
    void beginLongLine();
    void scanLongPiece(QByteArrayView rawPiece);
    void startWritingLongLine(QByteArray &out);
    void writeLongPiece(QByteArrayView rawPiece, QByteArray &out);
    // The channel name for the list, valid until the next long line.
    std::optional<QByteArrayView> endLongLine(QByteArray &out);

    void endPass();

private:
    // What the mode reads of a line (channelEntry::readPart): in UTF-8 mode
    // well-formed, in `scratch` when it had to be made so; in ANSI mode the
    // bytes themselves.
    [[nodiscard]] QByteArrayView wellFormed(QByteArrayView part, QByteArray &scratch) const;
    // How many duplicate markers the entry with this name gets (the name as
    // listed, without markers); it becomes the last name.
    qint32 markersFor(QByteArrayView name);
    // Appends read bytes of a long line, less the spaces at its ends.
    void writeRead(QByteArrayView bytes, QByteArray &out);

    struct LongLine;

    InputMode m_mode = InputMode::Utf8;
    QString m_lastChannelName;
    // The last name in the bytes of the running pass's mode; unset when the
    // name has no such form (so nothing can repeat it).
    QByteArray m_lastNameBytes;
    bool m_lastNameComparable = false;
    bool m_lastNameChanged = false;
    // -1 after a new name, +1 for each repeat.
    qint32 m_repeats = 0;
    QByteArray m_decoded;
    ListedName m_name;
    std::unique_ptr<LongLine> m_long;
};
