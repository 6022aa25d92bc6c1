#pragma once

#include <QString>

#include <optional>

// The save format the loader preselects from the last four characters of the
// chosen file's name.
struct SaveFormat
{
    enum class Option {
        M3u,  // "сохранить .m3u"
        M3u8, // "сохранить .m3u8"
    };

    QString extension;
    Option option;

    // Nothing for a name with a "." among its last three characters.
    [[nodiscard]] static std::optional<SaveFormat> fromFileName(const QString &name);
};
