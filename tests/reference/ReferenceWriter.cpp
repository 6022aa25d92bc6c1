#include "reference/ReferenceWriter.h"

#include "encoding/Ansi.h"
#include "reference/LineCodec.h"

namespace reference {

namespace {

QString trimmed(QString text)
{
    while (text.startsWith(u' '))
        text.remove(0, 1);
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

// Every " group-title=" outside quotes and before the name's comma goes, up
// to the end of its value; a quoted value that never closes keeps the line
// as it is.
QString withoutGroupTitle(const QString &line)
{
    const QString attribute = QStringLiteral(" group-title=");
    QString out;
    bool quoted = false;
    qsizetype i = 0;
    for (; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u',') {
            break;
        } else if (!quoted && line.mid(i).startsWith(attribute)) {
            qsizetype end = i + attribute.size();
            if (end < line.size() && line[end] == u'"') {
                end = line.indexOf(u'"', end + 1);
                if (end < 0)
                    return line;
                ++end;
            } else {
                while (end < line.size() && line[end] != u' ' && line[end] != u',')
                    ++end;
            }
            i = end - 1;
            continue;
        }
        out += c;
    }
    return out + line.mid(i);
}

QByteArrayList splitLines(QByteArrayView playlist)
{
    QByteArrayList lines = playlist.toByteArray().replace("\r", "").split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString entryLine(QByteArrayView line, InputMode mode)
{
    const QString read = readLine(line, mode);
    return read.startsWith(u'#') ? read : u'#' + read;
}

bool isEntry(QByteArrayView line, InputMode mode)
{
    return readLine(line, mode).contains(QLatin1String("EXTINF"));
}

QString headerLine(const QByteArrayList &lines, InputMode mode)
{
    for (const QByteArray &line : lines) {
        if (isEntry(line, mode))
            break;
        const QString read = readLine(line, mode);
        const qsizetype tag = read.indexOf(QLatin1String("EXTM3U"));
        if (tag >= 0)
            return tag > 0 && read[tag - 1] == u'#' ? read.mid(tag - 1) : u'#' + read.mid(tag);
    }
    return QStringLiteral("#EXTM3U");
}

// A group name as the lists keep it: trimmed, cut where the copy's bytes
// reach the bound, between characters.
QString groupName(const QString &value, InputMode mode)
{
    constexpr qsizetype maxBytes = 4096;
    QString name = trimmed(value);
    if (mode == InputMode::Ansi)
        return name.left(maxBytes);
    while (name.toUtf8().size() > maxBytes)
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    return name;
}

// The value of the first " group-title=" outside quotes and before the name's
// comma; none when its quoted value never closes.
QString groupTitle(QString line)
{
    while (line.endsWith(QChar(1)))
        line.chop(1);
    const QString attribute = QStringLiteral(" group-title=");
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'"') {
            quoted = !quoted;
        } else if (!quoted && line[i] == u',') {
            break;
        } else if (!quoted && line.mid(i).startsWith(attribute)) {
            const qsizetype start = i + attribute.size();
            if (start < line.size() && line[start] == u'"') {
                const qsizetype closing = line.indexOf(u'"', start + 1);
                return closing < 0 ? QString() : line.mid(start + 1, closing - start - 1);
            }
            qsizetype end = start;
            while (end < line.size() && line[end] != u' ' && line[end] != u',')
                ++end;
            return line.mid(start, end - start);
        }
    }
    return {};
}

void writeLine(const QString &line, QByteArray &out)
{
    out += LineCodec::UnicodeToUTF8(line) + "\r\n";
}

} // namespace

QByteArrayList playlistLines(QByteArrayView playlist)
{
    return splitLines(playlist.startsWith("\xEF\xBB\xBF") ? playlist.sliced(3) : playlist);
}

QString decode(QByteArrayView line, InputMode mode)
{
    LineCodec codec;
    return mode == InputMode::Utf8 ? codec.DecodeUTF8(line) : ansi::toUtf16(line);
}

QString readLine(QByteArrayView line, InputMode mode)
{
    return trimmed(decode(line, mode));
}

QString channelName(const QString &entry)
{
    bool quoted = false;
    for (qsizetype i = 0; i < entry.size(); ++i) {
        if (entry[i] == u'"')
            quoted = !quoted;
        else if (entry[i] == u',' && !quoted)
            return entry.mid(i + 1);
    }
    const qsizetype comma = entry.indexOf(u',');
    return comma < 0 ? entry : entry.mid(comma + 1);
}

QStringList channelNames(QByteArrayView playlist, InputMode mode)
{
    QStringList names;
    for (const QByteArray &line : playlistLines(playlist)) {
        if (isEntry(line, mode))
            names += channelName(entryLine(line, mode));
    }
    return names;
}

QStringList channelGroups(QByteArrayView playlist, InputMode mode)
{
    const QString groupLine = QStringLiteral("#EXTGRP:");
    QStringList groups;
    QString title, among, before, last;
    bool inChannel = false;
    const auto channelEnds = [&] {
        if (inChannel)
            groups += !title.isEmpty() ? title : !among.isEmpty() ? among : before;
    };
    for (const QByteArray &line : playlistLines(playlist)) {
        if (isEntry(line, mode)) {
            channelEnds();
            inChannel = true;
            title = groupName(groupTitle(entryLine(line, mode)), mode);
            among.clear();
            before = last;
        } else if (const QString read = readLine(line, mode); read.startsWith(groupLine)) {
            last = groupName(read.mid(groupLine.size()), mode);
            if (inChannel && among.isEmpty())
                among = last;
        }
    }
    channelEnds();
    return groups;
}

QByteArray writePlaylist(QByteArrayView playlist, InputMode mode, const QList<int> &entries)
{
    const QByteArrayList lines = playlistLines(playlist);
    QList<qsizetype> entryLines;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isEntry(lines[i], mode))
            entryLines.append(i);
    }

    QByteArray out;
    writeLine(headerLine(lines, mode), out);
    for (const int entry : entries) {
        const qsizetype at = entryLines[entry];
        const QByteArray &line = lines[at];
        writeLine(withoutGroupTitle(entryLine(line, mode).remove(QChar(1))), out);
        const qsizetype next = entry + 1 < entryLines.size() ? entryLines[entry + 1] : lines.size();
        for (qsizetype i = at + 1; i < next; ++i) {
            const QString after = trimmed(decode(lines[i], mode));
            if (after.isEmpty() || after.contains(QLatin1String("EXTGRP")) || after.contains(QLatin1String("EXTM3U")))
                continue;
            writeLine(after, out);
            if (!after.startsWith(u'#'))
                break; // the address
        }
    }
    return out;
}

} // namespace reference
