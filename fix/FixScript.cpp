#include "fix/FixScript.h"

#include "base/WholeFile.h"
#include "encoding/Ansi.h"

#include <QDir>

namespace {

struct FontSubstitute
{
    const char *name;
    const char *data;
};

// ",0" asks for a face in the Western character set, ",204" is the same face
// in the Cyrillic one.
constexpr FontSubstitute fontSubstitutes[] = {
    {"Magix Corpid", "Arial"},
    {"Magix Corpid,0", "Arial,204"},
    {"Arial,0", "Arial,204"},
    {"Tahoma,0", "Tahoma,204"},
    {"Verdana,0", "Verdana,204"},
    {"Comic Sans MS,0", "Comic Sans MS,204"},
    {"Courier,0", "Courier,204"},
    {"MS Sans Serif,0", "MS Sans Serif,204"},
    {"Times New Roman,0", "Times New Roman,204"},
};

QString quoted(const char *text)
{
    return u'"' + QLatin1String(text) + u'"';
}

QString registryLine(const FontSubstitute &substitute)
{
    return QStringLiteral("reg add ")
           + quoted("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes")
           + QStringLiteral(" /v ") + quoted(substitute.name) + QStringLiteral(" /d ") + quoted(substitute.data)
           + QStringLiteral(" /f");
}

} // namespace

QStringList fixScriptLines()
{
    QStringList lines{
        QStringLiteral("@echo off"),
        QStringLiteral("pushd %SystemRoot%\\System32"),
        QStringLiteral("for %%F in (C_1250.NLS C_1252.NLS C_1253.NLS C_1254.NLS C_1255.NLS) do call :STAND %%F C_1251.NLS"),
    };
    for (const FontSubstitute &substitute : fontSubstitutes)
        lines << registryLine(substitute);
    lines << QStringLiteral("popd") << QStringLiteral("echo.") << QStringLiteral("pause") << QStringLiteral("goto :EOF")
          << QStringLiteral(":STAND")
          << QStringLiteral("rem Не допускает повторной обработки:")
          << QStringLiteral("if exist %1.bak goto :EOF")
          << QStringLiteral("rem Устанавливает владельцем текущего пользователя:")
          << QStringLiteral("takeown /f %1")
          << QStringLiteral("rem Предоставляет текущему пользователю полный (F) доступ:")
          << QStringLiteral("icacls %1 /grant %USERNAME%:(F)")
          << QStringLiteral("rem Сохранение оригинального файла:")
          << QStringLiteral("ren %1 *.*.bak")
          << QStringLiteral("rem Подмена кодовой таблицы:")
          << QStringLiteral("copy %2 %1")
          << QStringLiteral("rem Режим отката при неудачном копировании:")
          << QStringLiteral("fc /b %2 %1 >NUL || move /y %1.bak %1");
    return lines;
}

QByteArray fixScriptBytes()
{
    QByteArray bytes;
    for (const QString &line : fixScriptLines())
        bytes += ansi::fromUtf16(line) + "\r\n";
    return bytes;
}

QString fixScriptPath(const QString &folder)
{
    return QDir(folder).filePath(QLatin1String(fixScriptFileName));
}

Result<> writeFixScript(const QString &folder)
{
    WholeFile file(fixScriptPath(folder));
    if (Result<> opened = file.open(); !opened)
        return opened;
    const QByteArray bytes = fixScriptBytes();
    if (!writeAll(file.device(), bytes.constData(), bytes.size()))
        return FileFailure::of(FileFailure::Action::Write, file.device());
    return file.commit();
}
