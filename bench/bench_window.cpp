// Times the main window's operations the way a user runs them: offscreen,
// through the real controls, with the session working behind the window.
//
//   bench_window [--data DIR] [--sizes 10000,100000,1000000] [--runs N] [--ansi] [--suffix S]
//                [--groups] [--ops load,switch,...]
//
// For each size it runs, in a process of its own, every operation on
// DIR/bench-<size><S>.m3u (made by the shared generator when missing; S is
// "" by default, e.g. "-dups" or ".cp1251") and prints, per operation, the
// median time of the runs, the peak memory of the process during them
// (VmHWM, reset before each run) and the longest the window's event loop
// went without a turn. A table with the growth factors between the sizes
// ends the output.
//
// Operations: load (from the dialog's answer to the end, the 100 ms pause
// included), switch (to the other encoding and back, alternately),
// selectall, create (every channel ticked), save (every channel in the new
// list, a previous output there), scroll (List1 moved a page, repainted),
// tick (a click on a tick box of List1, repainted), hold (a held
// "Канал вниз": one step and the repaint a timer tick gets), filter («первый»
// typed into Text1 a letter at a time, each until List1 shows what it
// finds; the gap is the longest while the word is typed at once), group (a
// group chosen in Combo1 until List1 shows it), selectshown (select-all on
// the 10 000 channels of a group), previous (from the answer to the dialog
// of «Как в прошлый раз» to the filled new list, the previous playlist being
// every tenth channel of a million, or 150 of a smaller list).
//
// --groups loads bench-<size>-groups.m3u instead, made here from the plain
// list with a group-title on every entry (100 groups, in turn), which group
// and selectshown need. For filter, group, selectshown and previous the
// memory figure is what the operation adds to the loaded state (peak less
// the resident size before it).

#include "app/Form1.h"
#include "app/InfoMessage.h"
#include "app/session/FreedMemory.h"
#include "app/session/PlaylistSession.h"
#include "app/NewListView.h"
#include "channels/ChannelFilter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

namespace {

constexpr int stepsPerHoldRun = 200;
constexpr int eventsPerRun = 100;

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

qint64 peakKiB()
{
    return statusKiB("VmHWM:");
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The longest time between two turns of the event loop: a precise 1 ms
// timer stamps every turn it gets.
class GapMeter : public QObject
{
public:
    GapMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_clock.nsecsElapsed() / 1e6);
            m_clock.restart();
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return std::max(m_longest, m_clock.nsecsElapsed() / 1e6);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_longest = 0;
};

struct Figures
{
    double medianMs = 0;
    double peakMiB = 0;
    double longestGapMs = 0;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

class Bench
{
public:
    Bench(const QString &playlist, bool ansi)
        : m_playlist(playlist)
        , m_session(m_programFolder.path(), m_tempFolder.path())
        , m_window(m_session)
    {
        infoMessage::setHookForTesting([this](QWidget *, const QString &text) { m_messages << text; });
        m_window.setFileChooserForTesting([this](QWidget *, const playlistDialog::Request &request) -> std::optional<QString> {
            m_clock.start(); // the dialog has just been accepted
            return request.title == QStringLiteral("Прежний плейлист") ? m_answer : m_playlist;
        });
        m_window.show();
        if (ansi)
            clickAndWait("Option1");
    }

    // Runs one operation `runs` times; `prepare` runs before the clock starts.
    // added: the memory figure is what the run adds to the resident size.
    Figures measure(int runs, const std::function<void()> &prepare, const std::function<void()> &run,
                    bool added = false)
    {
        QList<double> times;
        Figures f;
        for (int i = 0; i < runs; ++i) {
            if (prepare)
                prepare();
            QCoreApplication::processEvents();
            resetPeak();
            const qint64 before = added ? statusKiB("VmRSS:") : 0;
            m_gaps.start();
            m_clock.start();
            run();
            times << m_clock.nsecsElapsed() / 1e6;
            f.longestGapMs = std::max(f.longestGapMs, m_gaps.stop());
            f.peakMiB = std::max(f.peakMiB, (peakKiB() - before) / 1024.0);
        }
        f.medianMs = median(times);
        return f;
    }

