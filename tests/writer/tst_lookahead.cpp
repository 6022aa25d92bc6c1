#include "CopyGenerators.h"
#include "WriterTestSupport.h"
#include "intake/TimeSlice.h"
#include "writer/EntryIndex.h"
#include "writer/EntryTable.h"
#include "writer/LookAhead.h"

#include <QtTest>

// The look-ups that run ahead of the writing, a batch at a time and on a
// thread of their own past the first batch.
class TestLookAhead : public QObject
{
    Q_OBJECT

private slots:
    void sameAnswersInOrder_data();
    void sameAnswersInOrder();
    void stopsWhenTheSliceSaysSo();

private:
    struct Fixture
    {
        QByteArray copy;
        std::optional<EntryTable> table;
        QList<QByteArray> items;
        std::vector<QByteArrayView> views;
    };

    // A copy of a few thousand entries and `count` items: its names, some
    // changed or with wildcards, over and over.
    static void makeFixture(Fixture &f, int count)
    {
        writertest::LargeCopyGenerator generator(7);
        f.copy = generator.copy(3000);
        TimeSlice slice;
        f.table = EntryTable::build(f.copy, InputMode::Utf8, slice);
        QStringList names;
        for (const QByteArrayView text : f.table->texts())
            names.append(QString::fromUtf8(text));
        QStringList texts;
        while (texts.size() < count)
            texts += generator.items(names);
        f.items = writertest::itemBytes(texts.first(count), InputMode::Utf8);
        f.views = writertest::views(f.items);
    }
};

void TestLookAhead::sameAnswersInOrder_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<size_t>("entriesPerBatch");
    const size_t unbounded = LookAhead::defaultEntriesPerBatch;
    QTest::addRow("one item") << 1 << unbounded;
    QTest::addRow("one batch") << 4096 << unbounded;
    QTest::addRow("one item past a batch") << 4097 << unbounded;
    QTest::addRow("many batches") << 20000 << unbounded;
    // Batches cut short by their entries, inline and on the thread.
    QTest::addRow("few entries a batch, one thread") << 4000 << size_t(50);
    QTest::addRow("few entries a batch") << 20000 << size_t(50);
    QTest::addRow("one item a batch") << 5000 << size_t(1);
}

void TestLookAhead::sameAnswersInOrder()
{
    QFETCH(int, count);
    QFETCH(size_t, entriesPerBatch);
    Fixture f;
    makeFixture(f, count);
    TimeSlice slice;
    EntryIndex expected(*f.table, slice);
    EntryIndex index(*f.table, slice);
    const PlaylistWriter::ItemSource items = [&f](qsizetype i) { return f.views[size_t(i)]; };

    LookAhead ahead(index, count, items, entriesPerBatch);
    qsizetype item = 0;
    int batches = 0;
    while (!ahead.atEnd()) {
        const LookAhead::Batch *batch = ahead.next(slice);
        QVERIFY(batch);
        QVERIFY(batch->size() > 0);
        ++batches;
        size_t entries = 0;
        for (size_t k = 0; k < batch->size(); ++k, ++item) {
            QVERIFY(entries < entriesPerBatch); // the item that reaches the bound ends the batch
            const auto want = expected.entriesMatching(f.views[size_t(item)], slice);
            QVERIFY(want);
            const std::span<const qint32> got = batch->of(k);
            QVERIFY2(std::equal(got.begin(), got.end(), want->begin(), want->end()),
                     qPrintable(QStringLiteral("item %1").arg(item)));
            entries += got.size();
        }
    }
    QCOMPARE(item, qsizetype(count));
    if (entriesPerBatch < LookAhead::defaultEntriesPerBatch)
        QVERIFY(batches > (count + 4095) / 4096);
}

// Waiting for a slow batch, the writer still asks its slice, and a stop
// there ends the look-ups too, long before the end of the list.
void TestLookAhead::stopsWhenTheSliceSaysSo()
{
    Fixture f;
    makeFixture(f, 20000);
    TimeSlice setUp;
    EntryIndex index(*f.table, setUp);
    std::atomic<qsizetype> asked = 0;
    const PlaylistWriter::ItemSource items = [&](qsizetype i) {
        ++asked;
        if (i >= 4096) // the second batch on is slow
            QThread::msleep(1);
        return f.views[size_t(i)];
    };

    bool stop = false;
    TimeSlice slice([&stop] { return !stop; }, 0);
    {
        LookAhead ahead(index, qsizetype(f.views.size()), items);
        QVERIFY(ahead.next(slice));
        stop = true;
        QVERIFY(!ahead.next(slice));
    }
    QVERIFY2(asked < 2 * 4096, qPrintable(QString::number(asked)));
}

QTEST_GUILESS_MAIN(TestLookAhead)
#include "tst_lookahead.moc"
