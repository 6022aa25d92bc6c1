#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Makes the normalised working copy from the raw copy, one line at a time:
// the line is read in the input mode, trimmed of spaces, header lines and
// channel entries get "#" in front, and consecutive channel entries with the
// same name get duplicate markers (U+0001, one to six) so that their names
// become distinct texts.
class Normaliser
{
public:
    // Name (without marker) of the channel entry normalised last. Nothing
    // clears it: it carries over from one pass, and one load, to the next.
    [[nodiscard]] QString lastChannelName() const;
    // 0 at the start of every pass, -1 after a new name, +1 for each repeat.
    [[nodiscard]] qint32 dupCount() const { return m_dupCount; }
    [[nodiscard]] QByteArray dupMarker() const { return m_dupMarker; }

    void beginPass(InputMode mode);
    // Appends the normalised line with its CR LF.
    void normaliseLine(QByteArrayView rawLine, QByteArray &out);
    void endPass();

private:
    [[nodiscard]] QByteArrayView readLine(QByteArrayView rawLine);

    InputMode m_mode = InputMode::Utf8;
    QString m_lastChannelName;
    // The last name in the bytes of the running pass's mode; unset when the
    // name has no such form (so nothing can repeat it).
    QByteArray m_lastNameBytes;
    bool m_lastNameComparable = false;
    bool m_lastNameChanged = false;
    qint32 m_dupCount = 0;
    QByteArray m_dupMarker;
    QByteArray m_scratch;
    QByteArray m_prefixed;
};
