#include "app/session/Messages.h"
#include "app/NewListView.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QFile>
#include <QTest>

namespace {

const QString saved = QStringLiteral("Плейлист создан рядом с программой!");


QPoint centreOf(NewListView *view, int row)
{
    return view->visualRect(view->model()->index(row, 0)).center();
}

} // namespace

class TestSaveWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theWholeWay();
};

// Load, tick, "Создать", "Канал вверх" twice, a drag and "Сохранить", all
// through the window's controls.
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
    for (const QString &name : {QStringLiteral("Первый [HD]"), QStringLiteral("Кино"), QStringLiteral("Спорт\x01")}) {
        const qsizetype row = driver.sourceItems().indexOf(name);
        QVERIFY2(row >= 0, qPrintable(name));
        driver.session().sourceList().setTicked(int(row), true);
    }
    driver.click("Command3");

    auto list = driver.control<NewListView>("List2");
    list->selectRow(2);
    QTest::mouseClick(driver.control("Command4"), Qt::LeftButton);
    QTest::mouseClick(driver.control("Command4"), Qt::LeftButton);
    QCOMPARE(list->selectedRow(), 0);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, centreOf(list, 2));
    QTest::mouseMove(list->viewport(), centreOf(list, 0));
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centreOf(list, 0));
    QCOMPARE(driver.newItems(), (QStringList{QStringLiteral("Кино"), QStringLiteral("Спорт\x01"),
                                             QStringLiteral("Первый [HD]")}));

    driver.click("Command2");
    QCOMPARE(driver.takeMessages(), QStringList{saved});
    QFile output(driver.programFolder() + QStringLiteral("/Kelvaro.m3u"));
    QVERIFY(output.open(QIODevice::ReadOnly));
    QCOMPARE(output.readAll(), QByteArray("#EXTM3U url-tvg=\"http://epg\"\r\n"
                                          "#EXTINF:-1,Кино\r\n"
                                          "http://a/2\r\n"
                                          "#EXTINF:-1,Спорт\r\n"
                                          "http://a/4\r\n"
                                          "#EXTINF:-1 tvg-id=\"1\",Первый [HD]\r\n"
                                          "http://a/1\r\n"));
    QVERIFY(!QFile::exists(driver.programFolder() + QStringLiteral("/Playlist_OLD.m3u")));
    QVERIFY(driver.button("Command2")->isEnabled());
    QVERIFY(!driver.control("Label6")->isVisible());
    QCOMPARE(driver.window().focusWidget(), driver.control("Picture1"));
}

QTEST_MAIN(TestSaveWindow)
#include "tst_savewindow.moc"
