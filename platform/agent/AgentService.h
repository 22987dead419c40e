#pragma once

#include "AgentClock.h"
#include "AgentSettings.h"
#include "AgentTrace.h"
#include "IdleScheduler.h"
#include "RandomSource.h"

#include "common/AgentInterface.h"
#include "platform/acs/AcsReader.h"

#include <QHash>
#include <QPointer>

#include <memory>
#include <optional>

namespace tilvano::speech {
class SpeechSynthesizer;
}

namespace tilvano::agent {

class CharacterSession;
class PropertySheet;

struct AgentServiceOptions {
    AgentClock::Mode clockMode = AgentClock::Mode::Automatic;
    std::optional<quint32> randomSeed; // none: a random seed
    IdleTiming idle;
    // Given: used as they are and kept nowhere (tests). None: read from and saved to the
    // per-user registry.
    std::optional<AgentSettings> settings;
};

// The character service: loads characters under identifiers (without regard to case), hands
// out their objects, owns the settings dialog, and reports what happens to the characters.
class AgentService : public AgentControl
{
    Q_OBJECT

public:
    explicit AgentService(QWidget *host = nullptr, AgentServiceOptions options = {});
    ~AgentService() override;

    // Where load() looks for a character file: a bare file name is one of the character folder.
    static QString characterPath(const QString &file);

    ErrorInfo load(const QString &characterId, const QString &file) override;
    ErrorInfo unload(const QString &characterId) override;
    ErrorInfo replace(const QString &characterId, const QString &file) override;
    AgentCharacter *character(const QString &characterId) override;
    CharacterSession *session(const QString &characterId);

    bool isPropertySheetVisible() const override;
    void setPropertySheetVisible(bool visible) override;
    qint16 propertySheetLeft() const override;
    qint16 propertySheetTop() const override;

    bool isSpeechInputEnabled() const override { return false; }
    bool isConnected() const override { return true; }
    bool isSuspended() const override { return false; }

    AgentClock &clock() { return m_clock; }
    RandomSource &random() { return m_random; }
    const AgentTrace &trace() const { return m_trace; }
    const IdleTiming &idleTiming() const { return m_idle; }
    const AgentSettings &settings() const { return m_settings; }
    // Takes new settings; a change reaches every character and raises propertiesChanged().
    void setSettings(const AgentSettings &settings);
    speech::SpeechSynthesizer &synthesizer();
    PropertySheet *propertySheet();

private:
    // Reports of the characters: traced, then raised as the control's events.
    void relayReports(CharacterSession *session, const QString &id);
    void reportShown(const QString &id, qint16 cause);
    void reportHidden(const QString &id, qint16 cause);
    void reportMoved(const QString &id, QPoint position, qint16 cause);
    void reportClicked(const QString &id, qint16 button, qint16 shift, QPoint position);
    void reportDoubleClicked(const QString &id, qint16 button, qint16 shift, QPoint position);
    void reportBalloonShown(const QString &id);
    void reportBalloonHidden(const QString &id);
    void reportIdleStarted(const QString &id);
    void reportCommand(const AgentUserInput &input);

    static QString keyOf(const QString &characterId) { return characterId.toCaseFolded(); }
    // Finds and reads a character file; a failure comes back in the control's terms.
    std::optional<acs::AcsReader> readCharacterFile(const QString &file, ErrorInfo &failure) const;
    // Makes the character of a read file known under characterId.
    void startSession(const QString &characterId, acs::AcsReader reader);

    QPointer<QWidget> m_host;
    AgentClock m_clock;
    RandomSource m_random;
    AgentTrace m_trace;
    IdleTiming m_idle;
    AgentSettings m_settings;
    bool m_keepSettings = false; // saved to the registry on every change
    std::unique_ptr<speech::SpeechSynthesizer> m_synthesizer;
    QPointer<PropertySheet> m_propertySheet; // a child of the host window, which may go first
    QHash<QString, CharacterSession *> m_sessions; // by case-folded id; owned
};

// Installs, as the program's default AgentControlFactory, one that hands out this service.
void installAgentService();

} // namespace tilvano::agent
