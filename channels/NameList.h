#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// Channel names as the working files hold them: well-formed UTF-8 in UTF-8
// mode, Windows-1251 bytes in ANSI mode. A million names cost their bytes and
// an offset each; a name becomes text only when it is shown.
class NameList
{
public:
    explicit NameList(InputMode encoding = InputMode::Utf8)
        : m_encoding(encoding)
    {
    }

    [[nodiscard]] InputMode encoding() const { return m_encoding; }
    [[nodiscard]] qsizetype count() const { return qsizetype(m_ends.size()); }
    [[nodiscard]] bool isEmpty() const { return m_ends.empty(); }

    [[nodiscard]] QByteArrayView bytes(qsizetype i) const
    {
        const qsizetype begin = i == 0 ? 0 : m_ends[size_t(i - 1)];
        return QByteArrayView(m_bytes.constData() + begin, m_ends[size_t(i)] - begin);
    }
    [[nodiscard]] QString text(qsizetype i) const;
    // The start of the name, as much as a row of a list can show: painting a
    // name of megabytes would hold the window up at every repaint.
    [[nodiscard]] QString shownText(qsizetype i) const;

    void append(QByteArrayView name);
    // Gives back the room kept for more names: a full list keeps only its own.
    void squeeze();

private:
    InputMode m_encoding;
    QByteArray m_bytes;
    std::vector<qsizetype> m_ends;
};
