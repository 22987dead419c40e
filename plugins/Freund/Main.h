#pragma once

#include "plugins/Freund/CharacterFolder.h"
#include "plugins/PluginPage.h"

#include <QPointer>
#include <QSize>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tilvano::freund {

// The page "Freund": which character plays the friend, its description, an
// animation test, its size, showing and hiding it, and two behaviour
// switches. Every choice goes to Kibo at once; saving only asks Kibo to
// store its own state.
class Main final : public PluginPage {
    Q_OBJECT
public:
    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    static const QString hideCaption; // "&Verstecken": the character is shown
    static const QString showCaption; // "&Zeigen": the character is hidden
    static const QString greeting;

protected:
    void connectKibo(Agent *fri) override;
    void loadSettings() override;
    void focusArrived() override;

private:
    void buildControls();

    // Selecting an entry from code runs the list's pick handler, as a user's
    // pick does.
    void selectCharacter(int index);
    void selectAnimation(int index);
    void selectSize(int index);

    // The pick handlers; all do nothing until Init has finished.
    void characterPicked();
    void animationPicked();
    void sizePicked();
    void fastShowHideClicked(bool ticked);
    void hideAfterAnimationClicked(bool ticked);

    void toggleVisibility();
    void showVisibility();

    void fillAnimations(QStringList names);
    // The size "normal" applies for the character Kibo holds now; `loaded` is
    // what the character reports when nothing better is known.
    void learnNormalSize(std::optional<QSize> loaded);
    void reportChangeFailure(const ErrorInfo &error);

    CharacterFolder m_characters;
    QPointer<Agent> m_subscribed;
    bool m_initialized = false;
    bool m_changingCharacter = false;
    std::optional<QSize> m_normalSize;

    QComboBox *m_characterCombo = nullptr;
    QPushButton *m_showHide = nullptr;
    QLabel *m_description = nullptr;
    QComboBox *m_aniCombo = nullptr;
    QComboBox *m_sizeCombo = nullptr;
    QCheckBox *m_hideAfterAnimation = nullptr;
    QCheckBox *m_fastShowHide = nullptr;
};

} // namespace tilvano::freund
