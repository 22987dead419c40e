// A second process for the store and single-instance tests.
//   testpeer write PREFIX COUNT        saves COUNT settings, printing each index once saved
//   testpeer host PREFIX               works like the companion: one save and a few reads per
//                                      turn of its event loop, a turn every few milliseconds,
//                                      until its standard input closes; prints the saves made
//   testpeer read                      reads the store, with short pauses, until its standard
//                                      input closes; prints the reads made
//   testpeer readonly FOLDER COUNT     makes FOLDER read-only for itself alone (its own user and
//                                      mount namespace), then tries COUNT saves; prints how
//                                      many were stored
//   testpeer instance NAME             tries to become the single instance; prints what happened
//                                      and, as the first one, waits for an activation
// The store modes end with status 1 when a save or a read failed.

#include "common/SettingsStore.h"
#include "system/Registry.h"
#include "system/SingleInstance.h"
#include "system/SystemServices.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace tilvano;

namespace {

bool complain(const char *what, const QString &detail)
{
    std::fprintf(stderr, "testpeer: %s: %s\n", what, qPrintable(detail));
    return false;
}

int workLikeTheHost(QCoreApplication &app, const QString &prefix)
{
    int turn = 0;
    bool ok = true;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &app, [&] {
        const QString key = prefix + QString::number(turn);
        const QString value = QStringLiteral("value %1").arg(turn);
        if (!SaveSetting(settingsApplication(), QStringLiteral("Load"), key, value))
            ok = complain("save failed", SystemServices::registry().lastError());
        // The companion reads the same few settings again and again in a turn
        // (the logging switch before every operation), and what it just wrote.
        for (int i = 0; i < 4; ++i)
            GetSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("Logging"));
        if (GetSetting(settingsApplication(), QStringLiteral("Load"), key) != value)
            ok = complain("own save not read back", key);
        ++turn;
        if (!ok)
            app.quit();
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    timer.start(5);
    app.exec();
    std::printf("%d\n", turn);
    return ok ? 0 : 1;
}

bool inputClosedWithin(int milliseconds)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (::poll(&input, 1, milliseconds) <= 0)
        return false;
    char buffer[64];
    return ::read(STDIN_FILENO, buffer, sizeof buffer) <= 0;
}

// Another program that reads settings, such as the macro editor.
int readOnly()
{
    int reads = 0;
    for (; !inputClosedWithin(1); ++reads) {
        GetSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("Logging"));
        GetSetting(settingsApplication(), QStringLiteral("Load"), QStringLiteral("h%1").arg(reads));
        if (!SystemServices::registry().lastError().isEmpty()) {
            complain("read failed", SystemServices::registry().lastError());
            return 1;
        }
    }
    std::printf("%d\n", reads);
    return 0;
}

bool writeProcFile(const char *path, const QByteArray &text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
    if (fd >= 0)
        ::close(fd);
    return written;
}

// A read-only mount of the folder, seen by this process alone, as a folder on
// a read-only medium would be. It holds for root too, which file modes do not.
// Must run before any thread starts: a user namespace takes single threads only.
bool makeReadOnly(const char *folder)
{
    const QByteArray uidMap = QByteArray::number(::getuid()) + ' ' + QByteArray::number(::getuid()) + " 1";
    const QByteArray gidMap = QByteArray::number(::getgid()) + ' ' + QByteArray::number(::getgid()) + " 1";
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        std::perror("testpeer: unshare");
        return false;
    }
    const bool mapped = writeProcFile("/proc/self/setgroups", "deny") && writeProcFile("/proc/self/uid_map", uidMap)
                        && writeProcFile("/proc/self/gid_map", gidMap);
    if (!mapped || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount(folder, folder, nullptr, MS_BIND, nullptr) != 0
        || ::mount(nullptr, folder, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        std::perror("testpeer: read-only mount");
        return false;
    }
    return true;
}

int saveIntoReadOnlyFolder(int count)
{
    int stored = 0;
    for (int i = 0; i < count; ++i)
        stored += SaveSetting(settingsApplication(), QStringLiteral("Load"), QStringLiteral("ro%1").arg(i),
                              QStringLiteral("x"))
                      ? 1
                      : 0;
    std::printf("%d\n", stored);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "readonly") == 0 && !makeReadOnly(argv[2]))
        return 3;
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("write")) {
        const int count = args[3].toInt();
        for (int i = 0; i < count; ++i) {
            if (!SaveSetting(settingsApplication(), QStringLiteral("Load"), args[2] + QString::number(i),
                             QStringLiteral("value %1").arg(i)))
                return 1;
            std::printf("%d\n", i);
            std::fflush(stdout);
        }
        return 0;
    }
    if (args.size() == 4 && args[1] == QLatin1String("readonly"))
        return saveIntoReadOnlyFolder(args[3].toInt());
    if (args.size() == 3 && args[1] == QLatin1String("host"))
        return workLikeTheHost(app, args[2]);
    if (args.size() == 2 && args[1] == QLatin1String("read"))
        return readOnly();
    if (args.size() == 3 && args[1] == QLatin1String("instance")) {
        SingleInstance instance(args[2]);
        if (!instance.tryAcquire()) {
            std::printf(instance.activateRunningInstance(QStringLiteral("hallo")) ? "second activated\n"
                                                                                 : "second unanswered\n");
            return 0;
        }
        QObject::connect(&instance, &SingleInstance::activationRequested, &app, [&](const QString &message) {
            std::printf("activated %s\n", qPrintable(message));
            std::fflush(stdout);
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        });
        std::printf("primary\n");
        std::fflush(stdout);
        return app.exec();
    }
    std::fprintf(stderr, "usage: testpeer write PREFIX COUNT | host PREFIX | read | readonly FOLDER COUNT | instance NAME\n");
    return 2;
}
