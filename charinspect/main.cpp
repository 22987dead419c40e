#include "InspectorWindow.h"
#include "VoiceCatalogueEnumerator.h"

#include "platform/agent/client/CharacterClientFactory.h"
#include "system/DiagnosticOptions.h"
#include "system/DisplayEnvironment.h"
#include "system/GermanTranslations.h"
#include "system/StandardOptions.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    const tilvano::StandardOptions options(QStringLiteral("charinspect"), QStringLiteral(
        "Aufruf: charinspect [OPTION]\n"
        "Zeigt die installierten Figuren mit ihren Eigenschaften und die Sprachausgaben,\n"
        "die Tilvano verwenden kann.\n"), QStringLiteral(
        "Rückgabewerte: 0 Erfolg, 1 keine Anzeige vorhanden.\n"));
    if (const auto status = options.answer(argc, argv))
        return *status;
    // The diagnostic switches are read here, once, and handed to the libraries.
    tilvano::DiagnosticOptions::install(tilvano::DiagnosticOptions::fromEnvironment(QProcessEnvironment::systemEnvironment()));
    if (tilvano::DisplayEnvironment::applyToProcess().outcome == tilvano::DisplayChoice::Outcome::NoDisplay) {
        QTextStream(stderr) << tilvano::DisplayEnvironment::headlessAdvice(QStringLiteral("Der Figureninspektor"),
                                                                            QStringLiteral("charinspect"));
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("charinspect"));
    tilvano::GermanTranslations::install(app);
    tilvano::DisplayEnvironment::introduceToDesktop(QStringLiteral("org.lorvat.Tilvano.Charinspect"));
    // Characters are shown by the session's character server, like every other program's.
    tilvano::agent::installAgentClient();
    tilvano::charinspect::InspectorWindow window(tilvano::charinspect::VoiceCatalogueEnumerator::installedVoices());
    window.show();
    return app.exec();
}
