#pragma once

#include <QByteArrayView>
#include <QStringView>

// Leading and trailing spaces removed: U+0020 only, tabs stay. Lines,
// channel names and chosen paths are all trimmed this way.
template<class View>
[[nodiscard]] constexpr View trimSpaces(View text) noexcept
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    return text.sliced(begin, end - begin);
}
