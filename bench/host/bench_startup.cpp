// Times the start of tilvano until its character is shown (the service's trace
// records the Show event), against a bare Qt program showing one window, and
// reports the resident memory of the running host. Run it headless under a
// session bus:  dbus-run-session -- bench-bin/bench_startup [RUNS] [HOST...]
// Further HOST programs (copies of other builds) are timed in turn with this
// build's, start by start, so that a change is compared under the same load.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

bool traceShowsCharacter(const QString &tracePath)
{
    static const QRegularExpression shownEvent(QStringLiteral("^Show\\t[^\\t]*\\t\\d+$"),
                                               QRegularExpression::MultilineOption);
    QFile trace(tracePath);
    return trace.open(QIODevice::ReadOnly) && shownEvent.match(QString::fromUtf8(trace.readAll())).hasMatch();
}

// Processor time used so far by all threads of a process, in milliseconds.
double processorMs(qint64 pid)
{
    double total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            total += QString::fromLatin1(stat.readAll()).section(QLatin1Char(' '), 0, 0).toDouble() / 1e6;
    }
    return total;
}

qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
    const auto match = rss.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

struct Sighting {
    double elapsedMs = -1; // -1: never seen
    double processorMs = 0;
};

// Blocks until the trace records the Show event, the host ends or 30 s pass. The clock
// and the host's processor time are read the moment the event is seen: tearing down
// the watch and the loop afterwards takes milliseconds of its own. Waits on
// inotify rather than polling: on a busy two-core machine a polling loop takes processor
// time from the host it measures, while the bare program is waited for without cost.
Sighting waitUntilShown(QProcess &host, const QString &tracePath, const QElapsedTimer &clock)
{
    QFileSystemWatcher watcher;
    watcher.addPath(QFileInfo(tracePath).absolutePath()); // the trace file appears there
    QEventLoop loop;
    Sighting sighting;
    const auto check = [&] {
        if (sighting.elapsedMs >= 0)
            return;
        if (QFile::exists(tracePath) && !watcher.files().contains(tracePath))
            watcher.addPath(tracePath);
        if (traceShowsCharacter(tracePath)) {
            sighting.elapsedMs = double(clock.nsecsElapsed()) / 1e6;
            sighting.processorMs = processorMs(host.processId());
            loop.quit();
        }
    };
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, check);
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, check);
    QObject::connect(&host, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    check(); // it may have been written before the watch began
    if (sighting.elapsedMs < 0)
        loop.exec();
    return sighting;
}

// Milliseconds until the host's character is shown; -1 on failure.
double timeHost(const QString &program, const QProcessEnvironment &environment, const QString &tracePath,
                qint64 *rssKiB, double *cpuMs)
{
    QFile::remove(tracePath);
    QProcess host;
    host.setProcessEnvironment(environment);
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    host.start(program, {});
    const Sighting sighting = waitUntilShown(host, tracePath, clock);
    const double elapsed = sighting.elapsedMs;
    if (elapsed >= 0 && cpuMs)
        *cpuMs = sighting.processorMs;
    if (elapsed >= 0 && rssKiB) {
        QThread::msleep(500); // let the show animation settle before reading memory
        *rssKiB = residentKiB(host.processId());
    }
    ::kill(pid_t(host.processId()), SIGTERM);
    if (!host.waitForFinished(10000))
        host.kill();
    host.waitForFinished();
    return elapsed;
}

double timeBare(const QProcessEnvironment &environment, double *cpuMs)
{
    QProcess bare;
    bare.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    bare.start(QStringLiteral(BARE_PROGRAM), {});
    if (!bare.waitForReadyRead(30000))
        return -1;
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    *cpuMs = QString::fromLatin1(bare.readLine()).section(QLatin1Char(' '), 1, 1).toDouble();
    bare.waitForFinished();
    return elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *sub : {"home", "config", "data", "runtime"})
        QDir(home.path()).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("HOME"), home.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString tracePath = home.filePath(QStringLiteral("trace.txt"));
    environment.insert(QStringLiteral("TILVANO_AGENT_TRACE"), tracePath);
    environment.insert(QStringLiteral("TILVANO_AUDIO"), QStringLiteral("silent"));

    QStringList programs{QStringLiteral(TILVANO_PROGRAM)};
    for (int i = 2; i < argc; ++i)
        programs << QString::fromLocal8Bit(argv[i]);
    struct Figures {
        QList<double> times, cpu;
        qint64 rss = -1;
    };
    QList<Figures> hosts(programs.size());
    Figures bare;
    // Each program gets a runtime folder of its own: builds of different ages need not
    // agree on how their single-instance lock looks.
    QList<QProcessEnvironment> hostEnvironments;
    for (qsizetype h = 0; h < programs.size(); ++h) {
        const QString runtime = home.filePath(QStringLiteral("runtime-%1").arg(h));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        hostEnvironments << environment;
        hostEnvironments.last().insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    }
    // The first start copies the character and creates the store; not counted.
    for (qsizetype h = 0; h < programs.size(); ++h)
        timeHost(programs[h], hostEnvironments[h], tracePath, nullptr, nullptr);
    for (int i = 0; i < runs; ++i) {
        double cpu = 0;
        bare.times << timeBare(environment, &cpu);
        bare.cpu << cpu;
        for (qsizetype h = 0; h < programs.size(); ++h) {
            hosts[h].times << timeHost(programs[h], hostEnvironments[h], tracePath, &hosts[h].rss, &cpu);
            hosts[h].cpu << cpu;
        }
    }
    bool failed = bare.times.contains(-1);
    for (const Figures &figures : hosts)
        failed = failed || figures.times.contains(-1);
    if (failed) {
        std::fprintf(stderr, "a start failed (is a session bus there? run under dbus-run-session)\n");
        return 1;
    }
    const double bareTime = median(bare.times), bareCpu = median(bare.cpu);
    std::printf("runs                         %d\n", runs);
    std::printf("bare Qt window shown         %.1f ms (median), processor %.1f ms\n", bareTime, bareCpu);
    for (qsizetype h = 0; h < programs.size(); ++h) {
        const Figures &figures = hosts[h];
        const double hostTime = median(figures.times), hostCpu = median(figures.cpu);
        std::printf("%s\n", qPrintable(programs[h]));
        std::printf("  character shown            %.1f ms (median)\n", hostTime);
        std::printf("  ratio                      %.2f (target at most 2)\n", hostTime / bareTime);
        std::printf("  processor time until shown %.1f ms, ratio %.2f\n", hostCpu, hostCpu / bareCpu);
        std::printf("  resident memory            %.1f MiB\n", double(figures.rss) / 1024.0);
    }
    return 0;
}
