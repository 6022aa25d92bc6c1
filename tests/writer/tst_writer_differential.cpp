#include "CopyGenerators.h"
#include "reference/ReferenceWriter.h"
#include "WriterTestSupport.h"

#include "common/TestSupport.h"
#include "encoding/Ansi.h"
#include "reference/LineCodec.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>


Q_DECLARE_METATYPE(InputMode)

namespace {

// The text of each channel entry after its first comma (the whole line when
// it has none), as the lists show it in the mode.
QStringList channelNames(QByteArrayView copy, InputMode mode)
{
    LineCodec codec;
    QStringList names;
    for (const QByteArray &bytes : reference::splitLines(copy)) {
        if (bytes.contains("EXTM3U"))
            continue;
        const QString line = mode == InputMode::Utf8 ? codec.DecodeUTF8(bytes) : ansi::toUtf16(bytes);
        if (line.contains(QLatin1String("EXTINF")))
            names.append(line.mid(line.indexOf(u',') + 1));
    }
    return names;
}

// Enough of the loader's rules to make a normalised copy of a real playlist:
// directives lose their "#", brackets become parentheses, spaces are trimmed,
// header lines and channel entries get "#" back, and consecutive entries with
// the same name get duplicate markers.
QByteArray simpleNormalisedCopy(const QByteArray &playlist)
{
    QByteArray out;
    QByteArray lastName;
    int repeats = 0;
    for (QByteArray line : playlist.split('\n')) {
        line.replace("\r", "").replace("#", "").replace('[', '(').replace(']', ')');
        while (line.startsWith(' '))
            line.remove(0, 1);
        while (line.endsWith(' '))
            line.chop(1);
        if (line.contains("EXTM3U"))
            line.prepend('#');
        if (line.contains("EXTINF")) {
            line.prepend('#');
            const QByteArray name = line.mid(line.indexOf(',') + 1);
            repeats = name == lastName ? repeats + 1 : 0;
            lastName = name;
            line.append(QByteArray(std::min(repeats, 6), '\x01'));
        }
        out += line + "\r\n";
    }
    return out;
}

// The items are made text form of the mode, as the program holds them; the
// reference reads them back as text.
bool compareWithReference(const QByteArray &copy, InputMode mode, const QStringList &texts, qsizetype chunk,
                          const QString &context)
{
    const QList<QByteArray> items = writertest::itemBytes(texts, mode);
    const writertest::FastResult fast = writertest::writeFast(copy, mode, items, chunk);
    if (!fast.result) {
        qWarning().noquote() << context << "did not write";
        return false;
    }
    const QByteArray expected = reference::writePlaylist(copy, mode, writertest::itemTexts(items, mode));
    if (writertest::sameOutput(fast.bytes, expected, context))
        return true;
    qWarning() << "mode" << (mode == InputMode::Utf8 ? "UTF-8" : "ANSI") << "chunk" << chunk;
    // A generated copy is small enough to show whole; a real one is not.
    const QList<QByteArray> lines = reference::splitLines(copy);
    if (lines.size() <= 60) {
        qWarning() << "items" << items;
        for (const QByteArray &line : lines)
            qWarning() << "  line" << line;
    }
    return false;
}

} // namespace

class TestWriterDifferential : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void generatedCopies_data();
    void generatedCopies();
    void largeCopies_data();
    void largeCopies();
    void realPlaylists_data();
    void realPlaylists();
};

void TestWriterDifferential::generatedCopies_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("cases");

    for (quint32 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed-%u", seed) << seed << 1000;
}

void TestWriterDifferential::generatedCopies()
{
    QFETCH(quint32, seed);
    QFETCH(int, cases);

    writertest::CopyGenerator generator(seed);
    QRandomGenerator chunks(seed);
    for (int i = 0; i < cases; ++i) {
        const QByteArray copy = generator.copy();
        for (const InputMode mode : {InputMode::Utf8, InputMode::Ansi}) {
            const QStringList items = generator.items(channelNames(copy, mode));
            const qsizetype chunk = chunks.bounded(4) == 0 ? qsizetype(chunks.bounded(1, 64))
                                                           : PlaylistWriter::defaultChunkBytes;
            if (!compareWithReference(copy, mode, items, chunk, QStringLiteral("seed %1 case %2").arg(seed).arg(i)))
                QFAIL("the writer and the reference disagree");
        }
    }
}

