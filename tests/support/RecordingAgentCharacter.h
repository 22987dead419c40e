#pragma once

#include "common/AgentInterface.h"
#include "support/RecordingAgentCommands.h"

#include <QHash>
#include <QStringList>

namespace tilvano::test {

// What a freshly loaded character reports about itself.
struct CharacterProfile {
    qint16 left = 0, top = 0, width = 128, height = 128;
    qint32 speed = 150, pitch = 100, languageId = 0x0407;
    QString ttsModeId;
    QString description = QStringLiteral("Ein Testfreund");
    QStringList animationNames = {QStringLiteral("Show"), QStringLiteral("Hide"), QStringLiteral("Blink"),
                                  QStringLiteral("Read"), QStringLiteral("Wave")};
};

// A character that performs nothing: every request and every change is
// appended to the shared call log as "<id>.<Request>(<arguments>)", the
// visible state and geometry follow the requests, and any request can be told
// to fail with a code.
class RecordingAgentCharacter : public AgentCharacter {
    Q_OBJECT
public:
    RecordingAgentCharacter(const QString &characterId, const CharacterProfile &profile, QStringList *log,
                            QObject *parent = nullptr);

    ErrorInfo show(bool fast) override;
    ErrorInfo hide(bool fast) override;
    ErrorInfo speak(const QString &text, const QString &soundFile) override;
    ErrorInfo think(const QString &text) override;
    ErrorInfo play(const QString &animation) override;
    ErrorInfo moveTo(qint16 x, qint16 y, std::optional<qint32> speed) override;
    ErrorInfo gestureAt(qint16 x, qint16 y) override;
    ErrorInfo stop() override;
    ErrorInfo stopAll() override;

    bool isVisible() const override { return m_visible; }
    qint16 left() const override { return m_profile.left; }
    void setLeft(qint16 left) override;
    qint16 top() const override { return m_profile.top; }
    void setTop(qint16 top) override;
    qint16 width() const override { return m_profile.width; }
    void setWidth(qint16 width) override;
    qint16 height() const override { return m_profile.height; }
    void setHeight(qint16 height) override;

    qint32 speed() const override { return m_profile.speed; }
    qint32 pitch() const override { return m_profile.pitch; }
    qint32 languageId() const override { return m_profile.languageId; }
    ErrorInfo setLanguageId(qint32 languageId) override;
    QString ttsModeId() const override { return m_profile.ttsModeId; }
    ErrorInfo setTtsModeId(const QString &modeId) override;
    QString description() const override { return m_profile.description; }
    QStringList animationNames() const override { return m_profile.animationNames; }
    bool idleOn() const override { return m_idleOn; }
    void setIdleOn(bool on) override;

    RecordingAgentCommands &commands() override { return m_commands; }

    // The request of this name ("Speak", "Show", "LanguageID", ...) fails with `code` from now on.
    void failRequest(const QString &request, qint32 code);
    // Puts the character somewhere without recording it, as a user's drag would.
    void placeAt(qint16 left, qint16 top) { m_profile.left = left; m_profile.top = top; }
    void setVisibleState(bool visible) { m_visible = visible; }

private:
    ErrorInfo request(const QString &name, const QStringList &arguments);

    QString m_characterId;
    CharacterProfile m_profile;
    QStringList *m_log;
    RecordingAgentCommands m_commands;
    QHash<QString, qint32> m_failures;
    bool m_visible = false;
    bool m_idleOn = true;
};

} // namespace tilvano::test
