#include "common/TestSupport.h"
#include "common/SmallDisk.h"
#include "common/Unprivileged.h"
#include "fix/FixScript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using testsupport::hex;

namespace {

QByteArray golden()
{
    QFile file(QStringLiteral(KELVARO_FIX_DATA "/fix_krakozyabry.cmd.ref"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

constexpr QFileDevice::Permissions anyoneMayWrite = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                    | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                    | QFileDevice::ReadOther | QFileDevice::WriteOther;

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestFixScript : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bytesMatchGoldenFile();
    void everyLineEndsWithCrLf();
    void registryLinesQuoteFourParts();
    void commentLinesInWindows1251_data();
    void commentLinesInWindows1251();
    void scriptPath_data();
    void scriptPath();
    void writesScriptIntoFolder();
    void replacesLongerScript();
    void failures_data();
    void failures();
    void fullDiskKeepsTheOldScript_data();
    void fullDiskKeepsTheOldScript();
};

void TestFixScript::bytesMatchGoldenFile()
{
    const QByteArray expected = golden();
    QVERIFY(!expected.isEmpty());
    QCOMPARE(fixScriptBytes(), expected);
}

void TestFixScript::everyLineEndsWithCrLf()
{
    const QByteArray bytes = fixScriptBytes();
    QCOMPARE(bytes.count("\r\n"), 29);
    QCOMPARE(bytes.count('\r'), 29);
    QCOMPARE(bytes.count('\n'), 29);
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(!bytes.contains(" \r\n"));
}

void TestFixScript::registryLinesQuoteFourParts()
{
    const QList<QByteArray> lines = fixScriptBytes().split('\n');
    int registryLines = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith("reg "))
            continue;
        ++registryLines;
        QVERIFY2(i >= 3 && i <= 11, "registry lines are lines 4 to 12");
        QCOMPARE(lines[i].count('"'), 6);
        QVERIFY(lines[i].startsWith("reg add \"HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes\" /v \""));
        QVERIFY(lines[i].endsWith("\" /f\r"));
        QVERIFY(!lines[i].contains("  "));
    }
    QCOMPARE(registryLines, 9);
}

void TestFixScript::commentLinesInWindows1251_data()
{
    QTest::addColumn<int>("lineNumber");
    QTest::addColumn<QByteArray>("bytes");

    // rem Не допускает повторной обработки:
    QTest::addRow("line-18") << 18
                             << hex("72 65 6d 20 cd e5 20 e4 ee ef f3 f1 ea e0 e5 f2 20 ef ee e2 f2 ee f0 ed ee e9 20 ee e1 f0 e0 e1 ee f2 ea e8 3a");
    // rem Подмена кодовой таблицы:
    QTest::addRow("line-26") << 26 << hex("72 65 6d 20 cf ee e4 ec e5 ed e0 20 ea ee e4 ee e2 ee e9 20 f2 e0 e1 eb e8 f6 fb 3a");
    // rem Сохранение оригинального файла:
    QTest::addRow("line-24") << 24
                             << hex("72 65 6d 20 d1 ee f5 f0 e0 ed e5 ed e8 e5 20 ee f0 e8 e3 e8 ed e0 eb fc ed ee e3 ee 20 f4 e0 e9 eb e0 3a");
}

void TestFixScript::commentLinesInWindows1251()
{
    QFETCH(int, lineNumber);
    QFETCH(QByteArray, bytes);

    const QList<QByteArray> lines = fixScriptBytes().split('\n');
    QCOMPARE(lines.value(lineNumber - 1), bytes + '\r');
}

void TestFixScript::scriptPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");

    QTest::addRow("folder") << "/opt/kelvaro" << "/opt/kelvaro/fix_krakozyabry.cmd";
    QTest::addRow("folder-with-separator") << "/opt/kelvaro/" << "/opt/kelvaro/fix_krakozyabry.cmd";
    QTest::addRow("root") << "/" << "/fix_krakozyabry.cmd";
}

void TestFixScript::scriptPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(fixScriptPath(folder), path);
}

