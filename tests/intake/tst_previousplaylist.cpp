#include "base/Progress.h"
#include "common/TestSupport.h"
#include "intake/ListedName.h"
#include "intake/PreviousPlaylist.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using testsupport::hex;

Q_DECLARE_METATYPE(InputMode)
Q_DECLARE_METATYPE(FileFailure::Action)

namespace {

enum class Setup {
    Missing,
    Folder,
    Written, // the bytes
    Sized,   // a sparse file of the size, which costs no disk
};

Result<PreviousPlaylist> readBytes(QByteArray bytes, Progress &progress, qsizetype longLine)
{
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    return readPreviousPlaylist(device, progress, longLine);
}

// Each channel as "name|tvg-id".
QByteArrayList channelsOf(const PreviousPlaylist &playlist)
{
    QByteArrayList channels;
    for (qsizetype i = 0; i < playlist.count(); ++i)
        channels.append(playlist.name(i).toByteArray() + '|' + playlist.tvgId(i).toByteArray());
    return channels;
}

// A buffer whose reads fail once it has been sought to so many times: 0
// fails the encoding pass, 1 the pass that takes the channels.
class FailingBuffer : public QBuffer
{
public:
    FailingBuffer(QByteArray *bytes, int seeks)
        : QBuffer(bytes)
        , m_seeksLeft(seeks)
    {
    }
    bool seek(qint64 pos) override
    {
        --m_seeksLeft;
        return QBuffer::seek(pos);
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_seeksLeft > 0)
            return QBuffer::readData(data, maxSize);
        setErrorString(QStringLiteral("Ошибка ввода-вывода."));
        return -1;
    }

private:
    int m_seeksLeft;
};

} // namespace

class TestPreviousPlaylist : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void read_data();
    void read();
    void refused_data();
    void refused();
    void readUpToTheBound();
    void stops_data();
    void stops();
    void readFailure_data();
    void readFailure();
};

