#include "app/Form1.h"
#include "channels/ChannelListModel.h"
#include "common/TestSupport.h"
#include "common/Unprivileged.h"
#include "common/WindowDriver.h"
#include "intake/PlaylistLoader.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QTest>

using testsupport::hex;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString units(std::initializer_list<char16_t> list)
{
    QString s;
    for (char16_t u : list)
        s.append(QChar(u));
    return s;
}

} // namespace

class TestLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void inputs_data();
    void inputs();
    void rawCopyKeepsEveryByte_data();
    void rawCopyKeepsEveryByte();
    void saveFormat_data();
    void saveFormat();
    void unclassifiedNameKeepsFormat();
    void secondLoadRepeatsLastName();
    void cancelledDialog();
    void pathLimit();
    void unusableInput_data();
    void unusableInput();
    void unreadableInput();
    void plantedLinkIsNotFollowed();
    void bigInputs();
    void realPlaylists_data();
    void realPlaylists();
    void dialogSettings();
};

void TestLoader::inputs_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("ansi");
    QTest::addColumn<QStringList>("items");

    const QString fffd(QChar(0xFFFD));
    QTest::addRow("empty") << QByteArray() << false << QStringList();
    QTest::addRow("no-header") << QByteArray("#EXTINF:-1,A\nhttp://a\n") << false << QStringList{"A"};
    QTest::addRow("lf") << QByteArray("#EXTM3U\n#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n") << false << QStringList{"A", "B"};
    QTest::addRow("crlf") << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nu\r\n#EXTINF:-1,B\r\nu\r\n") << false
                          << QStringList{"A", "B"};
    QTest::addRow("mixed") << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\nu\r\n#EXTINF:-1,B\nu") << false
                           << QStringList{"A", "B"};
    QTest::addRow("lone-cr") << QByteArray("#EXTINF:-1,A\rB\nu\r") << false << QStringList{"AB"};
    QTest::addRow("last-line-without-lf") << QByteArray("#EXTM3U\n#EXTINF:-1,A") << false << QStringList{"A"};
    QTest::addRow("byte-order-mark") << hex("ef bb bf") + "#EXTM3U\n#EXTINF:-1,A\n" << false << QStringList{"A"};
    QTest::addRow("nul-in-name-utf8") << QByteArray("#EXTINF:-1,A\0B\n", 15) << false << QStringList{"A"};
    QTest::addRow("nul-in-name-ansi") << QByteArray("#EXTINF:-1,A\0B\n", 15) << true << QStringList{units({'A', 0, 'B'})};
    QTest::addRow("nul-before-tag-utf8") << QByteArray("x\0#EXTINF:-1,A\n", 15) << false << QStringList();
    QTest::addRow("nul-before-tag-ansi") << QByteArray("x\0#EXTINF:-1,A\n", 15) << true << QStringList{"A"};
    QTest::addRow("invalid-utf8") << QByteArray("#EXTINF:-1,A\xFF\xC0 B\n") << false << QStringList{"A" + fffd + fffd + " B"};
    QTest::addRow("windows-1251-in-utf8-mode") << "#EXTINF:-1," + hex("cf f0 e8") + "\n" << false
                                               << QStringList{QString(3, QChar(0xFFFD))};
    QTest::addRow("windows-1251-in-ansi-mode") << "#EXTINF:-1," + hex("cf f0 e8") + "\n" << true
                                               << QStringList{QStringLiteral("При")};
    QTest::addRow("utf8-in-ansi-mode") << QByteArray("#EXTINF:-1,При\n") << true << QStringList{QStringLiteral("РџСЂРё")};
    QTest::addRow("lowercase-tag") << QByteArray("#extinf:-1,A\nu\n") << false << QStringList();
    QTest::addRow("brackets-and-hash") << QByteArray("#EXTINF:-1,News [HD] #1\nhttp://x/#y\n") << false
                                       << QStringList{"News (HD) 1"};
    QTest::addRow("tag-in-url") << QByteArray("#EXTINF:-1,A\nhttp://x/EXTINF,y\n") << false << QStringList{"A", "y"};
    QTest::addRow("spaces-around") << QByteArray("  #EXTINF:-1,  A  \n") << false << QStringList{"  A"};
    QStringList eight;
    QByteArray eightInput;
    for (int i = 0; i < 8; ++i) {
        eightInput += "#EXTINF:-1,S\nhttp://s\n";
        eight << "S" + QString(qMin(i, 6), QChar(1));
    }
    QTest::addRow("eight-equal-names") << eightInput << false << eight;
    QByteArray binary = hex("89 50 4e 47 0d 0a 1a 0a 00 00 00 0d 49 48 44 52");
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) % 256));
    QTest::addRow("binary") << binary << false << QStringList();
}

