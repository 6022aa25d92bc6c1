#include "app/NewListView.h"
#include "channels/GroupListModel.h"
#include "common/TestSupport.h"
#include "common/WindowDriver.h"
#include "reference/ReferenceWriter.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTest>

Q_DECLARE_METATYPE(InputMode)

namespace {

using testsupport::playlistOf;

QStringList shownNames(PlaylistSession &s)
{
    QStringList names;
    for (int row = 0; row < s.sourceList().rowCount(); ++row)
        names << s.sourceList().text(s.sourceList().channelAt(row));
    return names;
}


QStringList groupItems(const QAbstractItemModel &model)
{
    QStringList items;
    for (int row = 0; row < model.rowCount(); ++row)
        items << model.index(row, 0).data().toString();
    return items;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QPoint tickBoxOf(QAbstractItemView *view, int row)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(view->model()->index(row, 0));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view).center();
}

const QStringList letters{"A", "B", "C", "D", "E", "F"};

// Keys typed one after the other, Cyrillic ones too, the filter answering each.
void type(QWidget *edit, const QString &text, PlaylistSession &session)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), {});
        waitForFilter(session);
    }
}

} // namespace

// Finding channels in the source list (a filter, groups, range ticks) and
// editing the new list, through the session and the window.
class TestFinding : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void groupsOfRealPlaylists_data();
    void groupsOfRealPlaylists();
    void filterTickCreateSave();
    void ticksBelongToChannels();
    void selectAllActsOnWhatShows();
    void switchReadsTheGroupsAgain();
    void newListEditing_data();
    void newListEditing();
    void badInput_data();
    void badInput();
    void typingInTheWindow();
    void choosingAGroupInTheWindow();
    void rangeAndSpaceTicks();
    void newListSelectionInTheWindow();
};

void TestFinding::groupsOfRealPlaylists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("utf8File"); // the same, for the reference
    QTest::addColumn<InputMode>("mode");
    QTest::addRow("extgrp") << "smolnp_IPTVru_extgrp.m3u" << "smolnp_IPTVru_extgrp.m3u" << InputMode::Utf8;
    QTest::addRow("extgrp-cp1251") << "smolnp_IPTVru_extgrp.cp1251.m3u" << "smolnp_IPTVru_extgrp.m3u" << InputMode::Ansi;
    QTest::addRow("group-title") << "free-tv_playlist.m3u8" << "free-tv_playlist.m3u8" << InputMode::Utf8;
    QTest::addRow("none") << "iptv-org_ru.m3u" << "iptv-org_ru.m3u" << InputMode::Utf8;
}

// «Все группы», then each group in the order it first comes, with its count.
void TestFinding::groupsOfRealPlaylists()
{
    QFETCH(QString, file);
    QFETCH(QString, utf8File);
    QFETCH(InputMode, mode);
    const QString path = testsupport::playlistPath(file);
    KELVARO_REQUIRE_FILE(path);
    SessionDriver d;
    d.load(path);
    QCOMPARE(d.session().inputMode(), mode);
    QStringList order;
    QMap<QString, int> counts;
    for (const QString &group : reference::channelGroups(readAll(testsupport::playlistPath(utf8File)), InputMode::Utf8)) {
        if (group.isEmpty())
            continue;
        if (!counts.contains(group))
            order << group;
        ++counts[group];
    }
    QStringList expected{QStringLiteral("Все группы")};
    for (const QString &group : order)
        expected << QStringLiteral("%1 (%2)").arg(group).arg(counts[group]);
    GroupListModel groups(d.session().sourceList());
    QCOMPARE(groupItems(groups), expected);
    // Select-all lists the names anew; the groups stay the channels'.
    const std::vector<qint32> groupOf = d.session().sourceList().groupOfChannels();
    d.selectAll(true);
    QCOMPARE(groupItems(groups), expected);
    QCOMPARE(d.session().sourceList().groupOfChannels(), groupOf);

    // Choosing a group shows its channels, in file order.
    if (order.isEmpty())
        return;
    d.setFilter(QString(), 0);
    QCOMPARE(d.session().sourceList().rowCount(), counts[order.first()]);
    for (int row = 0; row < d.session().sourceList().rowCount(); ++row)
        QCOMPARE(d.session().sourceList().groupOfChannels()[size_t(d.session().sourceList().channelAt(row))], 0);
}

