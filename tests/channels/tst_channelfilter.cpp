#include "base/Progress.h"
#include "channels/ChannelFilter.h"
#include "channels/FilterIndex.h"
#include "common/TestSupport.h"
#include "encoding/Ansi.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

NameChunks chunksOf(const QStringList &names, InputMode mode = InputMode::Utf8)
{
    NameChunks chunks(mode);
    // Two batches, as a load hands them over.
    for (qsizetype half = 0; half < 2; ++half) {
        auto list = std::make_shared<NameList>(mode);
        for (qsizetype i = half * names.size() / 2; i < (half + 1) * names.size() / 2 + (half ? names.size() % 2 : 0); ++i)
            list->append(mode == InputMode::Utf8 ? names[i].toUtf8() : ansi::fromUtf16(names[i]));
        chunks.append(list);
    }
    return chunks;
}

std::vector<qint32> filtered(const QStringList &names, const std::vector<qint32> &groups, const QString &text,
                             qint32 group, InputMode mode = InputMode::Utf8)
{
    Progress progress;
    const FilterIndex index = *FilterIndex::build(chunksOf(names, mode), progress);
    return *filterChannels(&index, groups, ChannelQuery::parse(text, group), nullptr, progress);
}

} // namespace

class TestChannelFilter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void filter_data();
    void filter();
    void windows1251Names();
    void narrowedSearchGivesTheSame();
    void sameAsPlainComparison();
};

void TestChannelFilter::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArrayList>("words");
    QTest::addRow("empty") << QString() << QByteArrayList();
    QTest::addRow("blanks-only") << QStringLiteral("  \t  \n ") << QByteArrayList();
    QTest::addRow("folded") << QStringLiteral("ПЕРВЫЙ Ёлка") << QByteArrayList{"первый", "елка"};
    QTest::addRow("longest-first") << QStringLiteral("tv  Discovery\tHD") << QByteArrayList{"discovery", "tv", "hd"};
    QTest::addRow("held-in-another-dropped") << QStringLiteral("пер первый ый ПЕР") << QByteArrayList{"первый"};
    QTest::addRow("pasted-10000") << QString(10000, u'я') << QByteArrayList{QString(10000, u'я').toUtf8()};
}

void TestChannelFilter::parse()
{
    QFETCH(QString, text);
    QFETCH(QByteArrayList, words);
    const ChannelQuery query = ChannelQuery::parse(text, ChannelQuery::everyGroup);
    QCOMPARE(QByteArrayList(query.words.begin(), query.words.end()), words);
    QCOMPARE(query.isEmpty(), words.isEmpty());
}

void TestChannelFilter::filter_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<qint32>>("groups");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("group");
    QTest::addColumn<QList<qint32>>("shown");

    const QStringList names{QStringLiteral("Первый канал HD"), QStringLiteral("ПЕРВЫЙ КАНАЛ"), QStringLiteral("Ёлки ТВ"),
                            QStringLiteral("Discovery Channel"), QStringLiteral("Спорт"), QStringLiteral("Спорт\x01"),
                            QStringLiteral("Канал Первый [HD]"), QStringLiteral("ab")};
    const QList<qint32> groups{0, 0, 1, 2, 1, 1, -1, -1};
    const auto row = [&](const char *name, const QString &text, qint32 group, const QList<qint32> &shown) {
        QTest::addRow("%s", name) << names << groups << text << group << shown;
    };
    const qint32 all = ChannelQuery::everyGroup;
    row("empty-shows-all", QString(), all, {0, 1, 2, 3, 4, 5, 6, 7});
    row("blanks-show-all", QStringLiteral("   "), all, {0, 1, 2, 3, 4, 5, 6, 7});
    row("cyrillic-any-case", QStringLiteral("первый"), all, {0, 1, 6});
    row("latin-any-case", QStringLiteral("CHANNEL"), all, {3});
    row("yo-as-ye", QStringLiteral("елки"), all, {2});
    row("ye-finds-yo-typed", QStringLiteral("ёлки"), all, {2});
    row("first-letter", QStringLiteral("с"), all, {4, 5}); // Cyrillic: not the c of Discovery
    row("one-latin-letter", QStringLiteral("d"), all, {0, 3, 6});
    row("words-in-any-order", QStringLiteral("канал первый"), all, {0, 1, 6});
    row("every-word-needed", QStringLiteral("первый hd"), all, {0, 6});
    row("brackets-are-text", QStringLiteral("[hd]"), all, {6});
    row("markers-aside", QStringLiteral("спорт"), all, {4, 5});
    row("no-word-across-names", QStringLiteral("bd"), all, {});
    row("nothing-found", QStringLiteral("xyz"), all, {});
    row("group-alone", QString(), 1, {2, 4, 5});
    row("group-and-words", QStringLiteral("спорт"), 1, {4, 5});
    row("group-without-match", QStringLiteral("первый"), 2, {});
}