void TestLoader::inputs()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, ansi);
    QFETCH(QStringList, items);
    WindowDriver driver;
    if (ansi)
        driver.selectOption("Option1");
    (void)driver.takeMessages(); // the switch before any load tells to load first
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), input));

    QCOMPARE(driver.sourceItems(), items);
    QCOMPARE(driver.labelText("Label2"), QString::number(items.size()));
    QCOMPARE(driver.window().session().channelCount, items.size());
    QVERIFY(driver.button("Command3")->isEnabled());
    QVERIFY(driver.button("Check1")->isEnabled());
    QVERIFY(!driver.button("Check1")->isChecked());
    for (const char *option : {"Option1", "Option2", "Option3", "Option4"})
        QVERIFY(driver.button(option)->isEnabled());
    QVERIFY(!driver.control<QLabel>("Label6")->isVisibleTo(&driver.window()));
    QVERIFY(driver.newItems().isEmpty());
    QCOMPARE(driver.button("Option1")->isChecked(), ansi);
    QCOMPARE(driver.takeMessages(), QStringList());
}

void TestLoader::rawCopyKeepsEveryByte_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("raw");
    QTest::addRow("lf-and-crlf-alike") << QByteArray("#EXTM3U\n#EXTINF:-1,A\r\nu") << QByteArray("EXTM3U\r\nEXTINF:-1,A\r\nu\r\n");
    QTest::addRow("invalid-utf8-kept") << hex("23 45 58 54 49 4e 46 2c ff c0 0a") << hex("45 58 54 49 4e 46 2c ff c0 0d 0a");
    QTest::addRow("nul-kept") << QByteArray("a\0b\n", 4) << QByteArray("a\0b\r\n", 5);
}

void TestLoader::rawCopyKeepsEveryByte()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, raw);
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), input));
    QCOMPARE(readAll(driver.rawCopyPath()), raw);
}

void TestLoader::saveFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("m3u");
    QTest::addColumn<bool>("m3u8");

    QTest::addRow("m3u") << "list.m3u" << "m3u" << true << false;
    QTest::addRow("m3u8") << "list.m3u8" << "m3u8" << false << true;
    QTest::addRow("txt") << "list.txt" << "txt" << true << false;
    QTest::addRow("no-dot-at-the-end") << "playlist" << "list" << false << true;
    QTest::addRow("upper-case") << "LIST.M3U8" << "M3U8" << false << true;
    QTest::addRow("dot-among-last-three") << "list.ab" << "" << false << false;
}

void TestLoader::saveFormat()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QFETCH(bool, m3u);
    QFETCH(bool, m3u8);
    WindowDriver driver;
    driver.load(driver.writeFile(name, "#EXTINF:-1,A\n"));
    QCOMPARE(driver.window().session().saveExtension, extension);
    QCOMPARE(driver.button("Option4")->isChecked(), m3u);
    QCOMPARE(driver.button("Option3")->isChecked(), m3u8);
    QCOMPARE(driver.window().session().playlistPath, driver.programFolder() + u'/' + name);
}

void TestLoader::unclassifiedNameKeepsFormat()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u8"), "#EXTINF:-1,A\n"));
    driver.load(driver.writeFile(QStringLiteral("b.ab"), "#EXTINF:-1,B\n"));
    QCOMPARE(driver.window().session().saveExtension, QStringLiteral("m3u8"));
    QVERIFY(driver.button("Option3")->isChecked());
    QCOMPARE(driver.sourceItems(), QStringList{"B"});
}

