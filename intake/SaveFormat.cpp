#include "intake/SaveFormat.h"

std::optional<SaveFormat> SaveFormat::fromFileName(const QString &name)
{
    const QString last = name.right(4);
    if (!last.contains(u'.'))
        return SaveFormat{last, Option::M3u8};
    if (last.startsWith(u'.'))
        return SaveFormat{last.mid(1), Option::M3u};
    return std::nullopt;
}
