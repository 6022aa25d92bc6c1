#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTest>

// Helpers shared by the tests.
namespace testsupport {

// "d0 9f 31" -> the bytes; spaces are ignored.
[[nodiscard]] QByteArray hex(const char *spaced);

// The path of a real public playlist in the shared data folder.
[[nodiscard]] QString playlistPath(const QString &fileName);

// The lines joined, each ended by CR LF, as the working files and outputs hold them.
[[nodiscard]] QByteArray crlfLines(const QByteArrayList &lines);

// A playlist of these channels, each with its group-title when one is given
// and the address <address><its number>.
[[nodiscard]] QByteArray playlistOf(const QStringList &names, const QStringList &groups = {},
                                    const QByteArray &address = "http://new/");

// Writes a file with these bytes (a failure ends the test program); returns its path.
QString writeFile(const QString &path, const QByteArray &bytes);

} // namespace testsupport

// Skips the running test when a real playlist it reads is not there (the
// shared data folder is absent from this checkout).
#define KELVARO_REQUIRE_FILE(path)                                                                                \
    do {                                                                                                          \
        if (!QFileInfo::exists(path))                                                                             \
            QSKIP(qPrintable(QStringLiteral("%1 is absent (no shared data folder)").arg(path)));                 \
    } while (false)