void TestPreviousPlaylist::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<InputMode>("encoding");
    QTest::addColumn<QByteArrayList>("channels");

    const auto utf8 = InputMode::Utf8;
    const auto ansi = InputMode::Ansi;
    const QByteArray mark = hex("ef bb bf");
    QTest::addRow("utf8") << QByteArray("#EXTM3U\n#EXTINF:-1 tvg-id=\"P.ru\",Первый канал\nhttp://a\n#EXTINF:-1,НТВ\n")
                          << utf8 << QByteArrayList{"Первый канал|P.ru", "НТВ|"};
    QTest::addRow("cp1251") << "#EXTINF:-1 tvg-id=\"" + hex("d2 c2") + "\"," + hex("cf e5 f0 e2 fb e9 20 ea e0 ed e0 eb")
                            << ansi << QByteArrayList{"Первый канал|ТВ"};
    // The mark is no part of the line, so "#" goes in front of the entry.
    QTest::addRow("mark-before-commaless-entry") << mark + "EXTINF:-1 Канал\n" << utf8
                                                 << QByteArrayList{"#EXTINF:-1 Канал|"};
    QTest::addRow("commaless-entry-without-hash") << QByteArray("  EXTINF:-1 Канал \n") << utf8
                                                  << QByteArrayList{"#EXTINF:-1 Канал|"};
    // The mark decides over the Windows-1251 bytes after it (При).
    QTest::addRow("mark-with-ill-formed-bytes") << mark + "#EXTINF:-1," + hex("cf f0 e8") << utf8
                                                << QByteArrayList{"\uFFFD\uFFFD\uFFFD|"};
    // Кіно: "Кі" is valid UTF-8 by chance.
    QTest::addRow("cp1251-with-a-valid-pair") << "#EXTINF:-1," + hex("ca b3 ed ee") << ansi << QByteArrayList{"Кіно|"};
    // Ten valid letters and one bad byte, which a load takes for damaged UTF-8.
    QTest::addRow("utf8-but-one-bad-byte")
        << "#EXTINF:-1," + hex("d0 b0 d0 b1 d0 b2 d0 b3 d0 b4 d0 b5 d0 b6 d0 b7 d0 b8 d0 b9 ff") << ansi
        << QByteArrayList{"Р°Р±РІРіРґРµР¶Р·РёР№я|"};
    QTest::addRow("ascii") << QByteArray("#EXTINF:-1 tvg-id=\"BBC.uk\",BBC News\nhttp://x\n") << utf8
                           << QByteArrayList{"BBC News|BBC.uk"};
    QTest::addRow("crlf") << QByteArray("#EXTM3U\r\n#EXTINF:-1 tvg-id=\"a\",A\r\nhttp://x\r\n#EXTINF:-1,B\r\n") << utf8
                          << QByteArrayList{"A|a", "B|"};
    QTest::addRow("commaless-entry") << QByteArray("#EXTINF:-1 tvg-id=\"x\"\n") << utf8
                                     << QByteArrayList{"#EXTINF:-1 tvg-id=\"x\"|x"};
    QTest::addRow("quoted-commas-before-name")
        << QByteArray("#EXTINF:-1 user-agent=\"Mozilla/5.0 (X11, Linux)\" tvg-id=\"a,b\",Имя") << utf8
        << QByteArrayList{"Имя|a,b"};
    QTest::addRow("tvg-id-with-feed") << QByteArray("#EXTINF:-1 tvg-id=\"Channel11.ua@SD\",11 Kanal (720p)") << utf8
                                      << QByteArrayList{"11 Kanal (720p)|Channel11.ua@SD"};
    QTest::addRow("lines-that-are-not-entries")
        << QByteArray("#EXTM3U\n#EXTVLCOPT:a=b,c\n#EXTGRP:Кино\n\n   \n# note, x\n#extinf:-1,lower\nhttp://a\n"
                      "#EXTINF:-1,A\n")
        << utf8 << QByteArrayList{"A|"};
    // As a load has it: the tag anywhere in a line makes an entry.
    QTest::addRow("tag-in-an-address") << QByteArray("http://x/EXTINF,y\n") << utf8 << QByteArrayList{"y|"};
    QTest::addRow("spaces-at-line-ends") << QByteArray("   #EXTINF:-1 tvg-id=\"a\",  Имя  \t  \n") << utf8
                                         << QByteArrayList{"  Имя  \t|a"};
    QTest::addRow("many-inner-spaces") << "#EXTINF:-1,A" + QByteArray(100, ' ') + "B" + QByteArray(70, ' ') << utf8
                                       << QByteArrayList{"A" + QByteArray(100, ' ') + "B|"};
    QTest::addRow("zero-bytes-utf8") << QByteArray("#EXTINF:-1,A") + '\0' + "B\n" + '\0' + "#EXTINF:-1,C\n#EXTINF:-1,D"
                                     << utf8 << QByteArrayList{"A|", "D|"};
    QTest::addRow("zero-bytes-cp1251") << "#EXTINF:-1," + hex("cf 00 58") << ansi
                                       << QByteArrayList{hex("d0 9f 00 58") + "|"};
    QTest::addRow("name-over-the-list-bound") << "#EXTINF:-1," + QByteArray(ListedName::maxBytes + 10, 'a') << utf8
                                              << QByteArrayList{QByteArray(ListedName::maxBytes, 'a') + "|"};
    // A cut at 4096 bytes would split a letter.
    QTest::addRow("long-id-cut-at-a-character") << "#EXTINF:-1 tvg-id=\"a" + QByteArray("я").repeated(3000) + "\",N"
                                                << utf8 << QByteArrayList{"N|a" + QByteArray("я").repeated(2047)};
    QTest::addRow("long-cp1251-id") << "#EXTINF:-1 tvg-id=\"" + QByteArray(5000, '\xff') + "\",N" << ansi
                                    << QByteArrayList{"N|" + QByteArray("я").repeated(2048)};
    QTest::addRow("no-entries") << QByteArray("#EXTM3U\nhttp://a\n") << utf8 << QByteArrayList{};
    QTest::addRow("empty") << QByteArray() << utf8 << QByteArrayList{};
}

// As from a file, then with every line taken as a long one, read in pieces
// of a few bytes: the same channels.
void TestPreviousPlaylist::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(InputMode, encoding);
    QFETCH(QByteArrayList, channels);
    for (const qsizetype longLine : {LineReader::defaultLongLine, qsizetype(3), qsizetype(16)}) {
        Progress progress;
        const Result<PreviousPlaylist> read = readBytes(bytes, progress, longLine);
        QVERIFY(read.ok());
        QCOMPARE(read->encoding(), encoding);
        QCOMPARE(channelsOf(*read), channels);
    }
}