// A real list filtered, ticked in parts, created and saved: the file holds
// exactly the ticked channels, in playlist order.
void TestFinding::filterTickCreateSave()
{
    const QString path = testsupport::playlistPath(QStringLiteral("free-tv_playlist.m3u8"));
    KELVARO_REQUIRE_FILE(path);
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(path);
    d.setFilter(QStringLiteral("NEWS albania"));
    const QStringList albanianNews = shownNames(s);
    QVERIFY(!albanianNews.isEmpty());
    for (const QString &name : albanianNews)
        QVERIFY2(name.contains(QLatin1String("news"), Qt::CaseInsensitive), qPrintable(name));
    s.setSelectAllTicked(true);
    s.selectAll();
    QVERIFY(!s.isBusy()); // in place, no pass over the file
    d.setFilter(QStringLiteral("Pluto"));
    const int pluto = s.sourceList().channelAt(2);
    s.sourceList().setTicked(pluto, true);
    d.setFilter(QString());
    QCOMPARE(s.sourceList().rowCount(), s.channelCount());
    const QList<int> ticked = tickedChannels(s.sourceList());
    QCOMPARE(ticked.size(), albanianNews.size() + 1);
    QVERIFY(ticked.contains(pluto));

    d.create();
    const std::vector<qint32> &rows = s.newList().rows();
    QCOMPARE(QList<int>(rows.begin(), rows.end()), ticked);
    d.save();
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u8")), reference::writePlaylist(readAll(path), InputMode::Utf8, ticked));
}

void TestFinding::ticksBelongToChannels()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), playlistOf({"Спорт", "Кино", "Спорт HD", "Новости"})));
    d.setFilter(QStringLiteral("спорт"));
    QCOMPARE(shownNames(s), (QStringList{"Спорт", "Спорт HD"}));
    s.tickRange(0, 1, true);
    d.setFilter(QStringLiteral("Кино"));
    s.sourceList().setData(s.sourceList().index(0), Qt::Checked, Qt::CheckStateRole);
    d.setFilter(QStringLiteral("   "));
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{0, 1, 2}));
    QVERIFY(!s.filter().isActive());
}

// Filtered, select-all ticks or unticks exactly what shows; the encoding
// locks while every channel is ticked.
void TestFinding::selectAllActsOnWhatShows()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), playlistOf({"A1", "B1", "A2", "B2"})));
    d.setFilter(QStringLiteral("a"));
    d.selectAll(true);
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{0, 2}));
    QVERIFY(s.canSwitchEncoding());
    d.setFilter(QStringLiteral("b"));
    d.selectAll(true);
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{0, 1, 2, 3}));
    QVERIFY(!s.canSwitchEncoding());
    d.selectAll(false);
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{0, 2}));
    QVERIFY(s.canSwitchEncoding());
    QCOMPARE(s.sourceList().rowCount(), 2); // the filter stays
    d.setFilter(QString());
    d.selectAll(false); // unfiltered: the list is read anew, nothing ticked
    QCOMPARE(tickedChannels(s.sourceList()), QList<int>());
    QCOMPARE(d.takeMessages(), QStringList());
}

void TestFinding::switchReadsTheGroupsAgain()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), playlistOf({"Первый", "Второй", "Третий"}, {"Эфир", "Эфир", "Кино"})));
    d.setFilter(QStringLiteral("Второй"), 0);
    QCOMPARE(shownNames(s), QStringList{"Второй"});
    d.setInputMode(InputMode::Ansi);
    GroupListModel groups(s.sourceList());
    QCOMPARE(groupItems(groups), (QStringList{"Все группы", "Р­С„РёСЂ (2)", "РљРёРЅРѕ (1)"}));
    QCOMPARE(s.filter().group(), ChannelQuery::everyGroup);
    QCOMPARE(s.filter().text(), QStringLiteral("Второй")); // found no more: the names read otherwise
    QCOMPARE(s.sourceList().rowCount(), 0);
    d.load(d.writeFile(QStringLiteral("b.m3u"), playlistOf({"X"})));
    QCOMPARE(s.filter().text(), QString()); // a new playlist is looked through anew
    QCOMPARE(s.sourceList().rowCount(), 1);
}

