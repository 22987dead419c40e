// tilvano: the host program. Shows the character, offers the tray menu and
// lets other programs drive the character over the session bus (see kibo).

#include "host/HostApplication.h"
#include "host/TerminationSignals.h"

#include "system/DiagnosticOptions.h"
#include "system/DisplayEnvironment.h"
#include "system/GermanTranslations.h"
#include "system/SingleInstance.h"
#include "system/StandardOptions.h"

#include <QApplication>
#include <QTextStream>

using namespace tilvano;

namespace {

// The first instance answers only once its event loop runs, which may be a
// moment after it took the lock while it loads the character.
bool askRunningInstanceToComeForward(const SingleInstance &instance)
{
    constexpr int attempts = 5;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (instance.activateRunningInstance())
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    const StandardOptions options(QStringLiteral("tilvano"), QStringLiteral(
        "Aufruf: tilvano [OPTION]\n"
        "Startet den Begleiter Tilvano: zeigt die Figur und das Symbol im Systembereich,\n"
        "lädt die Einstellungsseiten und bietet die Figur anderen Programmen auf dem\n"
        "Sitzungsbus an (siehe kibo). Läuft Tilvano schon, holt ein zweiter Aufruf\n"
        "die laufende Figur nach vorn.\n"), QStringLiteral(
        "Rückgabewerte: 0 Erfolg, 1 keine Anzeige vorhanden oder die laufende\n"
        "Instanz antwortet nicht.\n"));
    if (const auto status = options.answer(argc, argv))
        return *status;
    // The diagnostic switches are read here, once, and handed to the libraries.
    DiagnosticOptions::install(DiagnosticOptions::fromEnvironment(QProcessEnvironment::systemEnvironment()));
    if (DisplayEnvironment::applyToProcess().outcome == DisplayChoice::Outcome::NoDisplay) {
        QTextStream(stderr) << DisplayEnvironment::headlessAdvice(QStringLiteral("Tilvano"), QStringLiteral("tilvano"));
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tilvano"));
    GermanTranslations::install(application);
    DisplayEnvironment::introduceToDesktop(QStringLiteral("org.lorvat.Tilvano"));
    // The character and the tray live on while every window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(QStringLiteral("tilvano"));
    if (!instance.tryAcquire()) {
        if (askRunningInstanceToComeForward(instance))
            return 0;
        QTextStream(stderr) << "Tilvano läuft schon, antwortet aber nicht.\n";
        return 1;
    }

    host::HostApplication host;
    QObject::connect(&instance, &SingleInstance::activationRequested, &host, &host::HostApplication::bringToFront);
    host::TerminationSignals termination;
    QObject::connect(&termination, &host::TerminationSignals::terminationRequested, &host,
                     &host::HostApplication::endSession);
    host.start();
    // A request to end that came while starting (from the loop of a box
    // shown on the way) must not be forgotten: exec() would start afresh.
    const int result = host.isEnding() ? 0 : application.exec();
    // Pages may still ask about unsaved changes, so this runs with the
    // application still there.
    host.shutdown();
    return result;
}
