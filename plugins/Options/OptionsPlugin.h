#pragma once

#include "plugins/Options/Main.h"
#include "plugins/PagePlugin.h"

#include <QObject>

namespace tilvano::options {

// The library's one creatable class: the general-options page.
class OptionsPlugin : public QObject, public tilvano::PagePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TilvanoPagePlugin_iid)
    Q_INTERFACES(tilvano::PagePlugin)
public:
    QString classIdentifier() const override { return QStringLiteral("TilvanoMiscOptions.Main"); }
    QString libraryDescription() const override { return QStringLiteral("Tilvano (Einstellungen Allgemein)"); }
    tilvano::PluginPage *createMain(QWidget *parent) override { return new Main(parent); }
};

} // namespace tilvano::options