void TestPreviousPlaylist::refused_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<FileFailure::Action>("action");
    QTest::addColumn<QString>("reason");

    const auto open = FileFailure::Action::Open;
    const auto read = FileFailure::Action::Read;
    const QString noChannel = QStringLiteral("В файле нет ни одного канала.");
    QByteArray binary;
    for (int i = 0; i < 1024; ++i)
        binary.append(char(i * 37 % 256));
    QTest::addRow("missing") << Setup::Missing << QByteArray() << open << QStringLiteral("Файл не найден.");
    QTest::addRow("folder") << Setup::Folder << QByteArray() << open << QStringLiteral("Это не файл.");
    QTest::addRow("empty") << Setup::Written << QByteArray() << read << noChannel;
    QTest::addRow("binary") << Setup::Written << binary << read << noChannel;
    QTest::addRow("text-without-entries") << Setup::Written << QByteArray("#EXTM3U\nhttp://a/1\n") << read << noChannel;
    QTest::addRow("over-the-bound") << Setup::Sized << QByteArray() << read << QStringLiteral("Файл больше 256 МБ.");
}

void TestPreviousPlaylist::refused()
{
    QFETCH(Setup, setup);
    QFETCH(QByteArray, bytes);
    QFETCH(FileFailure::Action, action);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Мой список.m3u"));
    if (setup == Setup::Folder)
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Мой список.m3u")));
    else if (setup == Setup::Written)
        testsupport::writeFile(path, bytes);
    else if (setup == Setup::Sized)
        QVERIFY(QFile::resize(testsupport::writeFile(path, {}), PreviousPlaylist::maxFileBytes + 1));
    Progress progress;
    const Result<PreviousPlaylist> result = readPreviousPlaylist(path, progress);
    QVERIFY(!result.ok() && !result.isStopped());
    QCOMPARE(result.failure().action, action);
    QCOMPARE(result.failure().path, path);
    QCOMPARE(result.failure().reason, reason);
}

// A file of just the bound is read: a sparse one, its only entry at the end.
void TestPreviousPlaylist::readUpToTheBound()
{
    QTemporaryDir dir;
    const QByteArray tail = "\n#EXTINF:-1 tvg-id=\"Last.ru\",Последний\n";
    QFile file(dir.filePath(QStringLiteral("big.m3u")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.seek(PreviousPlaylist::maxFileBytes - tail.size()));
    QCOMPARE(file.write(tail), tail.size());
    file.close();
    Progress progress;
    const Result<PreviousPlaylist> read = readPreviousPlaylist(file.fileName(), progress);
    QVERIFY(read.ok());
    QCOMPARE(channelsOf(*read), QByteArrayList{"Последний|Last.ru"});
}

void TestPreviousPlaylist::stops_data()
{
    QTest::addColumn<qsizetype>("longLine");
    QTest::addColumn<int>("stopAt"); // the report that says stop

    // One report for the encoding pass over so small a file, then one a line.
    QTest::addRow("in-the-encoding-pass") << LineReader::defaultLongLine << 1;
    QTest::addRow("at-the-first-line") << LineReader::defaultLongLine << 2;
    QTest::addRow("at-a-later-line") << LineReader::defaultLongLine << 40;
    QTest::addRow("inside-a-long-line") << qsizetype(16) << 3;
}

void TestPreviousPlaylist::stops()
{
    QFETCH(qsizetype, longLine);
    QFETCH(int, stopAt);
    QByteArray bytes;
    for (int i = 0; i < 100; ++i)
        bytes += "#EXTINF:-1 tvg-id=\"id" + QByteArray::number(i) + "\",Channel " + QByteArray::number(i) + "\nhttp://a\n";
    int calls = 0;
    Progress progress([&] { return ++calls < stopAt; }, 0);
    QVERIFY(readBytes(bytes, progress, longLine).isStopped());
    QCOMPARE(calls, stopAt); // nothing more is done once it has stopped
}

void TestPreviousPlaylist::readFailure_data()
{
    QTest::addColumn<int>("seeks");
    QTest::addRow("in-the-encoding-pass") << 0;
    QTest::addRow("in-the-channel-pass") << 1;
}

void TestPreviousPlaylist::readFailure()
{
    QFETCH(int, seeks);
    QByteArray bytes = "#EXTINF:-1,A\nhttp://a\n";
    FailingBuffer device(&bytes, seeks);
    QVERIFY(device.open(QIODevice::ReadOnly));
    Progress progress;
    const Result<PreviousPlaylist> read = readPreviousPlaylist(device, progress);
    QVERIFY(!read.ok() && !read.isStopped());
    QCOMPARE(read.failure().action, FileFailure::Action::Read);
    QCOMPARE(read.failure().reason, QStringLiteral("Ошибка ввода-вывода."));
}

QTEST_GUILESS_MAIN(TestPreviousPlaylist)
#include "tst_previousplaylist.moc"
