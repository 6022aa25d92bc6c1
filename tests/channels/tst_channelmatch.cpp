#include "base/Progress.h"
#include "channels/ChannelMatch.h"
#include "common/TestSupport.h"
#include "intake/PreviousPlaylist.h"

#include <QTest>

#include <algorithm>
#include <set>

Q_DECLARE_METATYPE(std::vector<qint32>)

namespace {

// A side written as "name|tvg-id" items ("name" alone: no id), as views
// into the items.
MatchSide sideOf(const QByteArrayList &channels)
{
    MatchSide side;
    for (const QByteArrayView channel : channels) {
        const qsizetype bar = channel.indexOf('|');
        side.names.push_back(bar < 0 ? channel : channel.first(bar));
        side.tvgIds.push_back(bar < 0 ? QByteArrayView() : channel.sliced(bar + 1));
    }
    return side;
}

MatchSide sideOf(const PreviousPlaylist &playlist)
{
    MatchSide side;
    for (qsizetype i = 0; i < playlist.count(); ++i) {
        side.names.push_back(playlist.name(i));
        side.tvgIds.push_back(playlist.tvgId(i));
    }
    return side;
}

qsizetype holders(const MatchSide &side, QByteArrayView id)
{
    return std::count(side.tvgIds.begin(), side.tvgIds.end(), id);
}

} // namespace

class TestChannelMatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nameCore_data();
    void nameCore();
    void match_data();
    void match();
    void stopsWhenAsked();
    void realPlaylistsThreeYearsApart();
};

void TestChannelMatch::nameCore_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("core");

    QTest::addRow("case") << QByteArray("Первый Канал BBC") << QByteArray("первый канал bbc");
    QTest::addRow("yo") << QByteArray("Ёлки ТВ Семён") << QByteArray("елки тв семен");
    QTest::addRow("blanks") << QByteArray(" \tA  \t B\t ") << QByteArray("a b");
    QTest::addRow("bracketed-tags") << QByteArray("Sport [Not 24/7] [Geo-blocked]") << QByteArray("sport");
    QTest::addRow("tag-in-the-middle") << QByteArray("A [x] B") << QByteArray("a b");
    QTest::addRow("unclosed-bracket") << QByteArray("A [B") << QByteArray("a [b");
    QTest::addRow("resolutions") << QByteArray("Rossiya 1 (720p) (1080i) (576P)") << QByteArray("rossiya 1");
    QTest::addRow("resolution-without-blank") << QByteArray("Россия 1(720p)") << QByteArray("россия 1");
    QTest::addRow("other-parentheses-stay") << QByteArray("ТВА (Чернiвцi) (HD) (720) (p) (720px)")
                                            << QByteArray("тва (чернiвцi) (hd) (720) (p) (720px)");
    QTest::addRow("only-a-resolution") << QByteArray("(720p)") << QByteArray();
    QTest::addRow("only-brackets") << QByteArray("[Not 24/7]") << QByteArray();
    QTest::addRow("empty") << QByteArray() << QByteArray();
}

void TestChannelMatch::nameCore()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, core);
    QCOMPARE(channelMatch::nameCore(name), core);
}

void TestChannelMatch::match_data()
{
    QTest::addColumn<QByteArrayList>("previous");
    QTest::addColumn<QByteArrayList>("loaded");
    QTest::addColumn<std::vector<qint32>>("expected");

    using V = std::vector<qint32>;
    QTest::addRow("id-and-name") << QByteArrayList{"A|a"} << QByteArrayList{"B|b", "A|a"} << V{1};
    QTest::addRow("id-and-name-over-name-alone") << QByteArrayList{"A|x"} << QByteArrayList{"A|y", "A|x"} << V{1};
    QTest::addRow("ids-crosswise") << QByteArrayList{"A|1", "A|2"} << QByteArrayList{"A|2", "A|1"} << V{1, 0};
    QTest::addRow("name") << QByteArrayList{"A"} << QByteArrayList{"B", "A|z"} << V{1};
    QTest::addRow("namesakes-in-order") << QByteArrayList{"П", "П"} << QByteArrayList{"П", "X", "П"} << V{0, 2};
    QTest::addRow("second-namesake-left-over") << QByteArrayList{"П", "П"} << QByteArrayList{"П"} << V{0, -1};
    QTest::addRow("feed-suffix-and-core") << QByteArrayList{"Россия 1 (576p)|Rossiya1.ru"}
                                          << QByteArrayList{"Россия 1 (720p)|Rossiya1.ru@SD"} << V{0};
    // The core alone would take the first.
    QTest::addRow("id-base-over-core-alone") << QByteArrayList{"Россия 1|Rossiya1.ru"}
                                             << QByteArrayList{"РОССИЯ 1|Other.ru", "Россия 1 (720p)|Rossiya1.ru@HD"}
                                             << V{1};
    // "@SD" and "@HD" have nothing before the "@": only the cores count.
    QTest::addRow("suffix-alone-is-no-id") << QByteArrayList{"X|@SD"} << QByteArrayList{"x|zzz", "X (720p)|@HD"} << V{0};
    QTest::addRow("case-and-yo") << QByteArrayList{"Ёлки"} << QByteArrayList{"Новости", "ЕЛКИ"} << V{1};
    QTest::addRow("tags-and-blanks") << QByteArrayList{"Sport  (720p)"} << QByteArrayList{"sport [Not 24/7]"} << V{0};
    QTest::addRow("renamed-same-id") << QByteArrayList{"Old name|chan.ua"} << QByteArrayList{"New name|chan.ua"} << V{0};
    QTest::addRow("id-twice-in-loaded") << QByteArrayList{"Old|c"} << QByteArrayList{"New|c", "Newer|c"} << V{-1};
    QTest::addRow("id-twice-in-previous") << QByteArrayList{"Old|c", "Other|c"} << QByteArrayList{"New|c"} << V{-1, -1};
    // Counted over all channels, not only those still free.
    QTest::addRow("id-twice-in-previous-one-matched") << QByteArrayList{"A|c", "Old|c"}
                                                      << QByteArrayList{"A|x", "New|c"} << V{0, -1};
    QTest::addRow("id-twice-in-loaded-one-matched") << QByteArrayList{"A|x", "Old|c"}
                                                    << QByteArrayList{"A|c", "New|c"} << V{0, -1};
    QTest::addRow("channel-gone") << QByteArrayList{"A", "Gone", "B"} << QByteArrayList{"A", "B"} << V{0, -1, 1};
    QTest::addRow("new-channel") << QByteArrayList{"A"} << QByteArrayList{"New", "A"} << V{1};
    QTest::addRow("stronger-over-earlier-weaker") << QByteArrayList{"sport", "Sport"} << QByteArrayList{"Sport"}
                                                  << V{-1, 0};
    // Levels pair over the whole lists: the feed level does not take what
    // the name level needs, though its channel comes first.
    QTest::addRow("name-over-earlier-feed-match") << QByteArrayList{"X (720p)|x", "X (1080p)|y"}
                                                  << QByteArrayList{"X (1080p)|x@SD"} << V{-1, 0};
    QTest::addRow("only-a-resolution") << QByteArrayList{"(720p)", "[HD]"} << QByteArrayList{"(1080p)", "[SD]"}
                                       << V{-1, -1};
    QTest::addRow("only-a-resolution-same-name") << QByteArrayList{"(720p)"} << QByteArrayList{"(1080p)", "(720p)"}
                                                 << V{1};
    QTest::addRow("empty-ids-never-match") << QByteArrayList{"A|"} << QByteArrayList{"B|"} << V{-1};
    QTest::addRow("empty-names-never-match") << QByteArrayList{""} << QByteArrayList{""} << V{-1};
    QTest::addRow("no-previous-channels") << QByteArrayList{} << QByteArrayList{"A"} << V{};
    QTest::addRow("no-loaded-channels") << QByteArrayList{"A|a"} << QByteArrayList{} << V{-1};
}