void TestFinding::newListEditing_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QList<int>>("selectedAfter");
    QTest::addRow("remove") << "remove" << QList<int>{1, 3} << "ACEF" << QList<int>{};
    QTest::addRow("remove-neighbours-and-ends") << "remove" << QList<int>{5, 0, 1} << "CDE" << QList<int>{};
    QTest::addRow("to-top") << "top" << QList<int>{4, 2} << "CEABDF" << QList<int>{0, 1};
    QTest::addRow("to-bottom") << "bottom" << QList<int>{0, 5, 3} << "BCEADF" << QList<int>{3, 4, 5};
    QTest::addRow("nothing") << "top" << QList<int>{} << "ABCDEF" << QList<int>{};
    QTest::addRow("out-of-range-ignored") << "remove" << QList<int>{-1, 9, 2} << "ABDEF" << QList<int>{};
}

// Removed items are unticked, so that "Создать" makes the same list again.
void TestFinding::newListEditing()
{
    QFETCH(QString, edit);
    QFETCH(QList<int>, rows);
    QFETCH(QString, order);
    QFETCH(QList<int>, selectedAfter);
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), playlistOf(letters)));
    d.selectAll(true);
    d.create();
    const std::vector<int> at(rows.begin(), rows.end());
    std::vector<int> now;
    if (edit == u"remove")
        s.removeFromNewList(at);
    else
        now = s.moveToEdge(at, edit == u"top" ? NewListModel::Edge::Top : NewListModel::Edge::Bottom);
    QCOMPARE(d.newItems().join(QString()), order);
    QCOMPARE(QList<int>(now.begin(), now.end()), selectedAfter);
    QCOMPARE(s.newCount(), int(order.size()));
    if (edit == u"remove") {
        QStringList ticked;
        for (const int channel : tickedChannels(s.sourceList()))
            ticked << s.sourceList().text(channel);
        QCOMPARE(ticked.join(QString()), order);
        d.create();
        QCOMPARE(d.newItems().join(QString()), order);
    }
}

void TestFinding::badInput_data()
{
    QTest::addColumn<QByteArray>("playlist");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("groups");

    const QByteArray longName = QByteArray("Ж").repeated(1 << 20) + "Конец"; // 2 MB
    QTest::addRow("name-of-2-mb") << "#EXTINF:-1," + longName + "\nu\n#EXTINF:-1,Другой\nu\n" << QStringLiteral("ж") << 1
                                  << 0;
    QByteArray namesakes;
    for (int i = 0; i < 100000; ++i)
        namesakes += "#EXTINF:-1,Один и тот же\nu\n";
    QTest::addRow("namesakes") << namesakes << QStringLiteral("тот же") << 100000 << 0;
    QByteArray distinctGroups;
    for (int i = 0; i < 20000; ++i)
        distinctGroups += "#EXTINF:-1 group-title=\"Группа " + QByteArray::number(i) + ", \\\"особая\\\"\",К" + QByteArray::number(i) + "\nu\n";
    QTest::addRow("a-group-each") << distinctGroups << QStringLiteral("к19999") << 1 << 20000;
    QTest::addRow("empty-extgrp") << QByteArray("#EXTGRP:\n#EXTINF:-1,A\n#EXTGRP:\nu\n") << QStringLiteral("a") << 1 << 0;
    QTest::addRow("filter-of-10000") << playlistOf(letters) << QString(10000, u'ы') << 0 << 0;
    QTest::addRow("blanks-only") << playlistOf(letters) << QStringLiteral(" \t ") << 6 << 0;
}

void TestFinding::badInput()
{
    QFETCH(QByteArray, playlist);
    QFETCH(QString, text);
    QFETCH(int, shown);
    QFETCH(int, groups);
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), playlist));
    d.setFilter(text);
    QCOMPARE(d.session().sourceList().rowCount(), shown);
    QCOMPARE(d.session().sourceList().groups().count(), groups);
    QCOMPARE(d.takeMessages(), QStringList());
}

