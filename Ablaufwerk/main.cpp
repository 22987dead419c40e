// ablaufwerk: the macro editor. Its window and everything it does live in the
// editor library; this only connects to the session's character and starts the window.

#include "Ablaufwerk/MainForm.h"
#include "platform/agent/client/CharacterClientFactory.h"
#include "system/DiagnosticOptions.h"
#include "system/DisplayEnvironment.h"
#include "system/GermanTranslations.h"
#include "system/StandardOptions.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char *argv[])
{
    const tilvano::StandardOptions options(QStringLiteral("ablaufwerk"), QStringLiteral(
        "Aufruf: ablaufwerk [MAKRONAME]\n"
        "  oder: ablaufwerk OPTION\n"
        "Öffnet den Makro-Editor von Tilvano. Die ganze Befehlszeile ist der Name des\n"
        "Makros, das ausgewählt wird; ohne Namen oder bei einem unbekannten Namen das\n"
        "erste Makro. Läuft der Editor schon, meldet er das und endet.\n"), QStringLiteral(
        "Rückgabewerte: 0 Erfolg, 1 keine Anzeige vorhanden.\n"));
    if (const auto status = options.answer(argc, argv))
        return *status;
    // The diagnostic switches are read here, once, and handed to the libraries.
    tilvano::DiagnosticOptions::install(tilvano::DiagnosticOptions::fromEnvironment(QProcessEnvironment::systemEnvironment()));
    if (tilvano::DisplayEnvironment::applyToProcess().outcome == tilvano::DisplayChoice::Outcome::NoDisplay) {
        QTextStream(stderr) << tilvano::DisplayEnvironment::headlessAdvice(QStringLiteral("Das Ablaufwerk"), QStringLiteral("ablaufwerk"));
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ablaufwerk"));
    tilvano::GermanTranslations::install(application);
    tilvano::DisplayEnvironment::introduceToDesktop(QStringLiteral("org.lorvat.Tilvano.Ablaufwerk"));
    // The editor ends when its window says so, not when its last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    // The character on the screen is the session's, shared with the companion.
    tilvano::agent::installAgentClient();

    tilvano::ablaufwerk::MainForm window;
    QObject::connect(&window, &tilvano::ablaufwerk::MainForm::editorClosed, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Whoever starts the editor names the macro to open as the whole command line.
    const QString wantedMacro = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    if (!window.start(wantedMacro))
        return 0;
    window.show();
    return application.exec();
}
