#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using Kind = WorkingFiles::Kind;
using Operation = PlaylistSession::Operation;

namespace {

constexpr int channels = 300;

QByteArray bigPlaylist()
{
    QByteArray bytes = "#EXTM3U\n";
    for (int i = 0; i < channels; ++i)
        bytes += "#EXTINF:-1 group-title=\"G\",Channel " + QByteArray::number(i) + "\nhttp://example.invalid/"
                 + QByteArray::number(i) + "\n";
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// The folder of this copy's working files, made now.
QString workingFolder(WindowDriver &driver)
{
    return QFileInfo(driver.workingFilePath(Kind::Raw)).absolutePath();
}

} // namespace

class TestOperations : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void guardedControlsIgnoreInputWhileBusy_data();
    void guardedControlsIgnoreInputWhileBusy();
    void closingDuringALoad();
    void closingDuringASave();
};

void TestOperations::guardedControlsIgnoreInputWhileBusy_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("input");

    for (const char *control : {"Command1", "Command2", "Command3", "Check1", "Option1", "Option2"}) {
        for (const char *input : {"mouse", "double-click", "space"})
            QTest::addRow("%s-%s", control, input) << QString::fromLatin1(control) << QString::fromLatin1(input);
    }
}

// While "Создать" runs, a press on a control that would start another
// operation is swallowed: the control neither goes down nor changes.
void TestOperations::guardedControlsIgnoreInputWhileBusy()
{
    QFETCH(QString, control);
    QFETCH(QString, input);

    WindowDriver driver;
    PlaylistSession &session = driver.session();
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), bigPlaylist()));
    for (int row = 0; row < channels; ++row)
        session.sourceList().setTicked(row, true);
    driver.click("Command3"); // every guarded control is enabled now
    int dialogs = 0;
    driver.window().setFileChooserForTesting([&](QWidget *, const playlistDialog::Request &) -> std::optional<QString> {
        ++dialogs;
        return std::nullopt;
    });

    QAbstractButton *target = driver.button(qPrintable(control));
    QVERIFY(target->isEnabled());
    const bool checkedBefore = target->isChecked();
    struct
    {
        bool acted = false;
        bool down = false;
        bool checked = false;
        bool enabled = false;
    } seen;
    session.setProgressIntervalForTesting(0);
    connect(&session, &PlaylistSession::newCountChanged, target, [&] {
        if (seen.acted || !session.isBusy())
            return;
        seen.acted = true;
        if (input == u"space")
            QTest::keyPress(target, Qt::Key_Space);
        else if (input == u"double-click")
            QTest::mouseDClick(target, Qt::LeftButton); // the second press of one
        else
            QTest::mousePress(target, Qt::LeftButton);
        seen.down = target->isDown();
        if (input == u"space")
            QTest::keyRelease(target, Qt::Key_Space);
        else
            QTest::mouseRelease(target, Qt::LeftButton);
        seen.checked = target->isChecked();
        seen.enabled = target->isEnabled();
    });
    QSignalSpy finished(&session, &PlaylistSession::finished);
    driver.click("Command3");

    QVERIFY(seen.acted);
    QVERIFY(!seen.down);
    QCOMPARE(seen.checked, checkedBefore);
    QVERIFY(seen.enabled);
    // Only "Создать" ran, and nothing started after it.
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().value<Operation>(), Operation::Create);
    QVERIFY(!session.isBusy());
    QCOMPARE(dialogs, 0);
    QCOMPARE(driver.takeMessages(), QStringList());
    QCOMPARE(session.inputMode(), InputMode::Utf8);
    QVERIFY(!session.isSelectAllTicked());
    QCOMPARE(session.newList().count(), channels);
    QCOMPARE(filesIn(driver.programFolder()), QStringList{"list.m3u"});
}

void TestOperations::closingDuringALoad()
{
    WindowDriver driver;
    PlaylistSession &session = driver.session();
    driver.window().show();
    const QString folder = workingFolder(driver);
    const QString path = driver.writeFile(QStringLiteral("big.m3u"), bigPlaylist());
    driver.window().setFileChooserForTesting([path](QWidget *, const playlistDialog::Request &) { return std::optional(path); });
    session.setProgressIntervalForTesting(0);
    bool closed = false;
    connect(&session, &PlaylistSession::channelCountChanged, &driver.window(), [&] {
        if (!closed && session.isBusy())
            closed = driver.window().close();
    });
    QSignalSpy finished(&session, &PlaylistSession::finished);
    driver.button("Command1")->click();
    QTRY_VERIFY(closed);

    QVERIFY(!driver.window().isVisible());
    QVERIFY(!session.isBusy());
    QVERIFY(!QFileInfo::exists(folder));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(finished.size(), 0);
    QCOMPARE(driver.takeMessages(), QStringList());
    QVERIFY(session.sourceList().count() < channels); // it stopped part-way
}

void TestOperations::closingDuringASave()
{
    WindowDriver driver;
    PlaylistSession &session = driver.session();
    driver.window().show();
    driver.load(driver.writeFile(QStringLiteral("list.m3u"), bigPlaylist()));
    for (int row = 0; row < channels; ++row)
        session.sourceList().setTicked(row, true);
    driver.click("Command3");
    const QString output = driver.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
    const QString folder = workingFolder(driver);
    session.setProgressIntervalForTesting(0);

    driver.button("Command2")->click();
    QVERIFY(session.isBusy());
    QVERIFY(driver.window().close());
    QVERIFY(!session.isBusy());
    QCoreApplication::sendPostedEvents();
    QCOMPARE(driver.takeMessages(), QStringList());
    QVERIFY(!QFileInfo::exists(folder));
    // Stopped, the save leaves the previous output as it was; had it ended
    // before the close, there is a whole new output and the backup. Never a
    // part of an output, nor a temporary file.
    const QStringList files = filesIn(driver.programFolder());
    if (files.contains(QStringLiteral("Playlist_OLD.m3u"))) {
        QCOMPARE(files, (QStringList{"Kelvaro.m3u", "list.m3u", "Playlist_OLD.m3u"}));
        QCOMPARE(readAll(driver.programFolder() + QStringLiteral("/Playlist_OLD.m3u")), QByteArray("previous"));
        QVERIFY(readAll(output).endsWith("http://example.invalid/" + QByteArray::number(channels - 1) + "\r\n"));
    } else {
        QCOMPARE(files, (QStringList{"Kelvaro.m3u", "list.m3u"}));
        QCOMPARE(readAll(output), QByteArray("previous"));
    }
}

QTEST_MAIN(TestOperations)
#include "tst_operations.moc"
