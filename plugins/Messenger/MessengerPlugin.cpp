#include "plugins/Messenger/MessengerPlugin.h"

#include "plugins/Messenger/Main.h"

namespace tilvano::messengerpage {

QString MessengerPlugin::classIdentifier() const
{
    return QStringLiteral("TilvanoMessengerPlugin.Main");
}

QString MessengerPlugin::libraryDescription() const
{
    return QStringLiteral("Tilvano (MS Messenger-Plugin)");
}

PluginPage *MessengerPlugin::createMain(QWidget *parent)
{
    return new Main(parent);
}

} // namespace tilvano::messengerpage
