// Times the main window's operations on a benchmark playlist, the way a user
// runs them: offscreen, through the real controls.
//
//   bench_window OPERATION PLAYLIST [--ansi] [--runs N]
//
// OPERATION: load | switch | selectall | create | save | hold. Prints the
// time of every run, their median and the peak memory of the process during
// the operation (VmHWM, reset before each run where the kernel allows it).
// "hold" is 1000 steps of a held "Канал вниз" on the whole new list, each
// followed by the repaint a timer tick gets.

#include "app/Form1.h"
#include "app/InfoMessage.h"
#include "channels/ChannelListModel.h"
#include "channels/NewListView.h"
#include "channels/Reorder.h"
#include "intake/PlaylistLoader.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

qint64 peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

template<class T>
T *control(Form1 &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}

int usage()
{
    std::fprintf(stderr, "usage: bench_window load|switch|selectall|create|save|hold PLAYLIST [--ansi] [--runs N]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString operation = args.takeFirst();
    const QString playlist = args.takeFirst();
    const bool ansi = args.contains(QStringLiteral("--ansi"));
    int runs = 5;
    if (const qsizetype i = args.indexOf(QStringLiteral("--runs")); i >= 0 && i + 1 < args.size())
        runs = args.at(i + 1).toInt();

    QTemporaryDir programFolder;
    QTemporaryDir tempFolder;
    qputenv("Temp", QFile::encodeName(tempFolder.path()));
    QStringList messages;
    infoMessage::setHookForTesting([&](QWidget *, const QString &text) { messages << text; });

    Form1 window(programFolder.path());
    window.show();
    QElapsedTimer clock;
    window.loader().setFileChooserForTesting([&](QWidget *, const QString &) -> std::optional<QString> {
        clock.start(); // the dialog has just been accepted
        return playlist;
    });
    const auto click = [&](const char *name) { control<QAbstractButton>(window, name)->click(); };
    auto &source = *qobject_cast<ChannelListModel *>(control<QListView>(window, "List1")->model());

    if (ansi)
        click("Option1");
    std::function<void()> run;
    if (operation == QLatin1String("load")) {
        run = [&] { click("Command1"); };
    } else {
        click("Command1");
        if (operation == QLatin1String("switch")) {
            run = [&, toAnsi = !ansi]() mutable {
                clock.start();
                click(toAnsi ? "Option1" : "Option2");
                toAnsi = !toAnsi;
            };
        } else if (operation == QLatin1String("selectall")) {
            run = [&, box = control<QWidget>(window, "Check1")] {
                clock.start();
                QTest::mouseClick(box, Qt::LeftButton);
            };
        } else if (operation == QLatin1String("hold")) {
            for (int i = 0; i < source.count(); ++i)
                source.setChecked(i, true);
            click("Command3");
            auto list = control<NewListView>(window, "List2");
            run = [&, list] {
                list->selectRow(0);
                QCoreApplication::processEvents();
                clock.start();
                for (int step = 0; step < 1000; ++step) {
                    --window.reorder().moveDirection;
                    window.reorder().MoveChannel();
                    list->viewport()->repaint();
                }
            };
        } else if (operation == QLatin1String("create") || operation == QLatin1String("save")) {
            for (int i = 0; i < source.count(); ++i)
                source.setChecked(i, true);
            if (operation == QLatin1String("save"))
                click("Command3");
            const char *button = operation == QLatin1String("create") ? "Command3" : "Command2";
            run = [&, button] {
                clock.start();
                click(button);
            };
        } else {
            return usage();
        }
    }

    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        resetPeak();
        run();
        const double ms = clock.nsecsElapsed() / 1e6;
        times << ms;
        std::printf("%s run %d: %.1f ms, peak %lld KiB, %d channels, %d new\n", qPrintable(operation), i + 1, ms,
                    peakKiB(), source.count(), int(control<QListView>(window, "List2")->model()->rowCount()));
    }
    std::sort(times.begin(), times.end());
    std::printf("%s %s%s: median %.1f ms of %d runs; input %lld bytes\n", qPrintable(operation),
                qPrintable(QFileInfo(playlist).fileName()), ansi ? " (ANSI)" : "", times.at(times.size() / 2), runs,
                QFileInfo(playlist).size());
    for (const QString &m : std::as_const(messages))
        if (!m.startsWith(QStringLiteral("Плейлист создан")))
            std::printf("message: %s\n", qPrintable(m));
    return 0;
}
