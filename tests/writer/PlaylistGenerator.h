#pragma once

#include "encoding/Ansi.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <numeric>

// Random playlists made of the shapes real ones have and of the odd ones:
// option lines, group lines and group-title attributes of every form, quoted
// commas, brackets and "#" in names and addresses, namesakes, no header or a
// byte-order mark, CR LF, lone CR, empty lines, zero bytes and broken UTF-8,
// Windows-1251. The same seed gives the same playlists.
class PlaylistGenerator
{
public:
    explicit PlaylistGenerator(quint32 seed)
        : m_rng(seed)
    {
    }

    QByteArray playlist(int lines)
    {
        const bool windows1251 = chance(20);
        const QByteArray end = chance(30) ? "\r\n" : "\n";
        QByteArray out;
        if (chance(10))
            out += "\xEF\xBB\xBF";
        if (chance(80))
            out += pick<QByteArray>({"#EXTM3U", "#EXTM3U url-tvg=\"http://e.example/x.xml\"", " #EXTM3U x-tvg-url=y "}) + end;
        for (int i = 0; i < lines; ++i) {
            const QByteArray line = anyLine();
            out += (windows1251 ? ansi::fromUtf16(QString::fromUtf8(line)) : line) + (chance(3) ? "\r" : "") + end;
        }
        if (!out.isEmpty() && chance(10))
            out.chop(end.size());
        return out;
    }

    // Some of the entries, or all, in a random order, each once.
    QList<int> selection(int entries)
    {
        QList<int> chosen(entries);
        std::iota(chosen.begin(), chosen.end(), 0);
        std::shuffle(chosen.begin(), chosen.end(), m_rng);
        if (chance(70))
            chosen.resize(qsizetype(m_rng.bounded(entries + 1)));
        return chosen;
    }

private:
    bool chance(int percent) { return int(m_rng.bounded(100)) < percent; }

    template<typename T>
    T pick(const QList<T> &list)
    {
        return list[qsizetype(m_rng.bounded(quint32(list.size())))];
    }

    QByteArray name()
    {
        static const QList<QByteArray> pieces = {
            "A", "B", " HD", "ТВ", "НТВ", "Спорт", " [HD]", "#1", "Серия 1 (сезон 1)", "?", "*", ",", " ", "\xF0\x9F\x98\x80",
        };
        QByteArray n;
        for (int i = int(m_rng.bounded(1, 4)); i > 0; --i)
            n += pick(pieces);
        return n;
    }

    QByteArray junk()
    {
        static const char raw[] = "\x00\x01\x80\x98\xC0\xD0\x9F\xE2\x84\xED\xA0\xF0\xFF\"#[]A, EXTINF";
        static const QByteArray bytes(raw, sizeof raw - 1);
        QByteArray j;
        for (int i = int(m_rng.bounded(1, 6)); i > 0; --i)
            j += bytes[qsizetype(m_rng.bounded(quint32(bytes.size())))];
        return j;
    }

    QByteArray attributes()
    {
        static const QList<QByteArray> pieces = {
            " tvg-id=\"5\"", " tvg-logo=\"http://l.example/a.png\"", " group-title=\"Кино\"", " group-title=Кино",
            " group-title=\"A,B\"", " group-title=", " group-title=\"unclosed", ";group-title=G", " catchup=\"default\"",
            " http-user-agent=\"Mozilla/5.0 (KHTML, like Gecko) Chrome\"", " tvg-name=\"x, y\"", " \x01group-title=G",
            " group-title=G,", " tvg-name=\"group-title=z\"", " \"",
        };
        QByteArray a;
        for (int i = int(m_rng.bounded(4)); i > 0; --i)
            a += pick(pieces);
        return a;
    }

    QByteArray entry()
    {
        QByteArray line = pick<QByteArray>({"#EXTINF:-1", "#EXTINF:0", "  #EXTINF:-1", "EXTINF:-1", "#EXT#INF:-1"})
            + attributes();
        if (chance(3))
            line += " EXTM3U";
        switch (m_rng.bounded(12)) {
        case 0: // no comma
            return line + " " + name();
        case 1:
            return line + "," + junk() + name();
        case 2: // the name's text again: namesakes next to each other
            return m_lastEntry.isEmpty() ? line + "," + name() : m_lastEntry;
        default:
            m_lastEntry = line + "," + name() + (chance(10) ? " " : "");
            return m_lastEntry;
        }
    }

    QByteArray anyLine()
    {
        const quint32 kind = m_rng.bounded(100);
        if (kind < 32)
            return entry();
        if (kind < 58)
            return pick<QByteArray>({"http://u.example/", "  rtmp://u.example/[a]#", "http://u.example/?a=1&b=[2]#x"})
                + QByteArray::number(m_rng.bounded(1000));
        if (kind < 66)
            return pick<QByteArray>({"#EXTGRP:G", "#EXTGRP:Кино", "EXTGRP:G"});
        if (kind < 76)
            return pick<QByteArray>({"#EXTVLCOPT:http-user-agent=Mozilla/5.0 (KHTML, like Gecko)",
                                     "#EXTVLCOPT:http-referrer=http://r.example/#top", "#KODIPROP:inputstream=x",
                                     "  #EXTVLCOPT:network-caching=1000  "});
        if (kind < 82)
            return pick<QByteArray>({"", " ", "#"});
        if (kind < 85)
            return "#EXTM3U x-tvg-url=y";
        if (kind < 92)
            return junk();
        return "# a comment [with brackets]";
    }

    QRandomGenerator m_rng;
    QByteArray m_lastEntry;
};
