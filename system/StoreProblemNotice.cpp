#include "system/StoreProblemNotice.h"

#include "system/DialogService.h"
#include "system/SystemServices.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>

namespace tilvano {

QString StoreProblemNotice::title() { return QStringLiteral("Tilvano: Einstellungen"); }

QString StoreProblemNotice::text(const StoreProblem &problem)
{
    if (problem.kind == StoreProblem::MovedAside)
        return QStringLiteral("Der Einstellungsspeicher %1 war beschädigt. Er wurde nach %2 verschoben, "
                              "und ein neuer, leerer Einstellungsspeicher wurde angelegt.\n\n"
                              "Die bisherigen Einstellungen gelten nicht mehr; bitte setzen Sie sie neu.")
            .arg(problem.path, problem.detail);
    return QStringLiteral("Die Einstellungen können nicht gespeichert werden: Der Einstellungsspeicher %1 "
                          "lässt sich nicht öffnen oder nicht beschreiben.\n\n"
                          "Bitte prüfen Sie, ob der Ordner %2 vorhanden und für Sie beschreibbar ist. "
                          "Bis dahin gehen Änderungen an den Einstellungen verloren.\n\n(Ursache: %3)")
        .arg(problem.path, QFileInfo(problem.path).absolutePath(), problem.detail);
}

void StoreProblemNotice::tell(const StoreProblem &problem)
{
    if (m_told.contains(problem.kind))
        return;
    m_told.insert(problem.kind);
    const QString message = text(problem);
    qWarning("tilvano: %s", qPrintable(message));
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || !SystemServices::userInterfaceAvailable())
        return;
    // Queued: boxes belong to the interface thread, and the store may be in
    // use on another; and the save that met the problem finishes first.
    QMetaObject::invokeMethod(
        app, [message] { SystemServices::dialogs().showNotice(message, title(), DialogService::Exclamation); },
        Qt::QueuedConnection);
}

} // namespace tilvano
