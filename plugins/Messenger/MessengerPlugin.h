#pragma once

#include "plugins/PagePlugin.h"

#include <QObject>

namespace tilvano::messengerpage {

// The library's one creatable class: the chat page.
class MessengerPlugin : public QObject, public PagePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TilvanoPagePlugin_iid)
    Q_INTERFACES(tilvano::PagePlugin)
public:
    QString classIdentifier() const override;
    QString libraryDescription() const override;
    PluginPage *createMain(QWidget *parent) override;
};

} // namespace tilvano::messengerpage
