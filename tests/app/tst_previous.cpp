#include "app/session/Messages.h"
#include "common/TestSupport.h"
#include "common/Unprivileged.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>

using Kind = WorkingFiles::Kind;

namespace {

using testsupport::playlistOf;

QByteArrayList entryLinesOf(const QByteArray &playlist)
{
    QByteArrayList entries;
    for (const QByteArray &line : playlist.split('\n')) {
        if (line.contains("EXTINF"))
            entries << line.trimmed();
    }
    return entries;
}

} // namespace

// «Как в прошлый раз»: the channels of a playlist saved before, found in a
// newly loaded one, ticked and put into the new list in the old order.
class TestPrevious : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oldOrderAndWhatIsGone();
    void realListThreeYearsOn();
    void badPreviousPlaylist_data();
    void badPreviousPlaylist();
    void unreadablePreviousPlaylist();
    void manyNotFoundAreCounted();
    void dialogInTheWindow();
};

void TestPrevious::oldOrderAndWhatIsGone()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    const QString previous = d.writeFile(QStringLiteral("Kelvaro.m3u"), playlistOf({"Спорт", "Дом кино", "Первый", "Охота и рыбалка"}));
    d.load(d.writeFile(QStringLiteral("update.m3u"), playlistOf({"Первый", "Новый", "Спорт", "Россия 1"})));
    d.tick({1, 3});
    d.create();
    d.createFromPrevious(previous);
    QCOMPARE(d.newItems(), (QStringList{"Спорт", "Первый"}));
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{0, 2}));
    QCOMPARE(s.newCount(), 2);
    QVERIFY(!s.isSelectAllTicked());
    QVERIFY(s.canSwitchEncoding());
    QVERIFY(s.canSave() && s.canMove());
    QCOMPARE(d.takeMessages(),
             QStringList{QStringLiteral("Найдено каналов: 2 из 4.\nНе найдены: Дом кино, Охота и рыбалка")});
    // The save writes the loaded playlist's entries, with their new addresses.
    d.save();
    (void)d.takeMessages();
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u")),
             testsupport::crlfLines({"#EXTM3U", "#EXTINF:-1,Спорт", "http://new/2", "#EXTINF:-1,Первый", "http://new/0"}));
    // All found: one sentence.
    d.createFromPrevious(previous);
    QCOMPARE(d.takeMessages(), QStringList{QStringLiteral("Найдено каналов: 2 из 2.")});
}

// One public list as it was in 2023, chosen from and saved, then applied to
// the same list three years later: the channels both hold, in the old order;
// every name still there word for word is found.
void TestPrevious::realListThreeYearsOn()
{
    const QString oldPath = testsupport::playlistPath(QStringLiteral("iptv-org-2023_ua.m3u"));
    const QString newPath = testsupport::playlistPath(QStringLiteral("iptv-org_ua.m3u"));
    KELVARO_REQUIRE_FILE(oldPath);
    KELVARO_REQUIRE_FILE(newPath);
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(oldPath);
    for (int channel = 0; channel < s.sourceList().count(); channel += 2)
        s.sourceList().setTicked(channel, true);
    d.create();
    for (int row = 1; row < s.newList().count(); ++row) // the list put in reverse
        s.moveToEdge({row}, NewListModel::Edge::Top);
    QStringList chosen = d.newItems();
    for (QString &name : chosen)
        name.remove(QChar(1)); // markers play no part
    d.save();
    (void)d.takeMessages();

    d.load(newPath);
    QStringList loaded = d.sourceItems();
    for (QString &name : loaded)
        name.remove(QChar(1));
    d.createFromPrevious(QDir(d.programFolder()).filePath(QStringLiteral("Kelvaro.m3u")));
    QStringList found = d.newItems();
    for (QString &name : found)
        name.remove(QChar(1));
    qsizetype lastChosen = -1;
    for (const QString &name : found) {
        // Found by the same name: in the order chosen, namesakes one by one.
        if (chosen.contains(name)) {
            lastChosen = chosen.indexOf(name, lastChosen + 1);
            QVERIFY2(lastChosen >= 0, qPrintable(name));
        }
    }
    for (const QString &name : chosen) {
        if (loaded.contains(name))
            QVERIFY2(found.contains(name), qPrintable(name));
    }
    QVERIFY(!found.isEmpty() && found.size() < chosen.size());
    QCOMPARE(tickedChannels(s.sourceList()).size(), found.size());
    const QStringList messages = d.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QStringLiteral("Найдено каналов: %1 из %2.").arg(found.size()).arg(chosen.size())),
             qPrintable(messages.first()));
    // The save writes the new playlist's entry lines.
    d.save();
    QFile fresh(newPath);
    QVERIFY(fresh.open(QIODevice::ReadOnly));
    const QByteArrayList freshEntries = entryLinesOf(fresh.readAll());
    for (const QByteArray &line : entryLinesOf(d.readFile(QStringLiteral("Kelvaro.m3u"))))
        QVERIFY2(freshEntries.contains(line), line.constData());
}

void TestPrevious::badPreviousPlaylist_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addRow("missing") << "missing" << QStringLiteral("Файл не найден.");
    QTest::addRow("folder") << "folder" << QStringLiteral("Это не файл.");
    QTest::addRow("empty") << "empty" << QStringLiteral("В файле нет ни одного канала.");
    QTest::addRow("no-entries") << "text" << QStringLiteral("В файле нет ни одного канала.");
    QTest::addRow("binary") << "binary" << QStringLiteral("В файле нет ни одного канала.");
    QTest::addRow("huge") << "huge" << QStringLiteral("Файл больше 256 МБ.");
