#include "app/PlaylistDialog.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QTest>

namespace {

const QByteArray threeChannels = "#EXTM3U\n#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n#EXTINF:-1,C\nu\n";
// Первый, Второй, Третий
const QByteArray cyrillicUtf8 = "#EXTM3U\n#EXTINF:-1,Первый\nu\n#EXTINF:-1,Второй\nu\n#EXTINF:-1,Третий\nu\n";
const QByteArray cyrillicAnsi = QByteArray::fromHex("23455854494e463a2d312ccfe5f0e2fbe90a750a23455854494e463a2d312cc2f2eef0eee90a750a"
                                                    "23455854494e463a2d312cd2f0e5f2e8e90a750a");

// The controls whose enabled state the window derives, and those of them
// that can be checked.
const char *const enabledControls[] = {"Command1", "Command3", "Command2", "Command4", "Command5",
                                       "Check1",   "Option1",  "Option2",  "Option3",  "Option4"};
const char *const checkableControls[] = {"Check1", "Option1", "Option2", "Option3", "Option4"};

// One step a user takes in the window.
void take(WindowDriver &driver, const QString &step)
{
    if (step == u"load")
        driver.load(driver.writeFile(QStringLiteral("a.m3u"), threeChannels));
    else if (step == u"load-cp1251")
        driver.load(driver.writeFile(QStringLiteral("a.m3u"), cyrillicAnsi));
    else if (step == u"load-utf8")
        driver.load(driver.writeFile(QStringLiteral("a.m3u"), cyrillicUtf8));
    else if (step == u"load-m3u8")
        driver.load(driver.writeFile(QStringLiteral("a.m3u8"), threeChannels));
    else if (step == u"start-load") {
        const QString path = driver.writeFile(QStringLiteral("a.m3u"), threeChannels);
        driver.window().setFileChooserForTesting([path](QWidget *, const playlistDialog::Request &) { return std::optional(path); });
        driver.button("Command1")->click();
    }
    else if (step == u"load-missing")
        driver.load(driver.programFolder() + QStringLiteral("/missing.m3u"));
    else if (step == u"cancel")
        driver.load(QString());
    else if (step == u"tick") {
        driver.session().sourceList().setTicked(0, true);
        driver.session().sourceList().setTicked(2, true);
    } else if (step == u"select-all") {
        QTest::mouseClick(driver.control("Check1"), Qt::LeftButton);
        driver.waitForEnd();
    } else if (step == u"create")
        driver.click("Command3");
    else if (step == u"ansi")
        driver.click("Option1");
    else if (step == u"m3u8")
        driver.click("Option3");
    else if (step == u"save")
        driver.click("Command2");
    else if (step == u"start-save") // the states are read while it runs
        driver.button("Command2")->click();
    else
        qFatal("unknown step %s", qPrintable(step));
}

} // namespace

// What the window adds to the session: it hands clicks to it and shows its
// state, counters and messages; the open-file dialog.
class TestForm1Bindings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void stateAfterSteps_data();
    void stateAfterSteps();
    void busyWindowIgnoresInput();
    void saveFormatReachesTheSave();
    void pathLimit_data();
    void pathLimit();
    void dialogSettings();
    void dialogStartsInTheProgramFolder();
};

