#include "system/GermanTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tilvano {

namespace {

// qtbase holds the texts of every widget and dialog we show.
const QString catalogueName = QStringLiteral("qtbase_de");

} // namespace

QString GermanTranslations::catalogueFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool GermanTranslations::install(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (!translator->load(catalogueName, catalogueFolder())) {
        delete translator;
        qWarning("%s", qUtf8Printable(QStringLiteral("Qts deutsche Texte (%1.qm) fehlen in %2; bitte das Paket "
                                                     "qt6-translations-l10n installieren.")
                                          .arg(catalogueName, catalogueFolder())));
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace tilvano
