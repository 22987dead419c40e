#pragma once

#include "plugins/PagePlugin.h"
#include "plugins/Word/Main.h"

#include <QObject>

namespace tilvano::word {

// The library's one creatable class: the Word page.
class WordPlugin : public QObject, public tilvano::PagePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TilvanoPagePlugin_iid)
    Q_INTERFACES(tilvano::PagePlugin)
public:
    QString classIdentifier() const override { return QStringLiteral("TilvanoWord.Main"); }
    QString libraryDescription() const override { return QStringLiteral("Tilvano (Word Plugin)"); }
    tilvano::PluginPage *createMain(QWidget *parent) override { return new Main(parent); }
};

} // namespace tilvano::word