    // Each operation measured when asked for, run once otherwise when a later
    // one needs what it leaves.
    std::map<QString, Figures> runAll(int runs, const QStringList &wanted)
    {
        std::map<QString, Figures> figures;
        const auto times = [&](const char *op) { return wanted.contains(QLatin1String(op)) ? runs : 1; };
        figures["load"] = measure(times("load"), {}, [this] { clickAndWait("Command1"); });
        bool ansi = m_session.inputMode() == InputMode::Ansi;
        figures["switch"] = measure(times("switch"), {}, [&] {
            clickAndWait(ansi ? "Option2" : "Option1");
            ansi = !ansi;
        });
        if (ansi)
            clickAndWait("Option2");
        figures["selectall"] = measure(times("selectall"), {}, [this] {
            QTest::mouseClick(control<QWidget>("Check1"), Qt::LeftButton);
            waitForEnd();
        });
        if (!m_session.isSelectAllTicked()) {
            QTest::mouseClick(control<QWidget>("Check1"), Qt::LeftButton);
            waitForEnd();
        }
        figures["create"] = measure(times("create"), {}, [this] { clickAndWait("Command3"); });
        if (wanted.contains(QLatin1String("save")))
            figures["save"] = measure(runs, {}, [this] { clickAndWait("Command2"); });
        if (wanted.contains(QLatin1String("scroll")))
            figures["scroll"] = measureEvents(runs, [this](int i) { scroll(i); });
        if (wanted.contains(QLatin1String("tick")))
            figures["tick"] = measureEvents(runs, [this](int i) { tick(i); });
        if (wanted.contains(QLatin1String("hold")))
            figures["hold"] = measureHold(runs);
        if (wanted.contains(QLatin1String("filter")))
            figures["filter"] = measureTyping(runs);
        if (wanted.contains(QLatin1String("group")))
            figures["group"] = measure(runs, [this] { chooseGroup(0); }, [this] { chooseGroup(1 + m_groupRound++ % 100); },
                                       true);
        if (wanted.contains(QLatin1String("selectshown")))
            figures["selectshown"] = measure(runs, [this] { chooseGroup(1 + m_groupRound++ % 100); }, [this] {
                QTest::mouseClick(control<QWidget>("Check1"), Qt::LeftButton);
                waitForEnd();
            }, true);
        if (wanted.contains(QLatin1String("previous"))) {
            chooseGroup(0);
            const QString previous = writePrevious();
            figures["previous"] = measure(runs, [this, previous] { m_answer = previous; }, [this] {
                clickAndWait("Command6");
            }, true);
        }
        return figures;
    }

    [[nodiscard]] int channels() { return m_session.sourceList().count(); }
    [[nodiscard]] const QStringList &messages() const { return m_messages; }

private:
    template<class T>
    T *control(const char *name)
    {
        return m_window.findChild<T *>(QLatin1String(name));
    }

    void waitForEnd()
    {
        if (!m_session.isBusy())
            return;
        QSignalSpy ended(&m_session, &PlaylistSession::finished);
        if (!ended.wait(600000))
            qFatal("the operation did not end");
    }

    void clickAndWait(const char *name)
    {
        control<QAbstractButton>(name)->click();
        waitForEnd();
    }

    // Per event, in the median run of `eventsPerRun` events; the longest
    // event stands for the gap, as the events run back to back.
    Figures measureEvents(int runs, const std::function<void(int)> &event)
    {
        int i = 0;
        double longest = 0;
        Figures f = measure(runs, {}, [&] {
            for (int e = 0; e < eventsPerRun; ++e) {
                QElapsedTimer one;
                one.start();
                event(i++);
                longest = std::max(longest, one.nsecsElapsed() / 1e6);
            }
        });
        f.medianMs /= eventsPerRun;
        f.longestGapMs = longest;
        return f;
    }

    void scroll(int i)
    {
        QAbstractItemView *list = control<QAbstractItemView>("List1");
        QScrollBar *bar = list->verticalScrollBar();
        bar->setValue(int((qint64(i) * 7919 * bar->pageStep()) % std::max(1, bar->maximum())));
        list->viewport()->repaint();
    }

    void tick(int i)
    {
        QAbstractItemView *list = control<QAbstractItemView>("List1");
        list->verticalScrollBar()->setValue(int((qint64(i) * 104729) % std::max(1, channels())));
        const QModelIndex index = list->indexAt(QPoint(4, 4));
        const QRect row = list->visualRect(index);
        // The tick box stands at the start of the row.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.left() + row.height() / 2 + 2, row.center().y()));
        list->viewport()->repaint();
    }

    void waitForFilter()
    {
        while (m_session.filter().isSearching())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }

    void type(const QString &letters)
    {
        auto edit = control<QWidget>("Text1");
        for (const QChar c : letters)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), {});
    }

    void clearFilter()
    {
        control<QLineEdit>("Text1")->clear();
        m_session.setFilter(QString(), ChannelQuery::everyGroup);
        waitForFilter();
    }

