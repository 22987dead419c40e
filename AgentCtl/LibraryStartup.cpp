#include "AgentCtl/LibraryStartup.h"

#include "common/ErrorLog.h"

#include <QByteArray>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tilvano {

namespace {

// The target of a /proc "exe" link, empty when it cannot be read.
QByteArray linkTarget(int dirFd, const char *path)
{
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(dirFd, path, target.data(), size_t(target.size()));
    if (length <= 0 || length >= target.size())
        return {};
    target.truncate(length);
    return target;
}

} // namespace

void LibraryStartup::ensureRun()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    WriteLog(writer::tilvano(), QStringLiteral("Tilvano.Agent: Sub Main called"));
    WriteLog(writer::tilvano(), QStringLiteral("Tilvano.Agent: PrevInstance: ")
                                    + (previousInstanceRunning() ? QStringLiteral("True") : QStringLiteral("False")));
}

bool LibraryStartup::previousInstanceRunning()
{
    // Every process of ours shows its program file as /proc/<pid>/exe; other
    // users' processes do not let us read theirs, so only this user's count.
    // This runs before the first window of every program shows, on desktops with
    // hundreds of processes, so it makes one system call per process and no more.
    const QByteArray self = linkTarget(AT_FDCWD, "/proc/self/exe");
    if (self.isEmpty())
        return false;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return false;
    const int procFd = ::dirfd(proc);
    const pid_t ownPid = ::getpid();
    bool found = false;
    while (const dirent *entry = ::readdir(proc)) {
        const char *name = entry->d_name;
        if (name[0] < '0' || name[0] > '9' || std::atol(name) == ownPid)
            continue;
        char exePath[sizeof entry->d_name + 8];
        std::snprintf(exePath, sizeof exePath, "%s/exe", name);
        if (linkTarget(procFd, exePath) == self) {
            found = true;
            break;
        }
    }
    ::closedir(proc);
    return found;
}

} // namespace tilvano