void TestChannelMatch::match()
{
    QFETCH(QByteArrayList, previous);
    QFETCH(QByteArrayList, loaded);
    QFETCH(std::vector<qint32>, expected);
    Progress progress;
    const Result<std::vector<qint32>> matched = channelMatch::match(sideOf(previous), sideOf(loaded), progress);
    QVERIFY(matched.ok());
    QCOMPARE(*matched, expected);
}

void TestChannelMatch::stopsWhenAsked()
{
    QByteArrayList channels;
    for (int i = 0; i < 1000; ++i)
        channels.append("Channel " + QByteArray::number(i));
    const MatchSide side = sideOf(channels);
    Progress progress([] { return false; }, 0);
    QVERIFY(channelMatch::match(side, side, progress).isStopped());
}

// The same public list three years apart: providers rename channels and add
// feed suffixes to ids. What is checked is what every match must show.
void TestChannelMatch::realPlaylistsThreeYearsApart()
{
    const QString previousPath = testsupport::playlistPath(QStringLiteral("iptv-org-2023_ua.m3u"));
    const QString loadedPath = testsupport::playlistPath(QStringLiteral("iptv-org_ua.m3u"));
    KELVARO_REQUIRE_FILE(previousPath);
    KELVARO_REQUIRE_FILE(loadedPath);
    Progress progress;
    const Result<PreviousPlaylist> previousList = readPreviousPlaylist(previousPath, progress);
    const Result<PreviousPlaylist> loadedList = readPreviousPlaylist(loadedPath, progress);
    QVERIFY(previousList.ok() && loadedList.ok());
    const MatchSide previous = sideOf(*previousList);
    const MatchSide loaded = sideOf(*loadedList);
    const Result<std::vector<qint32>> matched = channelMatch::match(previous, loaded, progress);
    QVERIFY(matched.ok());
    QCOMPARE(matched->size(), previous.names.size());

    std::set<qint32> taken;
    qsizetype sameName = 0;
    for (size_t p = 0; p < matched->size(); ++p) {
        const qint32 l = (*matched)[p];
        const bool stillThere = std::count(loaded.names.begin(), loaded.names.end(), previous.names[p]) > 0;
        if (l < 0) {
            QVERIFY2(!stillThere, previous.names[p].toByteArray().constData());
            continue;
        }
        QVERIFY(taken.insert(l).second);
        const QByteArrayView id = previous.tvgIds[p];
        const bool uniqueId = !id.isEmpty() && id == loaded.tvgIds[size_t(l)] && holders(previous, id) == 1
                              && holders(loaded, id) == 1;
        const bool sameCore = channelMatch::nameCore(previous.names[p]) == channelMatch::nameCore(loaded.names[size_t(l)]);
        QVERIFY2(sameCore || uniqueId, previous.names[p].toByteArray().constData());
        // A name still there word for word goes to its namesake: none is
        // there fewer times than before.
        if (stillThere)
            QCOMPARE(loaded.names[size_t(l)].toByteArray(), previous.names[p].toByteArray());
        sameName += previous.names[p] == loaded.names[size_t(l)];
    }
    QCOMPARE(sameName, 29);
}

QTEST_GUILESS_MAIN(TestChannelMatch)
#include "tst_channelmatch.moc"
