#include "channels/ChannelListModel.h"
#include "channels/NewListView.h"
#include "common/TestSupport.h"
#include "common/Unprivileged.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

const QString saved = QStringLiteral("Плейлист создан рядом с программой!");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QPoint centreOf(NewListView *view, int row)
{
    return view->visualRect(view->model()->index(row, 0)).center();
}

void tickAndCreate(WindowDriver &driver, const QStringList &names)
{
    for (const QString &name : names)
        driver.sourceList().setChecked(int(driver.sourceItems().indexOf(name)), true);
    driver.clickButton("Command3");
}

} // namespace

class TestSaveWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theWholeWay();
    void secondSaveMakesTheBackup();
    void emptyNewList();
    void nothingLoaded();
    void ansiModeWritesUtf8_data();
    void ansiModeWritesUtf8();
    void readOnlyProgramFolder();
    void movesDuringASaveWaitForTheNext();
};

void TestSaveWindow::theWholeWay()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.load(driver.writeFile(QStringLiteral("list.m3u"),
                                 "#EXTM3U url-tvg=\"http://epg\"\n"
                                 "#EXTINF:-1 tvg-id=\"1\" group-title=\"Новости\",Первый [HD]\n"
                                 "#EXTGRP:Новости\n"
                                 "http://a/1\n"
                                 "#EXTINF:-1 group-title=\"Кино\",Кино\n"
                                 "http://a/2\n"
                                 "#EXTINF:-1,Спорт\n"
                                 "http://a/3\n"
                                 "#EXTINF:-1,Спорт\n"
                                 "http://a/4\n"));
    tickAndCreate(driver, {QStringLiteral("Первый (HD)"), QStringLiteral("Кино"), QStringLiteral("Спорт\x01")});
    auto list = driver.control<NewListView>("List2");
    list->selectRow(2);
    QTest::mouseClick(driver.control("Command4"), Qt::LeftButton);
    QTest::mouseClick(driver.control("Command4"), Qt::LeftButton);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, centreOf(list, 2));
    QTest::mouseMove(list->viewport(), centreOf(list, 0));
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centreOf(list, 0));
    QCOMPARE(driver.newItems(), (QStringList{QStringLiteral("Кино"), QStringLiteral("Спорт\x01"),
                                             QStringLiteral("Первый (HD)")}));

    driver.clickButton("Command2");
    QCOMPARE(driver.takeMessages(), QStringList{saved});
    QCOMPARE(readAll(driver.programFolder() + QStringLiteral("/Kelvaro.m3u")),
             QByteArray("#EXTM3U\r\n"
                        "#EXTINF:-1,Кино\r\n"
                        "http://a/2\r\n"
                        "#EXTINF:-1,Спорт\r\n"
                        "http://a/4\r\n"
                        "#EXTINF:-1 tvg-id=\"1\",Первый (HD)\r\n"
                        "http://a/1\r\n"));
    QVERIFY(!QFile::exists(driver.programFolder() + QStringLiteral("/Playlist_OLD.m3u")));
    QVERIFY(driver.button("Command2")->isEnabled());
    QVERIFY(!driver.control<QLabel>("Label6")->isVisible());
    QCOMPARE(driver.window().focusWidget(), driver.control("Picture1"));
}

void TestSaveWindow::secondSaveMakesTheBackup()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("list.m3u8"), "#EXTM3U\n#EXTINF:-1,A\nu1\n#EXTINF:-1,B\nu2\n"));
    const QString other = driver.writeFile(QStringLiteral("Kelvaro.m3u"), "untouched");
    tickAndCreate(driver, {"A"});
    driver.clickButton("Command2");
    const QByteArray first = readAll(driver.programFolder() + QStringLiteral("/Kelvaro.m3u8"));
    QCOMPARE(first, QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nu1\r\n"));
    tickAndCreate(driver, {"B"});
    driver.clickButton("Command2");
    QCOMPARE(readAll(driver.programFolder() + QStringLiteral("/Playlist_OLD.m3u8")), first);
    QCOMPARE(readAll(driver.programFolder() + QStringLiteral("/Kelvaro.m3u8")),
             QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nu1\r\n#EXTINF:-1,B\r\nu2\r\n"));
    QCOMPARE(readAll(other), QByteArray("untouched"));
    QCOMPARE(driver.takeMessages(), (QStringList{saved, saved}));
    // Nothing else is left in the folder: no temporary files.
    QCOMPARE(QDir(driver.programFolder()).entryList(QDir::Files),
             (QStringList{"Kelvaro.m3u", "Kelvaro.m3u8", "list.m3u8", "Playlist_OLD.m3u8"}));
}

void TestSaveWindow::emptyNewList()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), "#EXTM3U\n#EXTINF:-1,A\nu1\n"));
    driver.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
    driver.clickButton("Command3"); // nothing ticked
    QVERIFY(driver.button("Command2")->isEnabled());
    driver.clickButton("Command2");
    QCOMPARE(driver.takeMessages(), QStringList{saved});
    QVERIFY(!QFile::exists(driver.programFolder() + QStringLiteral("/Kelvaro.m3u")));
    QCOMPARE(readAll(driver.programFolder() + QStringLiteral("/Playlist_OLD.m3u")), QByteArray("previous"));
}