void TestWriterDifferential::largeCopies_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<int>("entries");

    QTest::addRow("utf8-seed-1") << 1u << InputMode::Utf8 << 5000;
    QTest::addRow("utf8-seed-2") << 2u << InputMode::Utf8 << 6000;
    QTest::addRow("ansi-seed-3") << 3u << InputMode::Ansi << 5000;
    // Fewer entries than the index sorts by whole words first.
    QTest::addRow("utf8-seed-4-small") << 4u << InputMode::Utf8 << 3000;
}

void TestWriterDifferential::largeCopies()
{
    QFETCH(quint32, seed);
    QFETCH(InputMode, mode);
    QFETCH(int, entries);

    writertest::LargeCopyGenerator generator(seed);
    QByteArray copy = generator.copy(entries);
    if (mode == InputMode::Ansi)
        copy = ansi::fromUtf16(QString::fromUtf8(copy));
    const QStringList items = generator.items(channelNames(copy, mode));
    QVERIFY(compareWithReference(copy, mode, items, PlaylistWriter::defaultChunkBytes,
                                 QStringLiteral("seed %1").arg(seed)));
}

void TestWriterDifferential::realPlaylists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<bool>("toWindows1251"); // characters it lacks become "?"
    QTest::addColumn<int>("itemCount");      // -1: every name

    QTest::addRow("iptv-org-ru") << "iptv-org_ru.m3u" << InputMode::Utf8 << false << -1;
    QTest::addRow("iptv-org-ru-read-as-ansi") << "iptv-org_ru.m3u" << InputMode::Ansi << false << -1;
    QTest::addRow("smolnp-extgrp") << "smolnp_IPTVru_extgrp.m3u" << InputMode::Utf8 << false << -1;
    QTest::addRow("smolnp-extgrp-windows-1251") << "smolnp_IPTVru_extgrp.cp1251.m3u" << InputMode::Ansi << false << -1;
    QTest::addRow("smolnp-extgrp-windows-1251-read-as-utf8")
        << "smolnp_IPTVru_extgrp.cp1251.m3u" << InputMode::Utf8 << false << -1;
    QTest::addRow("smolnp-bom-crlf") << "smolnp_film_d-tv_bom_crlf.m3u" << InputMode::Utf8 << false << -1;
    QTest::addRow("free-tv") << "free-tv_playlist.m3u8" << InputMode::Utf8 << false << -1;
    QTest::addRow("iptv-org-all-sample") << "iptv-org_all.m3u" << InputMode::Utf8 << false << 300;
    // Names with "?" from the conversion are items with wildcards.
    QTest::addRow("iptv-org-all-windows-1251-sample") << "iptv-org_all.m3u" << InputMode::Ansi << true << 600;
}

void TestWriterDifferential::realPlaylists()
{
    QFETCH(QString, file);
    QFETCH(InputMode, mode);
    QFETCH(bool, toWindows1251);
    QFETCH(int, itemCount);

    const QString path = testsupport::playlistPath(file);
    KELVARO_REQUIRE_FILE(path);
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.errorString()));
    QByteArray playlist = f.readAll();
    if (toWindows1251)
        playlist = ansi::fromUtf16(QString::fromUtf8(playlist));
    const QByteArray copy = simpleNormalisedCopy(playlist);
    QStringList items = channelNames(copy, mode);
    QVERIFY(items.size() > 100);
    QRandomGenerator rng(42);
    std::shuffle(items.begin(), items.end(), rng);
    if (itemCount >= 0)
        items = items.first(itemCount);
    QVERIFY(compareWithReference(copy, mode, items, PlaylistWriter::defaultChunkBytes, file));
}

QTEST_GUILESS_MAIN(TestWriterDifferential)
#include "tst_writer_differential.moc"
