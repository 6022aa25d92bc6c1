#include "intake/TimeSlice.h"
#include "writer/SuffixIndex.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

// The sorted index the writer finds items' entries with. Large indexes are
// sorted on two threads; both sizes must give the same order.
class TestSuffixIndex : public QObject
{
    Q_OBJECT

private slots:
    void sortedAndFound_data();
    void sortedAndFound();
    void stopsWhileSortingOnTwoThreads();
};

namespace {

// Names with shared endings longer than a few chunks, repeats and short ones.
QList<QByteArray> makeTexts(int count)
{
    static const QList<QByteArray> endings = {
        "", " HD", " (1080p)", " Premium Sports Extra HD", "ТВ", " Кино Премьера Плюс HD (1080p)", "1",
    };
    QRandomGenerator rng(11);
    QList<QByteArray> texts;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && rng.bounded(10) == 0) {
            texts << texts[int(rng.bounded(i))];
            continue;
        }
        QByteArray text = rng.bounded(8) == 0 ? QByteArray() : "Канал " + QByteArray::number(rng.bounded(count / 4 + 1));
        text += endings[int(rng.bounded(qsizetype(endings.size())))];
        texts << text;
    }
    return texts;
}

bool reversedLess(QByteArrayView a, QByteArrayView b)
{
    return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend(),
                                        [](char x, char y) { return uchar(x) < uchar(y); });
}

} // namespace

void TestSuffixIndex::sortedAndFound_data()
{
    QTest::addColumn<int>("count");
    QTest::addRow("one thread") << 5000;
    QTest::addRow("two threads") << 100000;
}

void TestSuffixIndex::sortedAndFound()
{
    QFETCH(int, count);
    const QList<QByteArray> texts = makeTexts(count);
    const std::vector<QByteArrayView> views(texts.begin(), texts.end());
    TimeSlice slice;
    const SuffixIndex index(views, 0, InputMode::Utf8, slice);
    QVERIFY(index.complete());
    const std::span<const SuffixIndex::Item> items = index.all();
    QCOMPARE(items.size(), views.size());

    // By reversed text, equal texts by position.
    for (size_t k = 1; k < items.size(); ++k) {
        const QByteArrayView a = index.text(items[k - 1]);
        const QByteArrayView b = index.text(items[k]);
        const bool ordered = reversedLess(a, b) || (a == b && items[k - 1].entry < items[k].entry);
        QVERIFY2(ordered, qPrintable(QStringLiteral("at %1").arg(k)));
    }

    // The range found by search, and around an item, holds exactly the texts
    // with its ending.
    QRandomGenerator rng(5);
    for (int sample = 0; sample < 60; ++sample) {
        const size_t position = rng.bounded(quint32(items.size()));
        const QByteArrayView text = index.text(items[position]);
        for (const qsizetype length : {qsizetype(1), qsizetype(9), qsizetype(17), text.size()}) {
            if (length > text.size())
                continue;
            const SuffixIndex::Suffix suffix(text.last(length));
            const auto range = index.endingWithAround(suffix, position);
            const auto expected = std::count_if(views.begin(), views.end(),
                                                [&](QByteArrayView t) { return t.endsWith(suffix.bytes()); });
            QCOMPARE(qsizetype(range.size()), qsizetype(expected));
            const auto searched = index.endingWith(suffix);
            QVERIFY(searched.data() == range.data() && searched.size() == range.size());
            QVERIFY(std::all_of(range.begin(), range.end(),
                                [&](const SuffixIndex::Item &i) { return index.text(i).endsWith(suffix.bytes()); }));
        }
    }
}

void TestSuffixIndex::stopsWhileSortingOnTwoThreads()
{
    const QList<QByteArray> texts = makeTexts(100000);
    const std::vector<QByteArrayView> views(texts.begin(), texts.end());
    int calls = 0;
    TimeSlice slice([&calls] { return ++calls < 40; }, 0); // past the first passes, among the buckets
    const SuffixIndex index(views, 0, InputMode::Utf8, slice);
    QVERIFY(!index.complete());
    QCOMPARE(calls, 40);
}

QTEST_GUILESS_MAIN(TestSuffixIndex)
#include "tst_suffixindex.moc"
