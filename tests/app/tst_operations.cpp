#include "channels/ChannelListModel.h"
#include "common/WindowDriver.h"
#include "intake/PlaylistLoader.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

QByteArray bigPlaylist(int channels)
{
    QByteArray bytes = "#EXTM3U\n";
    bytes.reserve(channels * 60);
    for (int i = 0; i < channels; ++i)
        bytes += "#EXTINF:-1 group-title=\"G\",Channel " + QByteArray::number(i) + "\nhttp://example.invalid/"
                 + QByteArray::number(i) + "\n";
    return bytes;
}

// Runs check when the window gets its turn while an operation runs: on the
// first turn only, or on every turn.
class DuringOperation : public QObject
{
public:
    enum Turns { FirstTurn, EveryTurn };

    DuringOperation(Form1 &window, Turns when, std::function<void()> check)
        : m_window(window)
        , m_check(std::move(check))
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this, when] {
            if (!m_window.isBusy() || (when == FirstTurn && turns > 0))
                return;
            ++turns;
            m_check();
        });
        m_timer.start();
    }
    int turns = 0;

private:
    Form1 &m_window;
    std::function<void()> m_check;
    QTimer m_timer;
};

} // namespace

class TestOperations : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void clicksDuringALoadAreIgnored_data();
    void clicksDuringALoadAreIgnored();
    void busyLabelAndCountDuringALoad();
    void closingDuringALoad();
    void closingDuringASave();
};

void TestOperations::clicksDuringALoadAreIgnored_data()
{
    QTest::addColumn<QString>("control");
    QTest::addRow("load-again") << "Command1";
    QTest::addRow("ansi") << "Option1";
    QTest::addRow("create") << "Command3";
    QTest::addRow("save") << "Command2";
    QTest::addRow("select-all") << "Check1";
}

void TestOperations::clicksDuringALoadAreIgnored()
{
    QFETCH(QString, control);
    WindowDriver driver;
    driver.window().show();
    const QString small = driver.writeFile(QStringLiteral("small.m3u"), "#EXTINF:-1,A\nu\n");
    driver.load(small);
    driver.sourceList().setChecked(0, true);
    driver.clickButton("Command3"); // every button is enabled now
    driver.button("Check1")->setEnabled(true);

    int dialogs = 0;
    const QString big = driver.writeFile(QStringLiteral("big.m3u"), bigPlaylist(300));
    driver.window().loader().setFileChooserForTesting([&](QWidget *, const QString &) -> std::optional<QString> {
        ++dialogs;
        return big;
    });
    QWidget *target = driver.control(qPrintable(control));
    const bool checkedBefore = driver.button(qPrintable(control))->isChecked();
    driver.window().setEveryLineASliceForTesting();
    DuringOperation during(driver.window(), DuringOperation::FirstTurn, [&] { QTest::mouseClick(target, Qt::LeftButton); });
    driver.clickButton("Command1");

    QVERIFY(during.turns > 0);
    QCOMPARE(dialogs, 1);
    QCOMPARE(driver.button(qPrintable(control))->isChecked(), checkedBefore);
    QVERIFY(driver.button("Option2")->isChecked());
    QCOMPARE(driver.sourceList().count(), 300);
    QCOMPARE(driver.sourceList().text(299), QStringLiteral("Channel 299"));
    QVERIFY(driver.newItems().isEmpty()); // the load cleared it; nothing rebuilt it
    QVERIFY(!QFile::exists(driver.programFolder() + QStringLiteral("/Kelvaro.m3u")));
    QCOMPARE(driver.takeMessages(), QStringList());
    // The working files are the new playlist's, whole.
    QFile normalised(driver.normalisedCopyPath());
    QVERIFY(normalised.open(QIODevice::ReadOnly));
    QVERIFY(normalised.readAll().endsWith("http://example.invalid/299\r\n"));
}

void TestOperations::busyLabelAndCountDuringALoad()
{
    WindowDriver driver;
    driver.window().show();
    bool busyShown = true;
    QList<int> counts;
    DuringOperation during(driver.window(), DuringOperation::EveryTurn, [&] {
        busyShown = busyShown && driver.control<QLabel>("Label6")->isVisible();
        counts << driver.labelText("Label2").toInt();
    });
    driver.load(driver.writeFile(QStringLiteral("big.m3u"), bigPlaylist(100000)));
    QVERIFY(during.turns > 0);
    QVERIFY(busyShown);
    QVERIFY(std::is_sorted(counts.begin(), counts.end()));
    QVERIFY(!driver.control<QLabel>("Label6")->isVisible());
    QCOMPARE(driver.labelText("Label2"), QStringLiteral("100000"));
}

void TestOperations::closingDuringALoad()
{
    WindowDriver driver;
    driver.window().show();
    driver.window().setEveryLineASliceForTesting();
    DuringOperation during(driver.window(), DuringOperation::FirstTurn, [&] { driver.window().close(); });
    driver.load(driver.writeFile(QStringLiteral("big.m3u"), bigPlaylist(300)));
    QVERIFY(during.turns > 0);
    QVERIFY(!driver.window().isVisible());
    QVERIFY(!driver.window().isBusy());
    QVERIFY(!QFile::exists(driver.rawCopyPath()));
    QVERIFY(!QFile::exists(driver.normalisedCopyPath()));
    QCOMPARE(driver.takeMessages(), QStringList());
    // Nothing starts any more.
    driver.load(driver.writeFile(QStringLiteral("small.m3u"), "#EXTINF:-1,A\n"));
    QVERIFY(!QFile::exists(driver.rawCopyPath()));
}

void TestOperations::closingDuringASave()
{
    WindowDriver driver;
    driver.window().show();
    driver.load(driver.writeFile(QStringLiteral("big.m3u"), bigPlaylist(300)));
    for (int i = 0; i < driver.sourceList().count(); ++i)
        driver.sourceList().setChecked(i, true);
    driver.clickButton("Command3");
    const QString previous = driver.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
    driver.window().setEveryLineASliceForTesting();
    DuringOperation during(driver.window(), DuringOperation::FirstTurn, [&] { driver.window().close(); });
    driver.clickButton("Command2");
    QVERIFY(during.turns > 0);
    QCOMPARE(driver.takeMessages(), QStringList());
    QFile output(previous);
    QVERIFY(output.open(QIODevice::ReadOnly));
    QCOMPARE(output.readAll(), QByteArray("previous"));
    QCOMPARE(QDir(driver.programFolder()).entryList(QDir::Files), (QStringList{"big.m3u", "Kelvaro.m3u"}));
    QVERIFY(!QFile::exists(driver.normalisedCopyPath()));
}

QTEST_MAIN(TestOperations)
#include "tst_operations.moc"