void TestForm1Bindings::stateAfterSteps_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QString>("channels"); // Label2
    QTest::addColumn<QString>("chosen");   // Label4
    QTest::addColumn<int>("currentRow");   // of List1
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("busy"); // the last step still runs

    const auto row = [](const char *name, const QString &steps, const char *enabled, const char *checked,
                        const char *channels, const char *chosen, int currentRow, int messages) {
        QTest::newRow(name) << steps.split(u' ', Qt::SkipEmptyParts) << QString::fromLatin1(enabled)
                            << QString::fromLatin1(checked) << QString::fromLatin1(channels)
                            << QString::fromLatin1(chosen) << currentRow << messages << steps.contains(u"start-");
    };
    const char *loaded = "Command1 Command3 Check1 Option1 Option2 Option3 Option4";
    const char *created = "Command1 Command3 Command2 Command4 Command5 Check1 Option1 Option2 Option3 Option4";
    row("start", "", "Command1 Option1 Option2", "Option2", "0", "0", -1, 0);
    row("switch-before-load", "ansi", "Command1 Option1 Option2", "Option1", "0", "0", -1, 1);
    row("loaded", "load", loaded, "Option2 Option4", "3", "0", -1, 0);
    row("loaded-m3u8", "load-m3u8", loaded, "Option2 Option3", "3", "0", -1, 0);
    // The options show the encoding the load found.
    row("windows-1251-found", "load-cp1251", loaded, "Option1 Option4", "3", "0", -1, 0);
    row("utf8-found-after-ansi", "ansi load-utf8", loaded, "Option2 Option4", "3", "0", -1, 1);
    row("ascii-keeps-ansi", "load-cp1251 load", loaded, "Option1 Option4", "3", "0", -1, 0);
    row("format-chosen", "load m3u8 tick create", created, "Option2 Option3", "3", "2", -1, 0);
    row("all-selected", "load select-all", "Command1 Command3 Check1 Option3 Option4", "Check1 Option2 Option4", "3",
        "0", 0, 0);
    row("none-selected", "load select-all select-all", loaded, "Option2 Option4", "3", "0", 0, 0);
    row("load-after-select-all", "load select-all load", loaded, "Option2 Option4", "3", "0", -1, 0);
    // A cancelled load unticks and disables select-all; the rest stays.
    row("select-all-then-cancelled", "load select-all cancel", "Command1 Command3 Option3 Option4", "Option2 Option4",
        "3", "0", 0, 0);
    row("during-load", "start-load", "Command1 Option1 Option2 Option3 Option4", "Option2 Option4", "0", "0", -1, 0);
    row("during-save", "load tick create start-save",
        "Command1 Command3 Command4 Command5 Check1 Option1 Option2 Option3 Option4", "Option2 Option4", "3", "2", -1, 0);
    row("created", "load tick create", created, "Option2 Option4", "3", "2", -1, 0);
    row("switched", "load tick create ansi", created, "Option1 Option4", "3", "2", 0, 0);
    row("saved", "load tick create save", created, "Option2 Option4", "3", "2", -1, 1);
    row("cancelled", "load tick create cancel",
        "Command1 Command3 Command2 Command4 Command5 Option1 Option2 Option3 Option4", "Option2 Option4", "3", "2",
        -1, 0);
    row("failed", "load load-missing", "Command1 Command3 Option1 Option2 Option3 Option4", "Option2 Option4", "0",
        "0", -1, 1);
}

void TestForm1Bindings::stateAfterSteps()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, enabled);
    QFETCH(QString, checked);
    QFETCH(QString, channels);
    QFETCH(QString, chosen);
    QFETCH(int, currentRow);
    QFETCH(int, messages);
    QFETCH(bool, busy);
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    for (const QString &step : steps)
        take(driver, step);

    const QStringList enabledNames = enabled.split(u' ');
    for (const char *name : enabledControls)
        QVERIFY2(driver.control(name)->isEnabled() == enabledNames.contains(QLatin1String(name)), name);
    const QStringList checkedNames = checked.split(u' ');
    for (const char *name : checkableControls)
        QVERIFY2(driver.button(name)->isChecked() == checkedNames.contains(QLatin1String(name)), name);
    QCOMPARE(driver.labelText("Label2"), channels);
    QCOMPARE(driver.labelText("Label4"), chosen);
    QCOMPARE(driver.control<QAbstractItemView>("List1")->currentIndex().row(), currentRow);
    QCOMPARE(driver.control("Label6")->isVisible(), busy);
    driver.waitForEnd();
    QVERIFY(!driver.control("Label6")->isVisible());
    if (!busy)
        QCOMPARE(driver.takeMessages().size(), messages);
}

