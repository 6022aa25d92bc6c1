#include "reference/ReferenceWriter.h"

#include "encoding/Ansi.h"
#include "reference/LineCodec.h"

#include <algorithm>
#include <vector>

namespace reference {

namespace {

// Code points; an unpaired surrogate stays a character of its own.
std::vector<char32_t> characters(QStringView s)
{
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else {
            out.push_back(c.unicode());
        }
    }
    return out;
}

// Whole-text wildcard match; fits[j] says whether the text read so far
// matches the first j pattern characters.
bool wholeMatch(const std::vector<char32_t> &text, const std::vector<char32_t> &pattern)
{
    std::vector<bool> fits(pattern.size() + 1, false);
    fits[0] = true;
    for (size_t j = 0; j < pattern.size() && pattern[j] == U'*'; ++j)
        fits[j + 1] = true;
    for (const char32_t c : text) {
        std::vector<bool> next(pattern.size() + 1, false);
        for (size_t j = 0; j < pattern.size(); ++j) {
            if (pattern[j] == U'*')
                next[j + 1] = next[j] || fits[j + 1];
            else if (pattern[j] == U'?' || pattern[j] == c)
                next[j + 1] = fits[j];
        }
        fits = std::move(next);
    }
    return fits[pattern.size()];
}

QString cutGroup(const QString &line)
{
    const qsizetype p = line.indexOf(QLatin1String(" group-title="));
    const qsizetype c = line.indexOf(u',');
    if (p < 0 || c < p)
        return line;
    return line.left(p) + line.mid(c);
}

QString withoutMarkers(QString line)
{
    return line.remove(QChar(1));
}

void writeLine(const QString &line, QByteArray &out)
{
    out += LineCodec::UnicodeToUTF8(line);
    out += "\r\n";
}

} // namespace

bool endsWithItem(QStringView line, QStringView item)
{
    // Without wildcards or surrogates, characters are UTF-16 units.
    const auto plain = [](QChar c) { return c != u'?' && c != u'*' && !c.isSurrogate(); };
    if (std::all_of(item.begin(), item.end(), plain))
        return line.endsWith(item);
    // "Ends with T" is "matches *T as a whole".
    std::vector<char32_t> pattern{U'*'};
    for (const char32_t c : characters(item))
        pattern.push_back(c);
    return wholeMatch(characters(line), pattern);
}

QList<QByteArray> splitLines(QByteArrayView copy)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = copy.indexOf("\r\n", start);
        if (end < 0)
            break;
        lines.append(copy.sliced(start, end - start).toByteArray());
        start = end + 2;
    }
    if (start < copy.size())
        lines.append(copy.sliced(start).toByteArray());
    return lines;
}

QByteArray writePlaylist(QByteArrayView copy, InputMode mode, const QStringList &items)
{
    LineCodec codec;
    // Reading a line gives the same text on every pass: read each once.
    QStringList lines;
    for (QByteArray bytes : splitLines(copy)) {
        if (bytes.contains("EXTM3U"))
            bytes = "#EXTM3U";
        lines.append(mode == InputMode::Utf8 ? codec.DecodeUTF8(bytes) : ansi::toUtf16(bytes));
    }

    QByteArray out;
    bool headerFlag = true;
    qint32 matchCount = 0;
    qint32 runLength = 0;
    qint32 runSpan = 0;
    for (const QString &item : items) {
        for (QString line : lines) {
            if (headerFlag) {
                writeLine(withoutMarkers(line), out);
                headerFlag = false;
            }
            if (line.contains(QLatin1String("EXTINF")) && endsWithItem(line, item))
                ++matchCount;
            if (matchCount != 0)
                ++runLength;
            if (runLength != 0) {
                bool written = true;
                if (line.contains(QLatin1String("EXTGRP"))) {
                    runSpan = 3;
                    written = false;
                } else {
                    runSpan = 2;
                }
                if (line.contains(QLatin1String("EXTINF")))
                    runSpan = 3;
                if (line.contains(QLatin1String("group-title=")))
                    line = cutGroup(line);
                if (runLength >= runSpan)
                    runLength = matchCount = runSpan = 0;
                if (written)
                    writeLine(withoutMarkers(line), out);
            }
        }
        matchCount = runLength = 0;
    }
    return out;
}

} // namespace reference
