#include "plugins/Freund/FreundPlugin.h"

#include "plugins/Freund/Main.h"

namespace tilvano::freund {

QString FreundPlugin::classIdentifier() const
{
    return QStringLiteral("TilvanoAgentOptions.Main");
}

QString FreundPlugin::libraryDescription() const
{
    return QStringLiteral("Tilvano (Einstellungen Freund)");
}

PluginPage *FreundPlugin::createMain(QWidget *parent)
{
    return new Main(parent);
}

} // namespace tilvano::freund
