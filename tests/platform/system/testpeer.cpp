// A second process for the store and single-instance tests.
//   testpeer write PREFIX COUNT        saves COUNT settings, printing each index once saved
//   testpeer instance NAME             tries to become the single instance; prints what happened
//                                      and, as the first one, waits for an activation

#include "common/SettingsStore.h"
#include "platform/system/SingleInstance.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace tilvano;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("write")) {
        const int count = args[3].toInt();
        for (int i = 0; i < count; ++i) {
            SaveSetting(settingsApplication(), QStringLiteral("Load"), args[2] + QString::number(i),
                        QStringLiteral("value %1").arg(i));
            std::printf("%d\n", i);
            std::fflush(stdout);
        }
        return 0;
    }
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
    std::fprintf(stderr, "usage: testpeer write PREFIX COUNT | instance NAME\n");
    return 2;
}
