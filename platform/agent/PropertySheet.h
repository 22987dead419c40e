#pragma once

#include "AgentSettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;

namespace tilvano::agent {

// The service's own settings dialog ("Erweiterte Figureneinstellungen"): speech output,
// balloon font and sound effects. Accepting it with a change emits settingsChanged().
class PropertySheet : public QDialog
{
    Q_OBJECT

public:
    explicit PropertySheet(QWidget *parent = nullptr);

    void setSettings(const AgentSettings &settings);
    AgentSettings settings() const;

signals:
    void settingsChanged(const tilvano::agent::AgentSettings &settings);

private:
    void chooseFont();
    void showFontName();
    void apply();

    AgentSettings m_applied;
    std::optional<QFont> m_font;
    QCheckBox *m_speechOutput;
    QCheckBox *m_soundEffects;
    QCheckBox *m_ownFont;
    QLabel *m_fontName;
};

} // namespace tilvano::agent
