#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// What the program tells the user, exactly as it is shown.
namespace messages {

// Any operation that finds no working files: nothing is loaded.
inline QString loadPlaylistFirst()
{
    return QStringLiteral("Сначала загрузите плейлист в программу!");
}

// Where a new file went: next to the program, or into the user's folder.
inline QString playlistSaved(bool besideProgram, const QString &folder)
{
    return besideProgram ? QStringLiteral("Плейлист создан рядом с программой!")
                         : QStringLiteral("Плейлист создан в папке:\n") + QDir::toNativeSeparators(folder);
}

inline QString fixScriptWritten(bool besideProgram, const QString &folder)
{
    return besideProgram ? QStringLiteral("Файл-фикс fix_krakozyabry.cmd создан рядом с программой!")
                         : QStringLiteral("Файл-фикс fix_krakozyabry.cmd создан в папке:\n")
            + QDir::toNativeSeparators(folder);
}

// What "Как в прошлый раз" found: the count, and where some were not found,
// the first of their names and how many more.
inline QString foundInPrevious(qsizetype found, qsizetype total, const QStringList &notFound, qsizetype notFoundCount)
{
    // A name of megabytes is told by its start.
    constexpr qsizetype shownLength = 80;
    QString text = QStringLiteral("Найдено каналов: %1 из %2.").arg(found).arg(total);
    if (notFoundCount == 0)
        return text;
    QStringList names;
    for (const QString &name : notFound)
        names << (name.size() > shownLength ? name.left(shownLength) + QChar(0x2026) : name);
    text += QStringLiteral("\nНе найдены: ") + names.join(QStringLiteral(", "));
    if (notFoundCount > notFound.size())
        text += QStringLiteral(" и ещё %1").arg(notFoundCount - notFound.size());
    return text;
}

} // namespace messages
