#include "InspectorWindow.h"
#include "VoiceCatalogueEnumerator.h"

#include "platform/agent/client/CharacterClientFactory.h"
#include "system/DiagnosticOptions.h"
#include "system/GermanTranslations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The diagnostic switches are read here, once, and handed to the libraries.
    tilvano::DiagnosticOptions::install(tilvano::DiagnosticOptions::fromEnvironment(QProcessEnvironment::systemEnvironment()));
    // Characters walk to screen positions, which a Wayland client cannot do with its own windows.
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY")
        && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("charinspect"));
    tilvano::GermanTranslations::install(app);
    // Characters are shown by the session's character server, like every other program's.
    tilvano::agent::installAgentClient();
    tilvano::charinspect::InspectorWindow window(tilvano::charinspect::VoiceCatalogueEnumerator::installedVoices());
    window.show();
    return app.exec();
}