// The click hands the focus to the background. While the operation runs the
// busy label shows, and the controls that start one react neither to the
// mouse nor to the keyboard.
void TestForm1Bindings::busyWindowIgnoresInput()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    take(driver, QStringLiteral("load"));
    take(driver, QStringLiteral("tick"));
    driver.control("List1")->setFocus();
    driver.button("Command3")->click();
    QVERIFY(driver.session().isBusy());
    QCOMPARE(driver.window().focusWidget(), driver.control("Picture1"));
    QVERIFY(driver.control("Label6")->isVisible());

    QTest::mouseClick(driver.control("Check1"), Qt::LeftButton);
    QVERIFY(!driver.button("Check1")->isChecked());
    QTest::keyClick(driver.control("Check1"), Qt::Key_Space);
    QVERIFY(!driver.button("Check1")->isChecked());
    QVERIFY(!driver.session().isSelectAllTicked());
    QTest::mouseClick(driver.control("Option1"), Qt::LeftButton);
    QVERIFY(!driver.button("Option1")->isChecked());

    driver.waitForEnd();
    QVERIFY(!driver.control("Label6")->isVisible());
    QCOMPARE(driver.session().inputMode(), InputMode::Utf8);
    QCOMPARE(driver.newItems(), (QStringList{"A", "C"}));
    QCOMPARE(driver.takeMessages(), QStringList());
}

void TestForm1Bindings::saveFormatReachesTheSave()
{
    WindowDriver driver;
    for (const char *step : {"load", "m3u8", "tick", "create", "save"})
        take(driver, QLatin1String(step));
    QVERIFY(QFile::exists(driver.programFolder() + QStringLiteral("/Kelvaro.m3u8")));
    QVERIFY(!QFile::exists(driver.programFolder() + QStringLiteral("/Kelvaro.m3u")));
}

// The dialog hands back paths of up to 254 characters; a longer one is as
// if it was cancelled.
void TestForm1Bindings::pathLimit_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("loads");
    QTest::addRow("254") << 254 << true;
    QTest::addRow("255") << 255 << false;
}

void TestForm1Bindings::pathLimit()
{
    QFETCH(int, length);
    QFETCH(bool, loads);
    WindowDriver driver;
    const QString name = QStringLiteral("/a.m3u");
    const QString folder = driver.programFolder() + u'/' + QString(length - name.size() - driver.programFolder().size() - 1, u'd');
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + name;
    QCOMPARE(path.size(), length);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#EXTINF:-1,A\n");
    file.close();

    driver.load(path);
    QCOMPARE(driver.sourceItems(), loads ? QStringList{"A"} : QStringList());
    QCOMPARE(driver.button("Check1")->isEnabled(), loads);
    QCOMPARE(driver.takeMessages(), QStringList());
}

void TestForm1Bindings::dialogSettings()
{
    QWidget parent;
    const QString folder = QDir::tempPath();
    std::unique_ptr<QFileDialog> dialog(playlistDialog::create(&parent, playlistDialog::load(folder)));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Открыть плейлист"));
    QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->directory().absolutePath(), folder);
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

void TestForm1Bindings::dialogStartsInTheProgramFolder()
{
    WindowDriver driver;
    QStringList asked;
    QWidget *askedParent = nullptr;
    driver.window().setFileChooserForTesting([&](QWidget *parent, const playlistDialog::Request &request) -> std::optional<QString> {
        asked << request.folder;
        askedParent = parent;
        return std::nullopt;
    });
    driver.click("Command1");
    QCOMPARE(asked, QStringList{driver.programFolder()});
    QCOMPARE(askedParent, &driver.window());
}

QTEST_MAIN(TestForm1Bindings)
#include "tst_form1bindings.moc"
