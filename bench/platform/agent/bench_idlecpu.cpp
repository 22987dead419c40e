// How much processor time a shown character costs while nobody uses it: the figure a desktop
// companion lives by, since it sits on screen all day. Runs on the real clock, so it takes as
// long as it measures.
//
//   bench_idlecpu [seconds idling, default 20] [character file, default the built Merlin]
//
// Prints process CPU time over wall time for three stretches: the bare event loop, the
// character standing still (idling off) and the character going through its idle animations,
// with what was drawn meanwhile, so a high figure points at its cause.
#include "platform/agent/AgentService.h"
#include "platform/agent/CharacterSession.h"
#include "platform/agent/CharacterWindow.h"
#include "system/DiagnosticOptions.h"

#include <QApplication>
#include <QBitmap>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QRegion>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <cstdio>

using namespace tilvano;
using namespace tilvano::agent;

namespace {

double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Counts what the event loop did: every timer event anywhere, and paints of the character.
class EventCounter : public QObject
{
public:
    int timers = 0;
    int paints = 0;
    QWidget *watched = nullptr;

    void reset() { timers = paints = 0; }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            ++timers;
        else if (event->type() == QEvent::Paint && object == watched)
            ++paints;
        return false;
    }
};

struct Stretch {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double percent() const { return wallSeconds > 0 ? 100.0 * cpuSeconds / wallSeconds : 0; }
};

Stretch runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    const double cpuStart = processCpuSeconds();
    wall.start();
    loop.exec();
    return {double(wall.nsecsElapsed()) / 1e9, processCpuSeconds() - cpuStart};
}

void report(const char *what, const Stretch &stretch, const EventCounter &counter, int frames, int unchanged)
{
    std::printf("%-34s %6.1f s wall  %7.3f s cpu  %6.2f %%  timers %5d  frames %4d (unchanged %4d)  paints %4d\n",
                what, stretch.wallSeconds, stretch.cpuSeconds, stretch.percent(), counter.timers, frames, unchanged,
                counter.paints);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No sound: the figures are the service's, not the sound server's.
    tilvano::DiagnosticOptions::Values diagnostics;
    diagnostics.silentAudio = true;
    tilvano::DiagnosticOptions::install(diagnostics);
    QApplication app(argc, argv);

    const int idleSeconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    const QString file = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(TILVANO_MERLIN_FILE);
    if (!QFile::exists(file)) {
        std::fprintf(stderr, "no character file at %s\n", qPrintable(file));
        return 2;
    }

    AgentServiceOptions options;
    options.clockMode = AgentClock::Mode::Automatic;
    options.randomSeed = 1;
    options.idle.firstDelayMs = 1000; // straight into the idle animations; the pauses stay real
    AgentSettings settings;
    settings.speechOutput = false;
    options.settings = settings; // kept nowhere: the user's registry stays untouched
    AgentService service(nullptr, options);

    EventCounter counter;
    app.installEventFilter(&counter);

    const Stretch bare = runFor(3000);
    report("event loop alone", bare, counter, 0, 0);

    if (const ErrorInfo loaded = service.load(QStringLiteral("c"), file); loaded.isError()) {
        std::fprintf(stderr, "cannot load %s: %s\n", qPrintable(file), qPrintable(loaded.description));
        return 2;
    }
    CharacterSession *session = service.session(QStringLiteral("c"));
    counter.watched = session->window();

    // Frames handed to the window, and how many of them looked like the one before.
    int frames = 0;
    int unchanged = 0;
    QImage previous;
    QObject::connect(&session->player(), &AnimationPlayer::frameShown, &app, [&]() {
        ++frames;
        const QImage now = session->window()->shownImage();
        if (now == previous)
            ++unchanged;
        previous = now;
    });

    session->setIdleOn(false);
    session->show(false);
    runFor(3000); // the Show animation, not part of any figure
    counter.reset();
    frames = unchanged = 0;
    const Stretch standing = runFor(5000);
    report("standing still (idling off)", standing, counter, frames, unchanged);

    session->setIdleOn(true);
    counter.reset();
    frames = unchanged = 0;
    const Stretch idling = runFor(idleSeconds * 1000);
    report("idling (idle animations)", idling, counter, frames, unchanged);
    std::printf("idle level reached: %d\n", session->idleLevel());

    // Without a real screen the window skips its input shape; on a desktop it rebuilds the shape
    // from every frame it is given. Timed here so the figure above can be read for X11 too.
    const QImage shown = session->window()->shownImage();
    if (!shown.isNull()) {
        constexpr int Rounds = 200;
        QElapsedTimer shapeTimer;
        shapeTimer.start();
        qsizetype rects = 0;
        for (int i = 0; i < Rounds; ++i)
            rects += QRegion(QBitmap::fromImage(shown.createAlphaMask())).rectCount();
        const double shapeMs = double(shapeTimer.nsecsElapsed()) / 1e6 / Rounds;
        const double framesPerSecond = idling.wallSeconds > 0 ? frames / idling.wallSeconds : 0;
        std::printf("window shape per frame: %.3f ms (%lld rectangles); at %.2f frames/s that adds %.3f %% on a "
                    "shaped platform (this run: %s)\n",
                    shapeMs, static_cast<long long>(rects / Rounds), framesPerSecond,
                    framesPerSecond * shapeMs / 10.0, qPrintable(QGuiApplication::platformName()));
    }

    const double characterShare = idling.percent() - bare.percent();
    std::printf("character while idling: %.2f %% of one core (target at most 1 %%): %s\n", characterShare,
                characterShare <= 1.0 ? "within target" : "ABOVE TARGET");
    return 0;
}
