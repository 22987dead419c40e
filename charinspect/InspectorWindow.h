#pragma once

#include "TtsEngineEnumerator.h"

#include "common/AgentInterface.h"

#include <QVariant>
#include <QWidget>

#include <memory>

class QComboBox;
class QGroupBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tilvano::charinspect {

// The viewer's main window: loads one character, shows its properties, plays its
// animations, makes it speak, resizes and stops it, and lists the text-to-speech engines
// with the details of the one selected. Every handler traps its own failures and reports
// them in a message box naming the handler; nothing escapes to the event loop.
class InspectorWindow : public QWidget
{
    Q_OBJECT

public:
    static QString title() { return QStringLiteral("Charinspect 3.1"); }

    // The character control comes from createAgentControl(); engines lists the text-to-speech
    // engines at each refresh.
    explicit InspectorWindow(TtsEngineEnumeratorFactory engines, QWidget *parent = nullptr);
    ~InspectorWindow() override;

    // The system folder with a trailing separator, as read at start.
    const QString &windowsDirectory() const { return m_windowsDirectory; }
    const QString &defaultVoiceId() const { return m_defaultVoiceId; }
    qint16 animationCount() const { return m_animationCount; }
    AgentControl *control() const { return m_control.get(); }
    // The loaded character, or null.
    AgentCharacter *character() const;

public slots:
    void loadCharacter();   // "Load Character"
    void refresh();         // "Refresh"
    void stopCharacter();   // "Stop"
    void showAbout();       // "About"
    void changeVoice();     // "Change Voice"
    void setDefaultVoice(); // "Set Default"
    void speak();           // "Speak"
    void setSize();         // "Set"
    void play();            // "Play"

private:
    void buildWindow();
    QGroupBox *buildCharacterDetails();
    QGroupBox *buildControlButtons();
    QGroupBox *buildEngineList();
    QGroupBox *buildVoiceDetails();
    QLineEdit *addField(QGridLayout *grid, int row, int column, const QString &label, const char *objectName);
    QPushButton *makeButton(const QString &text, const char *objectName);

    void loadLaunchState();
    void setCharacterButtonsEnabled(bool enabled);
    void clearCharacterFields();
    ErrorInfo refreshFields();
    ErrorInfo listEngines();
    void showEngine(int row);
    void sizeBoxEdited();
    void characterMoved();
    void reportError(const ErrorInfo &error, const QString &procedure);
    QVariant characterProperty(const char *name) const;

    std::unique_ptr<AgentControl> m_control;
    TtsEngineEnumeratorFactory m_engineFactory;
    std::unique_ptr<TtsEngineEnumerator> m_engines; // created at the last refresh
    QString m_windowsDirectory;
    QString m_defaultVoiceId;
    qint16 m_animationCount = 0;

    // Character details
    QLineEdit *m_name = nullptr;
    QComboBox *m_animations = nullptr;
    QPushButton *m_play = nullptr;
    QPlainTextEdit *m_description = nullptr;
    QPlainTextEdit *m_extraData = nullptr;
    QLineEdit *m_width = nullptr;
    QLineEdit *m_height = nullptr;
    QPushButton *m_set = nullptr;
    QPlainTextEdit *m_speakText = nullptr;
    QPushButton *m_speak = nullptr;
    QLineEdit *m_suspended = nullptr;
    QLineEdit *m_connected = nullptr;
    QLineEdit *m_guid = nullptr;
    QLineEdit *m_ttsModeId = nullptr;
    QLineEdit *m_srModeId = nullptr;
    QLineEdit *m_animationCountField = nullptr;
    QLineEdit *m_idleOn = nullptr;
    QLineEdit *m_version = nullptr;
    QLineEdit *m_languageId = nullptr;
    QLineEdit *m_otherClients = nullptr;
    QLineEdit *m_speed = nullptr;
    QLineEdit *m_visible = nullptr;
    QLineEdit *m_soundEffects = nullptr;
    QLineEdit *m_pitch = nullptr;
    QLineEdit *m_x = nullptr;
    QLineEdit *m_y = nullptr;

    // Control
    QPushButton *m_load = nullptr;
    QPushButton *m_refresh = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_about = nullptr;

    // Engines and voice details
    QListWidget *m_engineList = nullptr;
    QPushButton *m_changeVoice = nullptr;
    QPushButton *m_setDefault = nullptr;
    QLineEdit *m_modeName = nullptr;
    QLineEdit *m_modeId = nullptr;
    QLineEdit *m_productName = nullptr;
    QLineEdit *m_speaker = nullptr;
    QLineEdit *m_style = nullptr;
    QLineEdit *m_gender = nullptr;
    QLineEdit *m_age = nullptr;
    QLineEdit *m_engineLanguageId = nullptr;
    QLineEdit *m_dialect = nullptr;
    QLineEdit *m_features = nullptr;
    QLineEdit *m_interfaces = nullptr;
};

} // namespace tilvano::charinspect
