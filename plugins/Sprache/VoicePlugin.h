#pragma once

#include "plugins/PagePlugin.h"

#include <QObject>

namespace tilvano::voice {

// The library's entry point for the host: creates the voice page.
class VoicePlugin : public QObject, public PagePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TilvanoPagePlugin_iid)
    Q_INTERFACES(tilvano::PagePlugin)
public:
    QString classIdentifier() const override { return QStringLiteral("TilvanoVoice.Main"); }
    QString libraryDescription() const override { return QStringLiteral("Tilvano (Sprache)"); }
    PluginPage *createMain(QWidget *parent) override;
};

} // namespace tilvano::voice
