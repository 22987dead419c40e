#pragma once

#include "common/AgentInterface.h"

namespace tilvano::agent {

// A character as this service's programs know it: the common surface, and what the character
// file tells beyond it (which the viewer shows). Each value can be read by its name, so that a
// program asking from afar names the value it wants.
class DescribedCharacter : public AgentCharacter
{
    Q_OBJECT
    Q_PROPERTY(bool visible READ isVisible)
    Q_PROPERTY(int left READ left)
    Q_PROPERTY(int top READ top)
    Q_PROPERTY(int width READ width)
    Q_PROPERTY(int height READ height)
    Q_PROPERTY(int speed READ speed)
    Q_PROPERTY(int pitch READ pitch)
    Q_PROPERTY(int languageId READ languageId)
    Q_PROPERTY(QString ttsModeId READ ttsModeId)
    Q_PROPERTY(QString description READ description)
    Q_PROPERTY(QStringList animationNames READ animationNames)
    Q_PROPERTY(bool idleOn READ idleOn)
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(QString guid READ guid)
    Q_PROPERTY(QString version READ version)
    Q_PROPERTY(QString extraData READ extraData)
    Q_PROPERTY(bool soundEffectsOn READ soundEffectsOn)
    Q_PROPERTY(bool hasOtherClients READ hasOtherClients)
    Q_PROPERTY(QString srModeId READ srModeId)
    Q_PROPERTY(int originalWidth READ originalWidth)
    Q_PROPERTY(int originalHeight READ originalHeight)

public:
    using AgentCharacter::AgentCharacter;

    virtual QString name() const = 0;
    virtual QString guid() const = 0;
    virtual QString version() const = 0;
    virtual QString extraData() const = 0;
    virtual bool soundEffectsOn() const = 0;
    // Whether other programs have loaded the character too.
    virtual bool hasOtherClients() const = 0;
    // Empty: no speech recognition.
    virtual QString srModeId() const = 0;
    virtual int originalWidth() const = 0;
    virtual int originalHeight() const = 0;
};

} // namespace tilvano::agent
