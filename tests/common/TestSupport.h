#pragma once

#include <QByteArray>
#include <QString>

// Helpers shared by the tests.
namespace testsupport {

// "d0 9f 31" -> the bytes; spaces are ignored.
[[nodiscard]] QByteArray hex(const char *spaced);

// The bytes of a real public playlist from the shared data folder.
[[nodiscard]] QString playlistPath(const QString &fileName);

} // namespace testsupport
