#pragma once

#include "WriterTestSupport.h"

#include "encoding/Ansi.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>

// Generators of normalised copies and of new lists for the differential tests.
namespace writertest {

// The random choices both generators make, from a seed, so a failure repeats.
class RandomChoices
{
protected:
    explicit RandomChoices(quint32 seed)
        : m_rng(seed)
    {
    }

    bool chance(int percent) { return int(m_rng.bounded(100)) < percent; }

    template<typename T>
    T pick(const QList<T> &list)
    {
        return list[qsizetype(m_rng.bounded(quint32(list.size())))];
    }

    QRandomGenerator m_rng;
};

// Random normalised copies made of the shapes the writer meets, and of the
// odd ones: shared name suffixes, wildcards and markers in names, group and
// option lines, broken group attributes, header lines where entries stand,
// zero bytes and broken UTF-8.
class CopyGenerator : RandomChoices
{
public:
    explicit CopyGenerator(quint32 seed)
        : RandomChoices(seed)
    {
    }

    QByteArray copy()
    {
        const bool windows1251 = chance(20);
        const int lineCount = int(m_rng.bounded(40));
        QByteArray out;
        for (int i = 0; i < lineCount; ++i) {
            const QByteArray line = i == 0 ? firstLine() : anyLine();
            out += (windows1251 ? recode(line) : line) + "\r\n";
        }
        if (lineCount > 0 && chance(10))
            out.chop(2);
        return out;
    }

    QStringList items(const QStringList &names)
    {
        QStringList items;
        const int count = int(m_rng.bounded(12));
        for (int i = 0; i < count; ++i) {
            if (!items.isEmpty() && chance(15))
                items.append(pick(items));
            else if (!names.isEmpty() && chance(70))
                items.append(mutate(pick(names)));
            else
                items.append(QString::fromUtf8(name()));
        }
        return items;
    }

private:
    QByteArray name()
    {
        static const QList<QByteArray> pieces = {
            "A", "B", "1", " HD", "ТВ", "НТВ", "Спорт", "Кино", "?", "*", "ё", "\xF0\x9F\x98\x80", ",",
        };
        QByteArray n;
        for (int i = int(m_rng.bounded(1, 4)); i > 0; --i)
            n += pick(pieces);
        if (chance(20))
            n += QByteArray(int(m_rng.bounded(1, 7)), '\x01');
        return n;
    }

    QByteArray junk()
    {
        static const QByteArray bytes("\x00\x01\x80\x98\xC0\xD0\x9F\xE2\x84\xED\xA0\xF0\xFF" "A, EXTINF?", 23);
        QByteArray j;
        for (int i = int(m_rng.bounded(1, 6)); i > 0; --i)
            j += bytes[qsizetype(m_rng.bounded(quint32(bytes.size())))];
        return j;
    }

    QByteArray entry()
    {
        static const QList<QByteArray> attributes = {
            "", "", " tvg-id=5", " group-title=G", " tvg-id=1 group-title=Кино tvg-logo=k",
            " group-title=\"A,B\"", ";group-title=G", " group-title=A group-title=B", " \x01group-title=G",
        };
        QByteArray line = "#EXTINF:-1" + pick(attributes);
        if (chance(5))
            line += " EXTGRP";
        if (chance(3))
            line += "EXTM3U";
        switch (m_rng.bounded(10)) {
        case 0: // no comma
            return line + " " + name();
        case 1: // comma before the attribute
            return "#EXTINF:-1," + name() + pick(attributes);
        case 2:
            return line + "," + junk() + name();
        default:
            return line + "," + name();
        }
    }

    QByteArray firstLine()
    {
        switch (m_rng.bounded(8)) {
        case 0:
            return "#EXTM3U url-tvg=\"http://e.example/x.xml\" group-title=G,x";
        case 1:
            return "#\xEF\xBB\xBF" "EXTM3U";
        case 2:
            return "";
        case 3:
            return anyLine();
        default:
            return "#EXTM3U";
        }
    }

    QByteArray anyLine()
    {
        const quint32 kind = m_rng.bounded(100);
        if (kind < 35)
            return entry();
        if (kind < 60)
            return "http://u.example/" + QByteArray::number(m_rng.bounded(1000));
        if (kind < 70)
            return "EXTGRP:" + pick(QList<QByteArray>{"G", "Кино", "G group-title=X,Y"});
        if (kind < 76)
            return "EXTVLCOPT:http-referrer=x";
        if (kind < 82)
            return "";
        if (kind < 86)
            return "#EXTM3U x-tvg-url=y";
        if (kind < 92)
            return junk();
        return "text group-title=G,after" + name();
    }

    // The same line in Windows-1251, where the file holds it so.
    static QByteArray recode(const QByteArray &utf8Line)
    {
        return ansi::fromUtf16(QString::fromUtf8(utf8Line));
    }

