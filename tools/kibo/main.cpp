// kibo: drives the character of a running Tilvano from shell scripts and
// cron jobs, over the session bus.

#include "system/StandardOptions.h"
#include "tools/kibo/KiboClient.h"
#include "tools/kibo/KiboCommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <unistd.h>

namespace {

// Cron and other non-session starters pass no bus address; the user's bus of
// a systemd session is still there, at a known place.
void findUserBusWhenUnset()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtimeDir.isEmpty())
        runtimeDir = QStringLiteral("/run/user/%1").arg(getuid());
    const QString socket = runtimeDir + QStringLiteral("/bus");
    if (QFileInfo(socket).exists())
        qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket).toUtf8());
}

} // namespace

int main(int argc, char *argv[])
{
    const tilvano::StandardOptions options(QStringLiteral("kibo"), tilvano::kibo::kiboUsage(),
                                           tilvano::kibo::kiboExitStatuses());
    if (const auto status = options.answer(argc, argv))
        return *status;
    findUserBusWhenUnset();
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto command = tilvano::kibo::parseKiboCommand(QCoreApplication::arguments().mid(1));
    if (!command)
        return options.refuseUsage();
    if (command->kind == tilvano::kibo::KiboCommand::Kind::Help) {
        out << options.helpText();
        return 0;
    }
    tilvano::kibo::KiboClient client(out, err);
    return client.run(*command);
}