void TestFinding::typingInTheWindow()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), playlistOf({"Первый канал", "Россия 1", "ПЕРВЫЙ HD", "Ёлки"})));
    auto edit = driver.control<QLineEdit>("Text1");
    auto shown = driver.control<QLabel>("Label12");
    QCOMPARE(edit->placeholderText(), QStringLiteral("Поиск канала"));
    QVERIFY(!shown->isVisible());
    QTest::keyClick(&driver.window(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(driver.window().focusWidget(), edit);
    type(edit, QStringLiteral("пЕр"), driver.session());
    QCOMPARE(driver.session().sourceList().rowCount(), 2);
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->text(), QStringLiteral("показано 2"));
    QCOMPARE(driver.labelText("Label2"), QStringLiteral("4"));
    QTest::keyClick(edit, Qt::Key_Escape);
    waitForFilter(driver.session());
    QVERIFY(edit->text().isEmpty());
    QCOMPARE(driver.session().sourceList().rowCount(), 4);
    QVERIFY(!shown->isVisible());
    type(edit, QStringLiteral("елки"), driver.session());
    QCOMPARE(driver.session().sourceList().rowCount(), 1);
}

void TestFinding::choosingAGroupInTheWindow()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.load(driver.writeFile(QStringLiteral("a.m3u"),
                                 playlistOf({"Футбол", "Хоккей", "Фильм"}, {"Спорт", "Спорт", "Кино"})));
    auto chooser = driver.control<QComboBox>("Combo1");
    QCOMPARE(groupItems(*chooser->model()), (QStringList{"Все группы", "Спорт (2)", "Кино (1)"}));
    QCOMPARE(chooser->currentIndex(), 0);
    chooser->setCurrentIndex(1);
    Q_EMIT chooser->activated(1);
    waitForFilter(driver.session());
    QCOMPARE(driver.session().sourceList().rowCount(), 2);
    QCOMPARE(driver.control<QLabel>("Label12")->text(), QStringLiteral("показано 2"));
    type(driver.control<QLineEdit>("Text1"), QStringLiteral("хок"), driver.session());
    QCOMPARE(driver.session().sourceList().rowCount(), 1);
}

// Shift and a click tick every shown channel from the last clicked one; the
// space bar ticks the current one.
void TestFinding::rangeAndSpaceTicks()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), playlistOf({"x1", "y1", "x2", "x3", "y2", "x4", "x5"})));
    PlaylistSession &s = driver.session();
    s.setFilter(QStringLiteral("x"), ChannelQuery::everyGroup);
    waitForFilter(s);
    auto list = driver.control<QAbstractItemView>("List1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, tickBoxOf(list, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, tickBoxOf(list, 3));
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{2, 3, 5}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, tickBoxOf(list, 1)); // unticks back to 1
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{}));
    list->setCurrentIndex(list->model()->index(4, 0));
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(tickedChannels(s.sourceList()), (QList<int>{6}));
}

void TestFinding::newListSelectionInTheWindow()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), playlistOf(letters)));
    driver.session().setSelectAllTicked(true);
    driver.session().selectAll();
    driver.waitForEnd();
    driver.click("Command3");
    auto list = driver.control<NewListView>("List2");
    const auto centre = [list](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, centre(4));
    QCOMPARE(list->selectedRows(), (std::vector<int>{1, 4}));
    list->findChild<QAction *>(QStringLiteral("moveToTop"))->trigger();
    QCOMPARE(driver.newItems().join(QString()), QStringLiteral("BEACDF"));
    QCOMPARE(list->selectedRows(), (std::vector<int>{0, 1}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(2));
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(driver.newItems().join(QString()), QStringLiteral("CDF"));
    QCOMPARE(driver.labelText("Label4"), QStringLiteral("3"));
    QVERIFY(!driver.session().sourceList().isTicked(0));
    // The move buttons move the current item, as before.
    list->selectRow(0);
    QTest::mouseClick(driver.control("Command5"), Qt::LeftButton);
    QCOMPARE(driver.newItems().join(QString()), QStringLiteral("DCF"));
}

QTEST_MAIN(TestFinding)
#include "tst_finding.moc"