    // Each letter until the list shows what it finds; then the word typed
    // at once, for the longest gap while one types fast.
    Figures measureTyping(int runs)
    {
        const QString word = QStringLiteral("первый");
        QList<double> perKey;
        Figures f;
        for (int i = 0; i < runs; ++i) {
            clearFilter();
            QCoreApplication::processEvents();
            resetPeak();
            const qint64 before = statusKiB("VmRSS:");
            for (const QChar c : word) {
                m_clock.start();
                type(QString(c));
                waitForFilter();
                perKey << m_clock.nsecsElapsed() / 1e6;
            }
            f.peakMiB = std::max(f.peakMiB, (peakKiB() - before) / 1024.0);
            clearFilter();
            m_gaps.start();
            type(word);
            waitForFilter();
            f.longestGapMs = std::max(f.longestGapMs, m_gaps.stop());
        }
        f.medianMs = median(perKey);
        std::fprintf(stderr, "filter: «%s» shows %d channels; the first letter of the first run took %.1f ms (the names folded)\n",
                     qPrintable(word), m_session.sourceList().rowCount(), perKey.value(0));
        clearFilter();
        return f;
    }

    void chooseGroup(int row)
    {
        auto chooser = control<QComboBox>("Combo1");
        chooser->setCurrentIndex(row);
        Q_EMIT chooser->activated(row);
        waitForFilter();
    }