void TestFixScript::writesScriptIntoFolder()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    const Result<> written = writeFixScript(folder.path());
    QVERIFY2(written, written ? "" : qPrintable(written.failure().message()));
    QCOMPARE(contents(folder.filePath("fix_krakozyabry.cmd")), golden());
    QCOMPARE(entries(folder.path()), QStringList{"fix_krakozyabry.cmd"});
}

void TestFixScript::replacesLongerScript()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath("fix_krakozyabry.cmd");
    QVERIFY(writeBytes(path, QByteArray(10000, 'x')));

    QVERIFY(writeFixScript(folder.path()));
    QCOMPARE(contents(path), golden());
    QCOMPARE(entries(folder.path()), QStringList{"fix_krakozyabry.cmd"});
}

void TestFixScript::failures_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<QByteArray>("oldScript");
    QTest::addColumn<bool>("directoryAtPath");

    QTest::addRow("read-only-folder") << true << QByteArray() << false;
    QTest::addRow("read-only-folder-with-old-script") << true << QByteArray("old script\r\n") << false;
    QTest::addRow("directory-at-path") << false << QByteArray() << true;
}

// A failed write names the file, leaves no temporary file behind and does
// not touch what was there.
void TestFixScript::failures()
{
    QFETCH(bool, readOnlyFolder);
    QFETCH(QByteArray, oldScript);
    QFETCH(bool, directoryAtPath);
    if (!Unprivileged().active())
        QSKIP("no unprivileged user to switch to, for whom permission bits count");

    QTemporaryDir parent;
    QVERIFY(parent.isValid());
    Unprivileged::openUp(parent.path());
    const QString folder = parent.filePath("program");
    QVERIFY(QDir().mkdir(folder));
    const QString path = QDir(folder).filePath("fix_krakozyabry.cmd");
    if (!oldScript.isEmpty()) {
        QVERIFY(writeBytes(path, oldScript));
        // Writable for anyone, so that only the folder can stop the write.
        QVERIFY(QFile::setPermissions(path, anyoneMayWrite));
    }
    if (directoryAtPath) {
        // Open to the unprivileged user, so that only its being a directory
        // stops the write.
        QVERIFY(QDir().mkdir(path));
        Unprivileged::openUp(folder);
        Unprivileged::openUp(path);
    }
    if (readOnlyFolder)
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                                  | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QStringList before = entries(folder);

    Result<> written;
    {
        const Unprivileged user;
        written = writeFixScript(folder);
    }
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));

    QVERIFY(!written);
    QCOMPARE(written.failure().path, path);
    QVERIFY(written.failure().message().contains(QDir::toNativeSeparators(path)));
    QCOMPARE(entries(folder), before);
    if (!oldScript.isEmpty())
        QCOMPARE(contents(path), oldScript);
    if (directoryAtPath)
        QVERIFY(QFileInfo(path).isDir());
}

void TestFixScript::fullDiskKeepsTheOldScript_data()
{
    QTest::addColumn<int>("freeBytes");

    QTest::addRow("full") << 0;
    QTest::addRow("room-for-part") << 512;
}

// The script is written whole or not at all, and a failure says so.
void TestFixScript::fullDiskKeepsTheOldScript()
{
    QFETCH(int, freeBytes);

    SmallDisk disk(256 * 1024);
    KELVARO_REQUIRE_SMALL_DISK(disk);
    const QByteArray old = "old script\r\n";
    QFile previous(fixScriptPath(disk.path()));
    QVERIFY(previous.open(QIODevice::WriteOnly) && previous.write(old) == old.size());
    previous.close();
    disk.fillUpTo(freeBytes);

    const Result<> written = writeFixScript(disk.path());
    QVERIFY(!written);
    QVERIFY(!written.failure().reason.isEmpty());
    QVERIFY(previous.open(QIODevice::ReadOnly));
    QCOMPARE(previous.readAll(), old);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             (QStringList{".filler", "fix_krakozyabry.cmd"}));
}

QTEST_GUILESS_MAIN(TestFixScript)
#include "tst_fixscript.moc"
