#include "PlaylistGenerator.h"
#include "reference/ReferenceWriter.h"
#include "WriterTestSupport.h"

#include "common/TestSupport.h"
#include "encoding/Ansi.h"
#include "encoding/Utf8.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <numeric>

Q_DECLARE_METATYPE(InputMode)

namespace {

QString textOf(const QByteArray &name, InputMode mode)
{
    return mode == InputMode::Utf8 ? utf8::toUtf16(name) : ansi::toUtf16(name);
}

// The program's load and save against the reference, for the names listed
// and for the bytes written.
bool agrees(const QByteArray &playlist, InputMode mode, const QList<int> &entries, qsizetype chunk, const QString &context)
{
    const writertest::Copy copy = writertest::normalisedCopy(playlist, mode);
    // Markers aside: the reference knows none.
    QStringList listed;
    for (const QByteArray &name : copy.names)
        listed.append(textOf(name, mode).remove(QChar(1)));
    QStringList names = reference::channelNames(playlist, mode);
    for (QString &name : names)
        name.remove(QChar(1));
    if (listed != names) {
        const qsizetype at = std::mismatch(listed.begin(), listed.end(), names.begin(), names.end()).first - listed.begin();
        qWarning().noquote() << context << "lists" << listed.value(at) << "instead of" << names.value(at) << "at" << at;
        return false;
    }
    const writertest::Saved saved = writertest::saveFromCopy(copy.bytes, mode, entries, chunk);
    if (!saved.result) {
        qWarning().noquote() << context << "did not write";
        return false;
    }
    if (writertest::sameOutput(saved.bytes, reference::writePlaylist(playlist, mode, entries), context))
        return true;
    qWarning() << "mode" << (mode == InputMode::Utf8 ? "UTF-8" : "ANSI") << "chunk" << chunk << "entries" << entries;
    if (playlist.size() < 4000)
        qWarning() << "playlist" << playlist;
    return false;
}

// A plain M3U reader's view of a playlist: for each #EXTINF line, the option
// lines after it and the address.
struct PlainEntry
{
    QByteArray address;
    QByteArrayList options;
    bool operator==(const PlainEntry &) const = default;
};

QList<PlainEntry> plainEntries(const QByteArray &playlist)
{
    QList<PlainEntry> entries;
    bool open = false;
    for (QByteArray line : playlist.split('\n')) {
        line = line.replace("\r", "").trimmed();
        if (line.startsWith("#EXTINF") || line.startsWith("\xEF\xBB\xBF#EXTINF")) {
            entries.append(PlainEntry{});
            open = true;
        } else if (!open || line.isEmpty() || line.startsWith("#EXTGRP") || line.startsWith("#EXTM3U")) {
            continue;
        } else if (line.startsWith('#')) {
            entries.last().options.append(line);
        } else {
            entries.last().address = line;
            open = false;
        }
    }
    return entries;
}

// The entry as the save writes it: its lines' text in UTF-8.
PlainEntry inUtf8(PlainEntry entry, InputMode mode)
{
    const auto convert = [mode](const QByteArray &line) { return utf8::fromUtf16(reference::decode(line, mode)); };
    entry.address = convert(entry.address);
    for (QByteArray &option : entry.options)
        option = convert(option);
    return entry;
}

} // namespace

class TestWriterDifferential : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void generatedPlaylists_data();
    void generatedPlaylists();
    void realPlaylists_data();
    void realPlaylists();
};

void TestWriterDifferential::generatedPlaylists_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("cases");
    QTest::addColumn<int>("lines");

    for (quint32 seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed-%u", seed) << seed << 1500 << 30;
    QTest::addRow("large-seed-9") << 9u << 3 << 20000;
}

void TestWriterDifferential::generatedPlaylists()
{
    QFETCH(quint32, seed);
    QFETCH(int, cases);
    QFETCH(int, lines);

    PlaylistGenerator generator(seed);
    QRandomGenerator chunks(seed);
    for (int i = 0; i < cases; ++i) {
        const QByteArray playlist = generator.playlist(int(chunks.bounded(lines + 1)));
        for (const InputMode mode : {InputMode::Utf8, InputMode::Ansi}) {
            const QList<int> entries = generator.selection(int(reference::channelNames(playlist, mode).size()));
            const qsizetype chunk = chunks.bounded(4) == 0 ? qsizetype(chunks.bounded(1, 64)) : PlaylistWriter::defaultChunkBytes;
            if (!agrees(playlist, mode, entries, chunk, QStringLiteral("seed %1 case %2").arg(seed).arg(i)))
                QFAIL("the program and the reference disagree");
        }
    }
}

void TestWriterDifferential::realPlaylists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<InputMode>("mode");

    QTest::addRow("iptv-org-all") << "iptv-org_all.m3u" << InputMode::Utf8;
    QTest::addRow("iptv-org-ru") << "iptv-org_ru.m3u" << InputMode::Utf8;
    QTest::addRow("iptv-org-ru-read-as-ansi") << "iptv-org_ru.m3u" << InputMode::Ansi;
    QTest::addRow("free-tv") << "free-tv_playlist.m3u8" << InputMode::Utf8;
    QTest::addRow("smolnp-extgrp") << "smolnp_IPTVru_extgrp.m3u" << InputMode::Utf8;
    QTest::addRow("smolnp-extgrp-windows-1251") << "smolnp_IPTVru_extgrp.cp1251.m3u" << InputMode::Ansi;
    QTest::addRow("smolnp-bom-crlf") << "smolnp_film_d-tv_bom_crlf.m3u" << InputMode::Utf8;
    QTest::addRow("adamzs-options-and-quoted-commas") << "adamzs_ua_crlf.m3u" << InputMode::Utf8;
}

// Every channel ticked, the new list shuffled: each comes back exactly once,
// in the list's order, with its option lines and address, and no group.
void TestWriterDifferential::realPlaylists()
{
    QFETCH(QString, file);
    QFETCH(InputMode, mode);

    const QString path = testsupport::playlistPath(file);
    KELVARO_REQUIRE_FILE(path);
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.errorString()));
    const QByteArray playlist = f.readAll();
    const QList<PlainEntry> original = plainEntries(playlist);
    QCOMPARE(original.size(), reference::channelNames(playlist, mode).size());
    QList<int> entries(original.size());
    std::iota(entries.begin(), entries.end(), 0);
    QRandomGenerator rng(42);
    std::shuffle(entries.begin(), entries.end(), rng);
    QVERIFY(agrees(playlist, mode, entries, PlaylistWriter::defaultChunkBytes, file));

    const writertest::Saved saved = writertest::saveFromCopy(writertest::normalisedCopy(playlist, mode).bytes, mode, entries);
    const QList<PlainEntry> written = plainEntries(saved.bytes);
    QCOMPARE(written.size(), original.size());
    for (qsizetype k = 0; k < written.size(); ++k)
        QCOMPARE(written[k], inUtf8(original[entries[k]], mode));
    QVERIFY(!saved.bytes.contains("group-title="));
    QVERIFY(!saved.bytes.contains("EXTGRP"));
}

QTEST_GUILESS_MAIN(TestWriterDifferential)
#include "tst_writer_differential.moc"
