#include "AgentCtl/LibraryStartup.h"

#include "common/ErrorLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tilvano {

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
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (self.isEmpty())
        return false;
    const QString ownPid = QString::number(QCoreApplication::applicationPid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry == ownPid || entry.isEmpty() || !entry.front().isDigit())
            continue;
        if (QFileInfo(QStringLiteral("/proc/") + entry + QStringLiteral("/exe")).symLinkTarget() == self)
            return true;
    }
    return false;
}

} // namespace tilvano
