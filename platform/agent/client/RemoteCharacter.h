#pragma once

#include "RemoteCommands.h"

#include "platform/agent/DescribedCharacter.h"

#include <QVariant>

namespace tilvano::agent {

class CharacterBusClient;

// A character the server shows, as this program loaded it: each request is a call to the
// server, which queues it with every other program's requests in the order they arrive.
class RemoteCharacter : public DescribedCharacter
{
    Q_OBJECT

public:
    RemoteCharacter(const CharacterBusClient &client, const QString &id);

    ErrorInfo show(bool fast) override;
    ErrorInfo hide(bool fast) override;
    ErrorInfo speak(const QString &text, const QString &soundFile) override;
    ErrorInfo think(const QString &text) override;
    ErrorInfo play(const QString &animation) override;
    ErrorInfo moveTo(qint16 x, qint16 y, std::optional<qint32> speed) override;
    ErrorInfo gestureAt(qint16 x, qint16 y) override;
    ErrorInfo stop() override;
    ErrorInfo stopAll() override;

    bool isVisible() const override { return value("visible").toBool(); }
    qint16 left() const override { return qint16(value("left").toInt()); }
    void setLeft(qint16 left) override { set("left", left); }
    qint16 top() const override { return qint16(value("top").toInt()); }
    void setTop(qint16 top) override { set("top", top); }
    qint16 width() const override { return qint16(value("width").toInt()); }
    void setWidth(qint16 width) override { set("width", width); }
    qint16 height() const override { return qint16(value("height").toInt()); }
    void setHeight(qint16 height) override { set("height", height); }
    qint32 speed() const override { return value("speed").toInt(); }
    qint32 pitch() const override { return value("pitch").toInt(); }
    qint32 languageId() const override { return value("languageId").toInt(); }
    ErrorInfo setLanguageId(qint32 languageId) override { return set("languageId", languageId); }
    QString ttsModeId() const override { return value("ttsModeId").toString(); }
    ErrorInfo setTtsModeId(const QString &modeId) override { return set("ttsModeId", modeId); }
    QString description() const override { return value("description").toString(); }
    QStringList animationNames() const override { return value("animationNames").toStringList(); }
    bool idleOn() const override { return value("idleOn").toBool(); }
    void setIdleOn(bool on) override { set("idleOn", on); }
    AgentCommands &commands() override { return m_commands; }

    QString name() const override { return value("name").toString(); }
    QString guid() const override { return value("guid").toString(); }
    QString version() const override { return value("version").toString(); }
    QString extraData() const override { return value("extraData").toString(); }
    bool soundEffectsOn() const override { return value("soundEffectsOn").toBool(); }
    bool hasOtherClients() const override { return value("hasOtherClients").toBool(); }
    QString srModeId() const override { return value("srModeId").toString(); }
    int originalWidth() const override { return value("originalWidth").toInt(); }
    int originalHeight() const override { return value("originalHeight").toInt(); }

private:
    ErrorInfo request(const char *method, QVariantList arguments = {});
    QVariant value(const char *property) const;
    ErrorInfo set(const char *property, const QVariant &value);

    const CharacterBusClient &m_client;
    QString m_id;
    RemoteCommands m_commands;
};

} // namespace tilvano::agent
