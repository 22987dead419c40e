#pragma once

#include "plugins/PluginPage.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace tilvano::voice {

// The voice settings page: which voice the character speaks with, the
// language it is told, and the speed, pitch, volume, voice character and
// context put in front of every sentence. Most choices reach Kibo only when
// saved; the language and unticking speed, pitch or volume act on Kibo at
// once. The test button speaks a sentence with the page's choices, which
// sets the tested voice on Kibo; closing with unsaved changes puts the voice
// Kibo had before back.
class Main final : public PluginPage {
    Q_OBJECT
public:
    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    // Kept for hosts that ask; the page has no user of its own.
    QString GetUser() const { return QString(); }

    // The focus entering the page from another control of the window: shows
    // Kibo's current speed, pitch and volume, which other pages or scripts
    // may have changed.
    void focusEntered();

    // The volume a save stores for an unticked box.
    static constexpr qint32 untickedVolume = 65500;

protected:
    void loadSettings() override;
    bool beforeSaving() override;
    void saveSettings() override;
    void teardown() override;
    void focusArrived() override;

private:
    void buildControls();
    void arrangeTabOrder();
    void connectControls();
    void languagePicked(int position);
    void showLanguageError(const ErrorInfo &error, int step);
    // One numbered step of saving: true when it went well; otherwise the
    // failure is recorded with its step, reported, and the save stops.
    bool savingStep(int number, const ErrorInfo &failure);
    void testSpeech();
    QString testSentence() const;
    // A value of Kibo's shown on its slider; -1 (any negative value) means
    // the voice's own and leaves slider and box alone.
    static void showKiboValue(QSlider *slider, QCheckBox *box, qint32 value);
    qint32 chosenLanguage() const;

    QLabel *m_languageLabel = nullptr;
    QComboBox *m_languages = nullptr;
    QLabel *m_voiceLabel = nullptr;
    QComboBox *m_voices = nullptr;
    QCheckBox *m_speedBox = nullptr;
    QSlider *m_speedSlider = nullptr;
    QCheckBox *m_pitchBox = nullptr;
    QSlider *m_pitchSlider = nullptr;
    QCheckBox *m_volumeBox = nullptr;
    QSlider *m_volumeSlider = nullptr;
    QCheckBox *m_characterBox = nullptr;
    QComboBox *m_characters = nullptr;
    QCheckBox *m_contextBox = nullptr;
    QComboBox *m_contexts = nullptr;
    QLineEdit *m_testText = nullptr;
    QPushButton *m_testButton = nullptr;

    // Kibo's voice when the page was connected or last saved; closing with
    // unsaved changes restores it, undoing a voice set only by testing.
    QString m_rememberedVoice;
    int m_lastGoodLanguage = 0;
};

} // namespace tilvano::voice