void TestChannelFilter::filter()
{
    QFETCH(QStringList, names);
    QFETCH(QList<qint32>, groups);
    QFETCH(QString, text);
    QFETCH(qint32, group);
    QFETCH(QList<qint32>, shown);
    const std::vector<qint32> got = filtered(names, {groups.begin(), groups.end()}, text, group);
    QCOMPARE(QList<qint32>(got.begin(), got.end()), shown);
}

void TestChannelFilter::windows1251Names()
{
    const QStringList names{QStringLiteral("Первый"), QStringLiteral("Второй")};
    const std::vector<qint32> got = filtered(names, {-1, -1}, QStringLiteral("ВТОР"), -1, InputMode::Ansi);
    QCOMPARE(got, std::vector<qint32>{1});
}

// Typing a letter more searches only what was shown: the same result.
void TestChannelFilter::narrowedSearchGivesTheSame()
{
    QStringList names;
    for (int i = 0; i < 3000; ++i)
        names << QStringLiteral("Канал %1 Первый").arg(i) << QStringLiteral("Channel %1").arg(i);
    Progress progress;
    const FilterIndex index = *FilterIndex::build(chunksOf(names), progress);
    const std::vector<qint32> groups(size_t(names.size()), -1);
    ChannelQuery before = ChannelQuery::parse(QStringLiteral("1"), -1);
    std::vector<qint32> shown = *filterChannels(&index, groups, before, nullptr, progress);
    for (const char *typed : {"12", "12 к", "12 ка", "12 канал пер", "канал 12 первый"}) {
        const ChannelQuery query = ChannelQuery::parse(QString::fromUtf8(typed), -1);
        QVERIFY2(query.narrows(before), typed);
        const std::vector<qint32> narrowed = *filterChannels(&index, groups, query, &shown, progress);
        QCOMPARE(narrowed, *filterChannels(&index, groups, query, nullptr, progress));
        shown = narrowed;
        before = query;
    }
    QVERIFY(!shown.empty());
    QVERIFY(!ChannelQuery::parse(QStringLiteral("13"), -1).narrows(before));
    QVERIFY(!ChannelQuery::parse(QStringLiteral("12"), 3).narrows(ChannelQuery::parse(QStringLiteral("12"), 4)));
    QVERIFY(ChannelQuery::parse(QStringLiteral("12"), 3).narrows(ChannelQuery::parse(QStringLiteral("1"), -1)));
}

// Against folding and looking with Qt's own means, on random names.
void TestChannelFilter::sameAsPlainComparison()
{
    QRandomGenerator random(11);
    const QString letters = QStringLiteral("аАбБёЁеЕзЗaAbBzZ 1");
    QStringList names;
    for (int i = 0; i < 400; ++i) {
        QString name;
        for (int n = random.bounded(1, 9); n > 0; --n)
            name += letters[random.bounded(letters.size())];
        names << name;
    }
    const std::vector<qint32> groups(size_t(names.size()), -1);
    const auto plain = [](QString s) { return s.toCaseFolded().replace(QChar(0x451), QChar(0x435)); };
    for (int round = 0; round < 200; ++round) {
        QString text;
        for (int n = random.bounded(1, 5); n > 0; --n)
            text += letters[random.bounded(letters.size())];
        const QStringList words = plain(text).split(u' ', Qt::SkipEmptyParts);
        std::vector<qint32> expected;
        for (int i = 0; i < names.size(); ++i) {
            if (std::all_of(words.begin(), words.end(), [&](const QString &w) { return plain(names[i]).contains(w); }))
                expected.push_back(i);
        }
        QCOMPARE(filtered(names, groups, text, -1), expected);
    }
}

QTEST_GUILESS_MAIN(TestChannelFilter)
#include "tst_channelfilter.moc"
