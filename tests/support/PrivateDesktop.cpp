#include "support/PrivateDesktop.h"

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace tilvano::test {

namespace {

constexpr int kServerStartMs = 20000;

std::vector<char *> pointersTo(QByteArrayList &texts)
{
    std::vector<char *> pointers;
    for (QByteArray &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts a program found on PATH with the current environment, some of it replaced
// ("NAME=value"); -1 when it cannot be started.
pid_t spawn(QByteArrayList arguments, const QByteArrayList &replaced = {})
{
    QByteArrayList environment;
    for (char **entry = environ; *entry; ++entry) {
        const QByteArray variable(*entry);
        const QByteArray name = variable.left(variable.indexOf('=') + 1);
        if (std::none_of(replaced.begin(), replaced.end(), [&name](const QByteArray &r) { return r.startsWith(name); }))
            environment.append(variable);
    }
    environment.append(replaced);
    std::vector<char *> argv = pointersTo(arguments);
    std::vector<char *> envp = pointersTo(environment);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

void end(pid_t &pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    pid = -1;
}

// Xvfb writes the display number it chose to the descriptor, followed by a line end.
QString readDisplayNumber(int fd)
{
    QByteArray number;
    pollfd wanted{fd, POLLIN, 0};
    while (!number.endsWith('\n') && poll(&wanted, 1, kServerStartMs) > 0) {
        char c = 0;
        if (read(fd, &c, 1) != 1)
            break;
        number.append(c);
    }
    return number.endsWith('\n') ? QString::fromLatin1(number.trimmed()) : QString();
}

} // namespace

PrivateDesktop::~PrivateDesktop() { stop(); }

bool PrivateDesktop::start(QString *error)
{
    int ends[2];
    if (pipe(ends) != 0) {
        *error = QStringLiteral("no pipe for Xvfb");
        return false;
    }
    // Only the writing end reaches Xvfb.
    fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    m_server = spawn({"Xvfb", "-displayfd", QByteArray::number(ends[1]), "-screen", "0", "1280x1024x24", "-nolisten",
                      "tcp"});
    close(ends[1]);
    const QString number = m_server > 0 ? readDisplayNumber(ends[0]) : QString();
    close(ends[0]);
    if (number.isEmpty()) {
        *error = QStringLiteral("Xvfb did not start (is the package xvfb installed?)");
        stop();
        return false;
    }
    m_display = QLatin1Char(':') + number;
    qputenv("DISPLAY", m_display.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");

    // openbox reads and writes its settings under these, not the user's. A window shown
    // before it manages the screen may stay without a frame: it says when it does by
    // making a file, and start() returns only then.
    const QByteArray home = m_home.path().toLocal8Bit();
    const QString ready = m_home.filePath(QStringLiteral("ready"));
    m_windowManager = spawn({"openbox", "--sm-disable", "--startup", "touch " + QFile::encodeName(ready)},
                            {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config", "XDG_CACHE_HOME=" + home + "/cache"});
    QDeadlineTimer deadline(kServerStartMs);
    while (m_windowManager > 0 && !QFileInfo::exists(ready) && !deadline.hasExpired()) {
        if (waitpid(m_windowManager, nullptr, WNOHANG) == m_windowManager)
            m_windowManager = -1; // it ended: nothing left to stop
        else
            usleep(10 * 1000);
    }
    if (!QFileInfo::exists(ready)) {
        *error = QStringLiteral("openbox did not start (is the package openbox installed?)");
        stop();
        return false;
    }
    return true;
}

void PrivateDesktop::stop()
{
    end(m_windowManager);
    end(m_server);
}

} // namespace tilvano::test
