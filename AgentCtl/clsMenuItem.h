#pragma once

#include <QString>

namespace tilvano {

// One entry of the character's menu, which is also a voice command.
class clsMenuItem {
public:
    // The command's name, unique within the menu; the service reports it when the entry is chosen.
    QString Key;
    // Menu text; "&" marks the access key.
    QString Caption;
    // The words that trigger the command by voice.
    QString VoiceCmd;
    bool enabled = true;
    bool visible = true;
};

} // namespace tilvano