    // Every tenth channel of the list as a playlist saved before (150 of a
    // list smaller than a million).
    QString writePrevious()
    {
        QFile in(m_playlist);
        if (!in.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(m_playlist));
        const QByteArrayList lines = in.readAll().split('\n');
        const int every = channels() >= 1000000 ? 10 : std::max(1, channels() / 150);
        QByteArray out = "#EXTM3U\n";
        int entry = 0;
        int taken = 0;
        for (qsizetype i = 0; i < lines.size() && (channels() >= 1000000 || taken < 150); ++i) {
            if (!lines[i].contains("EXTINF"))
                continue;
            if (entry++ % every == 0 && i + 1 < lines.size()) {
                out += lines[i] + '\n' + lines[i + 1] + '\n';
                ++taken;
            }
        }
        const QString path = m_programFolder.filePath(QStringLiteral("previous.m3u"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
            qFatal("cannot write %s", qPrintable(path));
        std::fprintf(stderr, "previous: %d channels\n", taken);
        return path;
    }

    Figures measureHold(int runs)
    {
        auto list = control<NewListView>("List2");
        double longest = 0;
        Figures f = measure(runs, [list] { list->selectRow(0); }, [&] {
            for (int step = 0; step < stepsPerHoldRun; ++step) {
                QElapsedTimer one;
                one.start();
                const int row = list->selectedRow();
                list->selectRow(m_session.moveChannel(row, NewListModel::Direction::Down));
                list->viewport()->repaint();
                longest = std::max(longest, one.nsecsElapsed() / 1e6);
            }
        });
        f.medianMs /= stepsPerHoldRun;
        f.longestGapMs = longest;
        return f;
    }

    QString m_playlist;
    QString m_answer; // to the dialog of «Как в прошлый раз»
    int m_groupRound = 0;
    QTemporaryDir m_programFolder;
    QTemporaryDir m_tempFolder;
    PlaylistSession m_session;
    Form1 m_window;
    QElapsedTimer m_clock;
    GapMeter m_gaps;
    QStringList m_messages;
};

const QStringList operations = {"load", "switch", "selectall", "create", "save", "scroll", "tick", "hold",
                                "filter", "group", "selectshown", "previous"};

// One size, in this process: one line per operation, parsed by the parent.
int runSize(const QString &playlist, bool ansi, int runs, const QStringList &wanted)
{
    Bench bench(playlist, ansi);
    const std::map<QString, Figures> figures = bench.runAll(runs, wanted);
    for (const QString &op : wanted) {
        const Figures &f = figures.at(op);
        std::printf("%s %.3f %.1f %.1f\n", qPrintable(op), f.medianMs, f.peakMiB, f.longestGapMs);
    }
    std::printf("channels %d\n", bench.channels());
    for (const QString &m : bench.messages())
        if (!m.startsWith(QStringLiteral("Плейлист создан")))
            std::fprintf(stderr, "message: %s\n", qPrintable(m.left(200)));
    return 0;
}

QString ensurePlaylist(const QString &folder, int size, const QString &suffix)
{
    const QString path = QStringLiteral("%1/bench-%2%3.m3u").arg(folder).arg(size).arg(suffix);
    if (!QFileInfo::exists(path)) {
        const int rc = QProcess::execute(QStringLiteral("python3"),
                                         {QStringLiteral(KELVARO_BENCH_SCRIPT), folder, QStringLiteral("--entries"),
                                          QString::number(size)});
        if (rc != 0 || !QFileInfo::exists(path))
            qFatal("cannot make %s", qPrintable(path));
    }
    return path;
}

// The plain list with group-title="Группа <k>" on every entry, k going
// round 100 groups.
QString ensureGroupedPlaylist(const QString &plain)
{
    const QString path = QString(plain).replace(QStringLiteral(".m3u"), QStringLiteral("-groups.m3u"));
    if (QFileInfo::exists(path))
        return path;
    QFile in(plain);
    QFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        qFatal("cannot make %s", qPrintable(path));
    int entry = 0;
    for (QByteArray line : in.readAll().split('\n')) {
        if (line.startsWith("#EXTINF:-1"))
            line.insert(10, " group-title=\"Группа " + QByteArray::number(entry++ % 100) + '"');
        out.write(line + '\n');
    }
    return path;
}

void printTable(const QList<int> &sizes, const QStringList &wanted, const std::map<int, std::map<QString, Figures>> &all)
{
    std::printf("\n%-10s", "operation");
    for (int size : sizes)
        std::printf(" | %9d: ms   MiB  gap", size);
    for (int i = 1; i < sizes.size(); ++i)
        std::printf(" | x%d", sizes[i] / sizes[i - 1]);
    std::printf("\n");
    QStringList rows = wanted;
    const QStringList whole{"load", "selectall", "create", "save"};
    if (std::all_of(whole.begin(), whole.end(), [&](const QString &op) { return wanted.contains(op); }))
        rows << QStringLiteral("whole way");
    for (const QString &op : rows) {
        std::printf("%-10s", qPrintable(op));
        QList<double> times;
        for (int size : sizes) {
            const auto &figures = all.at(size);
            Figures f;
            if (op == QLatin1String("whole way")) {
                for (const char *part : {"load", "selectall", "create", "save"})
                    f.medianMs += figures.at(QString::fromLatin1(part)).medianMs;
            } else {
                f = figures.at(op);
            }
            times << f.medianMs;
            std::printf(" | %12.*f %5.0f %4.0f", f.medianMs < 10 ? 3 : 1, f.medianMs, f.peakMiB, f.longestGapMs);
        }
        for (int i = 1; i < times.size(); ++i)
            std::printf(" | %4.1f", times[i] / std::max(times[i - 1], 1e-9));
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    freedMemory::keepForReuse(); // as the program does
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::printf("usage: bench_window [--data DIR] [--sizes 10000,100000,1000000] [--runs N] [--ansi] [--suffix S]\n"
                    "                    [--groups] [--ops %s]\n",
                    qPrintable(operations.join(u',')));
        return 0;
    }
    const auto option = [&](const char *name, const QString &fallback) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
    };
    const bool ansi = args.contains(QStringLiteral("--ansi"));
    const int runs = option("--runs", QStringLiteral("5")).toInt();
    const QStringList wanted = option("--ops", operations.join(u',')).split(u',');
    if (const QString one = option("--one", {}); !one.isEmpty())
        return runSize(one, ansi, runs, wanted);

    const QString data = option("--data", QDir::currentPath() + QStringLiteral("/bench-data"));
    const QString suffix = option("--suffix", {});
    QList<int> sizes;
    for (const QString &s : option("--sizes", QStringLiteral("10000,100000,1000000")).split(u','))
        sizes << s.toInt();
    QDir().mkpath(data);

    std::map<int, std::map<QString, Figures>> all;
    for (int size : sizes) {
        QString playlist = ensurePlaylist(data, size, suffix);
        if (args.contains(QStringLiteral("--groups")))
            playlist = ensureGroupedPlaylist(playlist);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList childArgs{QStringLiteral("--one"), playlist, QStringLiteral("--runs"), QString::number(runs),
                              QStringLiteral("--ops"), wanted.join(u',')};
        if (ansi)
            childArgs << QStringLiteral("--ansi");
        child.start(app.applicationFilePath(), childArgs);
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            qFatal("the run on %s failed", qPrintable(playlist));
        std::printf("%s%s:\n", qPrintable(QFileInfo(playlist).fileName()), ansi ? " (ANSI)" : "");
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2)
                std::printf("  %s listed\n", line.constData());
            if (parts.size() != 4)
                continue;
            std::printf("  %-10s %10.3f ms  peak %6.1f MiB  longest gap %6.1f ms\n", parts[0].constData(),
                        parts[1].toDouble(), parts[2].toDouble(), parts[3].toDouble());
            all[size][QString::fromLatin1(parts[0])] = {parts[1].toDouble(), parts[2].toDouble(), parts[3].toDouble()};
        }
        std::fflush(stdout);
    }
    printTable(sizes, wanted, all);
    return 0;
}
