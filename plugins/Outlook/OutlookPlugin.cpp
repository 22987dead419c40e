#include "plugins/Outlook/OutlookPlugin.h"

#include "plugins/Outlook/Main.h"

namespace tilvano::outlook {

QString OutlookPlugin::classIdentifier() const
{
    return QStringLiteral("TilvanoOutlookPlugin.Main");
}

QString OutlookPlugin::libraryDescription() const
{
    return QStringLiteral("Tilvano (Outlook 2000)");
}

PluginPage *OutlookPlugin::createMain(QWidget *parent)
{
    return new Main(parent);
}

} // namespace tilvano::outlook