void TestLoader::secondLoadRepeatsLastName()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,X\nu\n#EXTINF:-1,Last\nu\n"));
    driver.load(driver.writeFile(QStringLiteral("b.m3u"), "#EXTINF:-1,Last\nu\n#EXTINF:-1,Y\nu\n"));
    QCOMPARE(driver.sourceItems(), (QStringList{QStringLiteral("Last\x01\x01"), "Y"}));
}

void TestLoader::cancelledDialog()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n"));
    driver.button("Check1")->setChecked(true);
    driver.load(QString());
    QCOMPARE(driver.sourceItems(), (QStringList{"A", "B"}));
    QCOMPARE(driver.labelText("Label2"), QStringLiteral("2"));
    QVERIFY(!driver.button("Check1")->isEnabled());
    QVERIFY(!driver.button("Check1")->isChecked());
    QVERIFY(driver.button("Command3")->isEnabled());
    QVERIFY(!QFile::exists(driver.rawCopyPath()));
    QVERIFY(!QFile::exists(driver.normalisedCopyPath()));
    QVERIFY(!driver.control<QLabel>("Label6")->isVisibleTo(&driver.window()));
    QCOMPARE(driver.takeMessages(), QStringList());
}

void TestLoader::pathLimit()
{
    WindowDriver driver;
    const QString folder = driver.programFolder() + u'/' + QString(250 - driver.programFolder().size(), u'd');
    QVERIFY(QDir().mkpath(folder));
    const QString fits = folder + QStringLiteral("/a.m3u"); // 256 characters
    QFile file(fits);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#EXTINF:-1,A\n");
    file.close();
    QVERIFY(fits.size() > PlaylistLoader::maxPathLength);
    driver.load(fits);
    QVERIFY(driver.sourceItems().isEmpty());
    QVERIFY(!driver.button("Check1")->isEnabled());
    QCOMPARE(driver.takeMessages(), QStringList());
}

void TestLoader::unusableInput_data()
{
    QTest::addColumn<QString>("what");
    QTest::addRow("directory") << "dir";
    QTest::addRow("vanished-file") << "missing.m3u";
}

void TestLoader::unusableInput()
{
    QFETCH(QString, what);
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("ok.m3u"), "#EXTINF:-1,A\n"));
    const QString path = driver.programFolder() + u'/' + what;
    if (what == QLatin1String("dir"))
        QVERIFY(QDir().mkdir(path));
    driver.load(path);
    const QStringList messages = driver.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QDir::toNativeSeparators(path)), qPrintable(messages.first()));
    QVERIFY(driver.sourceItems().isEmpty());
    QCOMPARE(driver.labelText("Label2"), QStringLiteral("0"));
    QVERIFY(!driver.button("Check1")->isEnabled());
    QVERIFY(!QFile::exists(driver.rawCopyPath()));
    QVERIFY(!QFile::exists(driver.normalisedCopyPath()));
    QVERIFY(!driver.control<QLabel>("Label6")->isVisibleTo(&driver.window()));
    QVERIFY(!driver.window().isBusy());
}

void TestLoader::unreadableInput()
{
#ifndef Q_OS_UNIX
    QSKIP("permission bits are a Unix matter");
#else
    WindowDriver driver;
    Unprivileged::openUp(driver.tempFolder());
    const QString path = driver.writeFile(QStringLiteral("locked.m3u"), "#EXTINF:-1,A\n");
    QVERIFY(QFile::setPermissions(path, {}));
    Unprivileged nobody;
    QVERIFY(nobody.active());
    driver.load(path);
    const QStringList messages = driver.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().contains(path));
    QVERIFY(driver.sourceItems().isEmpty());
    QVERIFY(!QFile::exists(driver.rawCopyPath()));
#endif
}

