#pragma once

#include <QString>

class QCoreApplication;

namespace tilvano {

// Our user interface is German whatever language the session speaks, so the
// texts Qt itself brings along (the file dialog's "Abbrechen", the context
// menu of a text field) are German too: Qt's own catalogue, as the desktop
// installs it, is loaded into the application.
class GermanTranslations {
public:
    // Installs the catalogue into the running application; the translator
    // lives as long as the application. When the catalogue is missing, Qt's
    // texts stay English and the program runs on: false, and the reason is
    // written to the program's warnings.
    static bool install(QCoreApplication &application);

    // Where the catalogue is looked for.
    static QString catalogueFolder();
};

} // namespace tilvano