void TestSaveWindow::nothingLoaded()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), "#EXTINF:-1,A\nu1\n"));
    tickAndCreate(driver, {"A"});
    driver.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
    driver.load(QString()); // cancelled: the working files are gone
    driver.clickButton("Command2");
    QCOMPARE(driver.takeMessages(), QStringList{QStringLiteral("Сначала загрузите плейлист в программу!")});
    QCOMPARE(readAll(driver.programFolder() + QStringLiteral("/Kelvaro.m3u")), QByteArray("previous"));
    QVERIFY(driver.button("Command2")->isEnabled());
    QVERIFY(!driver.control<QLabel>("Label6")->isVisibleTo(&driver.window()));
}

void TestSaveWindow::ansiModeWritesUtf8_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    // П in Windows-1251 comes out as its UTF-8 bytes.
    QTest::addRow("windows-1251") << "#EXTM3U\n" + testsupport::hex("23 45 58 54 49 4e 46 3a 2d 31 2c cf 0a 75 0a")
                                  << "#EXTM3U\r\n" + testsupport::hex("23 45 58 54 49 4e 46 3a 2d 31 2c d0 9f 0d 0a 75 0d 0a");
    // A UTF-8 file read as ANSI text is written encoded twice.
    QTest::addRow("utf8-read-as-ansi") << "#EXTM3U\n" + testsupport::hex("23 45 58 54 49 4e 46 3a 2d 31 2c d0 9f 0a 75 0a")
                                       << "#EXTM3U\r\n" + testsupport::hex("23 45 58 54 49 4e 46 3a 2d 31 2c d0 a0 d1 9f 0d 0a 75 0d 0a");
}

void TestSaveWindow::ansiModeWritesUtf8()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    WindowDriver driver;
    driver.selectOption("Option1");
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), input));
    driver.sourceList().setChecked(0, true);
    driver.clickButton("Command3");
    driver.clickButton("Command2");
    QCOMPARE(readAll(driver.programFolder() + QStringLiteral("/Kelvaro.m3u")), output);
}

void TestSaveWindow::readOnlyProgramFolder()
{
#ifndef Q_OS_UNIX
    QSKIP("permission bits are a Unix matter");
#else
    WindowDriver driver;
    Unprivileged::openUp(driver.tempFolder());
    Unprivileged::openUp(driver.programFolder());
    {
        Unprivileged nobody;
        QVERIFY(nobody.active());
        driver.load(driver.writeFile(QStringLiteral("list.m3u"), "#EXTINF:-1,A\nu1\n"));
        driver.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
        tickAndCreate(driver, {"A"});
    }
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
        | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(driver.programFolder(), readOnly));
    {
        Unprivileged nobody;
        driver.clickButton("Command2");
    }
    QVERIFY(QFile::setPermissions(driver.programFolder(), readOnly | QFile::WriteOwner));
    const QStringList messages = driver.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(!messages.first().contains(saved), qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(QDir::toNativeSeparators(driver.programFolder())), qPrintable(messages.first()));
    QCOMPARE(readAll(driver.programFolder() + QStringLiteral("/Kelvaro.m3u")), QByteArray("previous"));
    QVERIFY(!QFile::exists(driver.programFolder() + QStringLiteral("/Playlist_OLD.m3u")));
    QVERIFY(driver.button("Command2")->isEnabled());
    QVERIFY(!driver.control<QLabel>("Label6")->isVisibleTo(&driver.window()));
#endif
}

void TestSaveWindow::movesDuringASaveWaitForTheNext()
{
    WindowDriver driver;
    QByteArray input = "#EXTM3U\n";
    QStringList names;
    driver.window().setEveryLineASliceForTesting();
    for (int i = 0; i < 2000; ++i) {
        input += "#EXTINF:-1,C" + QByteArray::number(i) + "\nhttp://x/" + QByteArray::number(i) + "\n";
        names << QStringLiteral("C%1").arg(i);
    }
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), input));
    for (int i = 0; i < names.size(); ++i)
        driver.sourceList().setChecked(i, true);
    driver.clickButton("Command3");

    bool movedWhileSaving = false;
    QTimer::singleShot(0, &driver.window(), [&] {
        movedWhileSaving = driver.window().isBusy();
        driver.newList().swap(0, 1);
    });
    driver.clickButton("Command2");
    QVERIFY(movedWhileSaving);
    const QByteArray out = readAll(driver.programFolder() + QStringLiteral("/Kelvaro.m3u"));
    QVERIFY(out.startsWith("#EXTM3U\r\n#EXTINF:-1,C0\r\nhttp://x/0\r\n#EXTINF:-1,C1\r\n"));
    QCOMPARE(driver.newItems().mid(0, 2), (QStringList{"C1", "C0"}));
}

QTEST_MAIN(TestSaveWindow)
#include "tst_savewindow.moc"
