#pragma once

#include "common/AgentInterface.h"
#include "support/RecordingAgentCharacter.h"

#include <QHash>
#include <QStringList>

#include <map>
#include <memory>

namespace tilvano::test {

// A character service that shows nothing. It records every request, in
// order, in one call log shared with its characters and their menus
// ("Characters.Load(somebody, /path/Merlin.acs)", "somebody.Speak(Hallo, )",
// "somebody.Commands.Add(...)"); reads are not recorded. Loads succeed unless
// told otherwise; events are raised by emitting the signals or with the helpers.
class RecordingAgentControl : public AgentControl {
    Q_OBJECT
public:
    explicit RecordingAgentControl(QObject *parent = nullptr);
    ~RecordingAgentControl() override;

    ErrorInfo load(const QString &characterId, const QString &file) override;
    ErrorInfo unload(const QString &characterId) override;
    RecordingAgentCharacter *character(const QString &characterId) override;

    bool isPropertySheetVisible() const override { return m_propertySheetVisible; }
    void setPropertySheetVisible(bool visible) override;
    qint16 propertySheetLeft() const override { return m_propertySheetLeft; }
    qint16 propertySheetTop() const override { return m_propertySheetTop; }
    bool isSpeechInputEnabled() const override { return m_speechInputEnabled; }
    bool isConnected() const override { return true; }
    bool isSuspended() const override { return false; }

    // Loading exactly this file fails with `code`. With AgentErrorAlreadyLoaded
    // the character is there afterwards, as the code says.
    void failLoad(const QString &file, qint32 code);
    // What characters loaded from now on report about themselves.
    CharacterProfile &profile() { return m_profile; }
    void placePropertySheet(qint16 left, qint16 top) { m_propertySheetLeft = left; m_propertySheetTop = top; }
    void setSpeechInputEnabled(bool enabled) { m_speechInputEnabled = enabled; }

    // A spoken command or menu pick.
    void chooseCommand(const QString &name, qint32 confidence = 100, const QString &alt1Name = QString(),
                       qint32 alt1Confidence = 0);

    // Lets every character's queued requests run to their end (see RecordingAgentCharacter).
    void runQueuedRequests();

    const QStringList &calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }
    // The recorded calls that start with `prefix`.
    QStringList callsStartingWith(const QString &prefix) const;

private:
    QStringList m_calls;
    std::map<QString, std::unique_ptr<RecordingAgentCharacter>> m_characters;
    QHash<QString, qint32> m_loadFailures;
    CharacterProfile m_profile;
    bool m_propertySheetVisible = false;
    qint16 m_propertySheetLeft = 0;
    qint16 m_propertySheetTop = 0;
    bool m_speechInputEnabled = false;
};

} // namespace tilvano::test
