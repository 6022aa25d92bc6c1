#include "common/InMemory.h"
#include "common/TestSupport.h"
#include "intake/GroupFinder.h"
#include "reference/ReferenceWriter.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

using testsupport::hex;

Q_DECLARE_METATYPE(InputMode)

namespace {

struct Listed
{
    QByteArrayList names;
    QByteArrayList groups;
};

// The load's pass and select-all's pass over what it wrote, each line read
// in pieces when longLine is small.
std::pair<Listed, Listed> listBoth(const QByteArray &playlist, InputMode mode, qsizetype longLine)
{
    Listed written;
    Listed read;
    const auto into = [](Listed &l) {
        return [&l](const passes::ListedChannel &c) {
            l.names << c.name.toByteArray();
            l.groups << c.group.toByteArray();
        };
    };
    const QByteArray raw = inMemory::throughPass(playlist, passes::copyRaw);
    Normaliser normaliser;
    QByteArray copy = inMemory::throughPass(raw, [&](QIODevice &in, QIODevice &out, Progress &progress) {
        return passes::normalise(in, out, normaliser, mode, progress, into(written), longLine);
    });
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    Progress progress;
    if (!passes::readChannels(device, mode, progress, into(read), passes::Groups::Read, longLine))
        qFatal("reading a buffer failed");
    return {written, read};
}

} // namespace

class TestGroupFinder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void groups_data();
    void groups();
    void longGroupNamesCut();
    void realPlaylists_data();
    void realPlaylists();
};

void TestGroupFinder::groups_data()
{
    QTest::addColumn<QByteArray>("playlist");
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<QByteArrayList>("groups");
    const auto utf8 = InputMode::Utf8;

    QTest::addRow("group-title") << QByteArray("#EXTINF:-1 group-title=\"Спорт\",A\nu\n#EXTINF:-1 group-title=Кино,B\nu\n")
                                 << utf8 << QByteArrayList{"Спорт", "Кино"};
    QTest::addRow("extgrp-among-its-lines")
        << QByteArray("#EXTINF:-1,A\n#EXTGRP:Новости\nu\n#EXTINF:-1,B\nu\n#EXTGRP:Кино\n") << utf8
        << QByteArrayList{"Новости", "Кино"};
    QTest::addRow("extgrp-before-counts-for-the-next")
        << QByteArray("#EXTGRP:Фильмы\n#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n") << utf8 << QByteArrayList{"Фильмы", "Фильмы"};
    QTest::addRow("group-title-over-extgrp")
        << QByteArray("#EXTGRP:X\n#EXTINF:-1 group-title=\"T\",A\n#EXTGRP:Y\nu\n#EXTINF:-1,B\nu\n") << utf8
        << QByteArrayList{"T", "Y"};
    QTest::addRow("first-extgrp-among-its-lines")
        << QByteArrayList{"#EXTINF:-1,A", "#EXTGRP:First", "#EXTGRP:Second", "u"}.join('\n') << utf8
        << QByteArrayList{"First"};
    QTest::addRow("empty-values-name-no-group")
        << QByteArray("#EXTINF:-1 group-title=\"\",A\nu\n#EXTINF:-1,B\n#EXTGRP:\nu\n") << utf8 << QByteArrayList{"", ""};
    QTest::addRow("empty-extgrp-among-falls-back")
        << QByteArray("#EXTGRP:Before\n#EXTINF:-1,A\n#EXTGRP:  \nu\n#EXTINF:-1,B\nu\n") << utf8
        << QByteArrayList{"Before", ""};
    QTest::addRow("no-groups") << QByteArray("#EXTM3U\n#EXTINF:-1,A\nu\n") << utf8 << QByteArrayList{""};
    QTest::addRow("quotes-and-commas")
        << QByteArray("#EXTINF:-1 group-title=\"Кино, 18+\",A\nu\n#EXTINF:-1,B\n#EXTGRP:Фильмы \"Премьера\", HD\nu\n")
        << utf8 << QByteArrayList{"Кино, 18+", "Фильмы \"Премьера\", HD"};
    QTest::addRow("spaces-trimmed") << QByteArray("#EXTINF:-1 group-title=\"  Спорт \",A\n  #EXTGRP:  Кино  \n") << utf8
                                    << QByteArrayList{"Спорт"};
    QTest::addRow("no-blank-no-attribute") << QByteArray("#EXTINF:-1;group-title=G,A\nu\n") << utf8 << QByteArrayList{""};
    QTest::addRow("attribute-in-the-name-is-none") << QByteArray("#EXTINF:-1,A group-title=G\nu\n") << utf8
                                                   << QByteArrayList{""};
    QTest::addRow("commaless-entry-with-markers")
        << QByteArray("#EXTINF:-1 group-title=G\n#EXTINF:-1 group-title=G\n") << utf8 << QByteArrayList{"G", "G"};
    QTest::addRow("extgrp-needs-its-hash") << QByteArray("#EXTINF:-1,A\nEXTGRP:X\nu\n") << utf8 << QByteArrayList{""};
    // Спорт in Windows-1251
    QTest::addRow("windows-1251") << "#EXTINF:-1 group-title=\"" + hex("d1 ef ee f0 f2") + "\",A\nu\n" << InputMode::Ansi
                                  << QByteArrayList{hex("d1 ef ee f0 f2")};
    QTest::addRow("windows-1251-in-utf8-mode") << "#EXTGRP:" + hex("d1 ef") + "\n#EXTINF:-1,A\n" << utf8
                                               << QByteArrayList{hex("ef bf bd ef bf bd")};
}

