#include "plugins/Sprache/VoicePlugin.h"

#include "plugins/Sprache/Main.h"

namespace tilvano::voice {

PluginPage *VoicePlugin::createMain(QWidget *parent)
{
    return new Main(parent);
}

} // namespace tilvano::voice