    QString mutate(QString item)
    {
        switch (m_rng.bounded(8)) {
        case 0:
            if (!item.isEmpty())
                item[qsizetype(m_rng.bounded(quint32(item.size())))] = u'?';
            return item;
        case 1:
            return item.insert(qsizetype(m_rng.bounded(quint32(item.size() + 1))), u'*');
        case 2:
            return item.mid(qsizetype(m_rng.bounded(quint32(item.size() + 1))));
        case 3:
            return item + QChar(1);
        default:
            return item;
        }
    }
};

// Copies with thousands of entries, shaped to reach what the small ones never
// do: the index's first sorting pass, endings shared over many 16-byte chunks
// and over more than 255 bytes, equal texts, names only their own entry ends
// with next to names other entries end with too, and the searches behind
// items with "?", gap by gap and, where the gaps are too varied, the others.
class LargeCopyGenerator : RandomChoices
{
public:
    explicit LargeCopyGenerator(quint32 seed)
        : RandomChoices(seed)
    {
    }

    QByteArray copy(int entries)
    {
        QStringList lines{QStringLiteral("#EXTM3U")};
        QStringList names;
        QStringList entryLines;
        for (int k = 0; k < entries; ++k) {
            QString line;
            const quint32 kind = m_rng.bounded(20);
            if (kind == 0 && !entryLines.isEmpty()) {
                line = pick(entryLines); // the same text again
            } else {
                const QString name = kind == 1 && !names.isEmpty() ? pick(names) : newName();
                names.append(name);
                line = QStringLiteral("#EXTINF:-1 tvg-id=\"t%1\"").arg(k)
                     + (chance(25) ? QStringLiteral(" group-title=\"G%1\"").arg(k % 7) : QString()) + u',' + name;
                entryLines.append(line);
            }
            lines.append(line);
            if (chance(10))
                lines.append(QStringLiteral("EXTGRP:G"));
            lines.append(QStringLiteral("http://u.example/%1").arg(k));
        }
        return writertest::crlfLines(lines);
    }

    QStringList items(const QStringList &names)
    {
        QStringList items;
        const auto name = [&] { return pick(names); };
        for (int i = 0; i < 120; ++i)
            items.append(name());
        for (int i = 0; i < 20; ++i) {
            const QString n = name();
            items.append(n.mid(qsizetype(m_rng.bounded(quint32(n.size() + 1)))));
        }
        for (const int count : {1, 1, 2, 4, 4}) {
            for (int i = 0; i < 6; ++i) {
                const QString n = name();
                items.append(n.chopped(std::min<qsizetype>(count, n.size())) + QString(count, u'?'));
            }
        }
        for (int i = 0; i < 20; ++i) {
            // A "?" or three before a common ending.
            const QString n = withEnding(name());
            const QString ending = endingOf(n);
            const qsizetype count = chance(30) ? 3 : 1;
            const qsizetype at = n.size() - ending.size() - count - qsizetype(m_rng.bounded(3));
            items.append(at > 0 ? QString(n).replace(at, count, QString(count, u'?')) : n);
        }
        for (int i = 0; i < 6; ++i) {
            QString n = name();
            items.append(n.insert(qsizetype(m_rng.bounded(quint32(n.size() + 1))), u'*'));
        }
        items.append(name() + QChar(1));
        items.append(QString());
        std::shuffle(items.begin(), items.end(), m_rng);
        return items;
    }

private:
    static const QStringList &endings()
    {
        static const QStringList list = {
            QStringLiteral(" (1080p)"), QStringLiteral(" (720p)"), QStringLiteral(" (1080p) [Not 24/7]"),
            QStringLiteral(" [Geo-blocked]"), QStringLiteral(" HD"),
        };
        return list;
    }

    static QString endingOf(const QString &name)
    {
        for (const QString &e : endings()) {
            if (name.endsWith(e))
                return e;
        }
        return {};
    }

    QString withEnding(const QString &name)
    {
        return endingOf(name).isEmpty() ? name + pick(endings()) : name;
    }

    QString newName()
    {
        static const QStringList words = {
            QStringLiteral("Первый"), QStringLiteral("НТВ"), QStringLiteral("ТВ"), QStringLiteral("Kino"),
            QStringLiteral("Sport"), QStringLiteral("News"), QStringLiteral("Музыка"), QStringLiteral("Euro"),
        };
        static const QString longEnding = QStringLiteral(" and a long shared ending").repeated(12);
        switch (m_rng.bounded(10)) {
        case 0: // endings, and what comes before a common one, as varied as the numbers
            return QStringLiteral("Channel %1").arg(m_rng.bounded(100000)) + (chance(50) ? pick(endings()) : QString());
        case 1: // longer than the shared counts go
            return pick(words) + longEnding + (chance(50) ? QStringLiteral("!") : QString());
        case 2: // names that end other names
            return pick(QStringList{QStringLiteral("ТВ"), QStringLiteral("НТВ"), QStringLiteral("1"),
                                    QStringLiteral("Sport 1"), QStringLiteral("Euro Sport 1")});
        case 3:
            return pick(words) + QStringLiteral(", ") + pick(words);
        case 4:
            return chance(10) ? QString() : pick(words);
        default: {
            QString n = pick(words) + u' ' + pick(words);
            if (chance(80))
                n += pick(endings());
            if (chance(50))
                n += QStringLiteral(" (%1)").arg(m_rng.bounded(1, 10));
            return n;
        }
        }
    }
};

} // namespace writertest