void TestGroupFinder::groups()
{
    QFETCH(QByteArray, playlist);
    QFETCH(InputMode, mode);
    QFETCH(QByteArrayList, groups);
    for (const qsizetype longLine : {LineReader::defaultLongLine, qsizetype(3)}) {
        const auto [written, read] = listBoth(playlist, mode, longLine);
        QCOMPARE(written.groups, groups);
        QCOMPARE(read.groups, groups);
        QCOMPARE(read.names, written.names);
    }
    QStringList expected;
    for (const QByteArray &g : groups)
        expected << (mode == InputMode::Utf8 ? QString::fromUtf8(g) : QString::fromLatin1(g));
    if (mode == InputMode::Utf8)
        QCOMPARE(reference::channelGroups(playlist, mode), expected);
}

// A group name of megabytes is kept by its start, cut between characters.
void TestGroupFinder::longGroupNamesCut()
{
    const QByteArray name = QByteArray("Ж").repeated(3 * GroupFinder::maxBytes);
    const auto [written, read] = listBoth("#EXTINF:-1 group-title=\"" + name + "\",A\n#EXTGRP:" + name + "x\n#EXTINF:-1,B\n",
                                          InputMode::Utf8, LineReader::defaultLongLine);
    const QByteArray cut = name.first(GroupFinder::maxBytes);
    QCOMPARE(written.groups, (QByteArrayList{cut, cut}));
    QCOMPARE(read.groups, written.groups);
}

void TestGroupFinder::realPlaylists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<int>("groups"); // distinct ones
    QTest::addRow("extgrp") << "smolnp_IPTVru_extgrp.m3u" << InputMode::Utf8 << 11;
    QTest::addRow("extgrp-cp1251") << "smolnp_IPTVru_extgrp.cp1251.m3u" << InputMode::Ansi << 11;
    QTest::addRow("group-title") << "free-tv_playlist.m3u8" << InputMode::Utf8 << 0;
    QTest::addRow("group-title-crlf") << "adamzs_ua_crlf.m3u" << InputMode::Utf8 << 0;
}

// Every channel's group as the reference reads the file.
void TestGroupFinder::realPlaylists()
{
    QFETCH(QString, file);
    QFETCH(InputMode, mode);
    QFETCH(int, groups);
    const QString path = testsupport::playlistPath(file);
    KELVARO_REQUIRE_FILE(path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray playlist = f.readAll();
    const auto [written, read] = listBoth(playlist, mode, LineReader::defaultLongLine);
    if (mode == InputMode::Utf8) {
        QStringList listed;
        for (const QByteArray &g : written.groups)
            listed << QString::fromUtf8(g);
        QCOMPARE(listed, reference::channelGroups(playlist, mode));
    }
    QCOMPARE(read.groups, written.groups);
    QVERIFY(!written.groups.contains(QByteArray()));
    if (groups > 0)
        QCOMPARE(QSet<QByteArray>(written.groups.begin(), written.groups.end()).size(), groups);
}

QTEST_GUILESS_MAIN(TestGroupFinder)
#include "tst_groupfinder.moc"