void TestLoader::plantedLinkIsNotFollowed()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links");
#else
    WindowDriver driver;
    const QString victim = driver.writeFile(QStringLiteral("victim.txt"), "precious");
    QVERIFY(QFile::link(victim, driver.rawCopyPath()));
    QVERIFY(QFile::link(victim, driver.normalisedCopyPath()));
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n"));
    QCOMPARE(readAll(victim), QByteArray("precious"));
    QVERIFY(!QFileInfo(driver.rawCopyPath()).isSymLink());
    QVERIFY(!QFileInfo(driver.normalisedCopyPath()).isSymLink());
    QCOMPARE(driver.sourceItems(), QStringList{"A"});
#endif
}

void TestLoader::bigInputs()
{
    WindowDriver driver;
    // About 50 MB: every channel listed, none dropped past 32 767.
    QByteArray big = "#EXTM3U\n";
    const QByteArray url = "http://example.invalid/" + QByteArray(400, 's') + "\n";
    int n = 0;
    while (big.size() < 50'000'000) {
        big += "#EXTINF:-1 tvg-id=\"x\" group-title=\"G\",Channel " + QByteArray::number(n++) + "\n" + url;
    }
    driver.load(driver.writeFile(QStringLiteral("big.m3u"), big));
    QCOMPARE(driver.sourceList().count(), n);
    QVERIFY(n > 100'000);
    QCOMPARE(driver.sourceList().text(n - 1), QStringLiteral("Channel %1").arg(n - 1));
    QCOMPARE(driver.labelText("Label2"), QString::number(n));

    // A line of 1 MB without a line end.
    driver.load(driver.writeFile(QStringLiteral("long.m3u"), "#EXTINF:-1," + QByteArray(1 << 20, 'x')));
    QCOMPARE(driver.sourceList().count(), 1);
    QCOMPARE(driver.sourceList().text(0).size(), 1 << 20);
}

void TestLoader::realPlaylists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("ansi");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("sample");
    QTest::addRow("iptv-org-all") << "iptv-org_all.m3u" << false << 15329 << QString();
    QTest::addRow("iptv-org-ru") << "iptv-org_ru.m3u" << false << 187 << QString();
    QTest::addRow("free-tv") << "free-tv_playlist.m3u8" << false << 2059 << QString();
    QTest::addRow("extgrp") << "smolnp_IPTVru_extgrp.m3u" << false << 140 << QStringLiteral("Первый канал HD");
    QTest::addRow("extgrp-cp1251") << "smolnp_IPTVru_extgrp.cp1251.m3u" << true << 140 << QStringLiteral("Первый канал HD");
    QTest::addRow("bom-crlf") << "smolnp_film_d-tv_bom_crlf.m3u" << false << 577 << QString();
}

void TestLoader::realPlaylists()
{
    QFETCH(QString, file);
    QFETCH(bool, ansi);
    QFETCH(int, channels);
    QFETCH(QString, sample);
    WindowDriver driver;
    if (ansi)
        driver.selectOption("Option1");
    (void)driver.takeMessages();
    driver.load(testsupport::playlistPath(file));
    QCOMPARE(driver.sourceList().count(), channels);
    if (!sample.isEmpty())
        QVERIFY2(driver.sourceItems().contains(sample), qPrintable(driver.sourceItems().mid(0, 5).join(u'|')));
    for (const QString &item : driver.sourceItems())
        QVERIFY2(!item.contains(u'#') && !item.contains(u'[') && !item.contains(u']'), qPrintable(item));
}

void TestLoader::dialogSettings()
{
    QWidget parent;
    std::unique_ptr<QFileDialog> dialog(PlaylistLoader::createDialog(&parent, QStringLiteral("/tmp")));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Открыть плейлист"));
    QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->directory().absolutePath(), QStringLiteral("/tmp"));
    QCOMPARE(dialog->nameFilters().size(), 1);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    auto combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(combo);
    QCOMPARE(combo->count(), 1);
    QCOMPARE(combo->itemText(0), QStringLiteral("Playlist (*.m3u)"));
    // The one pattern lists .m3u8 files too.
    auto model = dialog->findChild<QFileSystemModel *>();
    QVERIFY(model);
    QCOMPARE(model->nameFilters(), QStringList{QStringLiteral("*.m3u*")});
}

QTEST_MAIN(TestLoader)
#include "tst_loader.moc"