#ifdef Q_OS_UNIX
    QTest::addRow("device") << "device" << QStringLiteral("Это не файл.");
#endif
}

// A clear message, and the ticks, the new list and the working files stay.
void TestPrevious::badPreviousPlaylist()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("list.m3u"), playlistOf({"A", "B", "C"})));
    d.tick({0, 2});
    d.create();
    s.moveChannel(1, NewListModel::Direction::Up);
    const QByteArray normalised = d.workingFile(Kind::Normalised);
    QString path = QDir(d.programFolder()).filePath(QStringLiteral("previous.m3u"));
    if (kind == u"folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == u"empty") {
        d.writeFile(QStringLiteral("previous.m3u"), {});
    } else if (kind == u"text") {
        d.writeFile(QStringLiteral("previous.m3u"), "#EXTM3U\nhttp://a/1\nПросто текст\n");
    } else if (kind == u"binary") {
        QByteArray binary;
        for (int i = 0; i < 100000; ++i)
            binary += char((i * 7919) % 256);
        d.writeFile(QStringLiteral("previous.m3u"), binary);
    } else if (kind == u"huge") {
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(qint64(3) << 30)); // sparse: no disk is spent
    } else if (kind == u"device") {
        path = QStringLiteral("/dev/zero");
    }
    d.createFromPrevious(path);
    const QStringList messages = d.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().endsWith(reason), qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(QDir::toNativeSeparators(path)), qPrintable(messages.first()));
    QCOMPARE(d.newItems(), (QStringList{"C", "A"}));
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{0, 2}));
    QCOMPARE(d.workingFile(Kind::Normalised), normalised);
    QVERIFY(!s.isBusy());
}

void TestPrevious::unreadablePreviousPlaylist()
{
#ifndef Q_OS_UNIX
    QSKIP("permission bits are a Unix matter");
#else
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("list.m3u"), playlistOf({"A"})));
    const QString path = d.writeFile(QStringLiteral("previous.m3u"), playlistOf({"A"}));
    QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    {
        Unprivileged::openUp(d.programFolder());
        Unprivileged nobody;
        QVERIFY(nobody.active());
        d.createFromPrevious(path);
    }
    const QStringList messages = d.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QStringLiteral("Не удалось открыть файл!")), qPrintable(messages.first()));
    QVERIFY(d.newItems().isEmpty());
#endif
}

// Of many names not found, the first twenty are told and the rest counted;
// a name of megabytes is told by its start.
void TestPrevious::manyNotFoundAreCounted()
{
    SessionDriver d;
    QStringList gone;
    for (int i = 0; i < 25; ++i)
        gone << QStringLiteral("Нет %1").arg(i);
    gone << QString(100000, u'Ж');
    d.load(d.writeFile(QStringLiteral("list.m3u"), playlistOf({"Есть"})));
    d.createFromPrevious(d.writeFile(QStringLiteral("previous.m3u"), playlistOf(QStringList{"Есть"} + gone)));
    const QString expected = QStringLiteral("Найдено каналов: 1 из 27.\nНе найдены: ") + gone.mid(0, 20).join(QStringLiteral(", "))
                             + QStringLiteral(" и ещё 6");
    QCOMPARE(d.takeMessages(), QStringList{expected});
    QCOMPARE(messages::foundInPrevious(0, 1, {QString(100, u'Ж')}, 1),
             QStringLiteral("Найдено каналов: 0 из 1.\nНе найдены: ") + QString(80, u'Ж') + QChar(0x2026));
}

// The button goes with «Создать»; its dialog starts where saves go with the
// newest saved playlist chosen; a cancel changes nothing.
void TestPrevious::dialogInTheWindow()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    QVERIFY(!driver.button("Command6")->isEnabled());
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), playlistOf({"A", "B"})));
    QVERIFY(driver.button("Command6")->isEnabled());
    QCOMPARE(driver.button("Command6")->text(), QStringLiteral("Как в прошлый раз"));
    const QString older = driver.writeFile(QStringLiteral("Kelvaro.m3u"), playlistOf({"B"}));
    const QString newer = driver.writeFile(QStringLiteral("Kelvaro.m3u8"), playlistOf({"A"}));
    QFile aged(older);
    QVERIFY(aged.open(QIODevice::ReadWrite));
    QVERIFY(aged.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    aged.close();

    driver.createFromPrevious(QString()); // cancelled
    QCOMPARE(driver.lastRequest().title, QStringLiteral("Прежний плейлист"));
    QCOMPARE(driver.lastRequest().folder, driver.programFolder());
    QCOMPARE(driver.lastRequest().selected, QFileInfo(newer).absoluteFilePath());
    QVERIFY(driver.newItems().isEmpty());
    QVERIFY(!driver.button("Command2")->isEnabled());
    QCOMPARE(driver.takeMessages(), QStringList());

    driver.createFromPrevious(older);
    QCOMPARE(driver.newItems(), QStringList{"B"});
    QCOMPARE(driver.labelText("Label4"), QStringLiteral("1"));
    QVERIFY(driver.button("Command2")->isEnabled());
    QCOMPARE(driver.takeMessages(), QStringList{QStringLiteral("Найдено каналов: 1 из 1.")});
    QCOMPARE(driver.window().focusWidget(), driver.control("Picture1"));
}

QTEST_MAIN(TestPrevious)
#include "tst_previous.moc"
