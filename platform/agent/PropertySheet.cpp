#include "PropertySheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tilvano::agent {

PropertySheet::PropertySheet(QWidget *parent)
    : QDialog(parent)
    , m_speechOutput(new QCheckBox(QStringLiteral("Sprachausgabe einschalten"), this))
    , m_soundEffects(new QCheckBox(QStringLiteral("Soundeffekte abspielen"), this))
    , m_ownFont(new QCheckBox(QStringLiteral("Eigene Schriftart für Sprechblasen"), this))
    , m_fontName(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Erweiterte Figureneinstellungen"));

    auto *output = new QGroupBox(QStringLiteral("Ausgabe"), this);
    auto *outputLayout = new QVBoxLayout(output);
    outputLayout->addWidget(m_speechOutput);
    outputLayout->addWidget(m_soundEffects);

    auto *balloon = new QGroupBox(QStringLiteral("Sprechblase"), this);
    auto *balloonLayout = new QVBoxLayout(balloon);
    balloonLayout->addWidget(m_ownFont);
    auto *fontRow = new QHBoxLayout;
    auto *fontButton = new QPushButton(QStringLiteral("Schriftart..."), balloon);
    fontRow->addWidget(m_fontName, 1);
    fontRow->addWidget(fontButton);
    balloonLayout->addLayout(fontRow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(output);
    layout->addWidget(balloon);
    layout->addWidget(buttons);

    connect(fontButton, &QPushButton::clicked, this, &PropertySheet::chooseFont);
    connect(m_ownFont, &QCheckBox::toggled, this, [this, fontButton](bool on) {
        fontButton->setEnabled(on);
        if (on && !m_font)
            m_font = font();
        showFontName();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this]() {
        apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setSettings(m_applied);
}

void PropertySheet::setSettings(const AgentSettings &settings)
{
    m_applied = settings;
    m_font = settings.balloonFont;
    m_speechOutput->setChecked(settings.speechOutput);
    m_soundEffects->setChecked(settings.soundEffects);
    m_ownFont->setChecked(settings.balloonFont.has_value());
    showFontName();
}

AgentSettings PropertySheet::settings() const
{
    AgentSettings settings;
    settings.speechOutput = m_speechOutput->isChecked();
    settings.soundEffects = m_soundEffects->isChecked();
    if (m_ownFont->isChecked())
        settings.balloonFont = m_font;
    return settings;
}

void PropertySheet::chooseFont()
{
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, m_font.value_or(this->font()), this);
    if (!chosen)
        return;
    m_font = font;
    showFontName();
}

void PropertySheet::showFontName()
{
    m_fontName->setText(m_ownFont->isChecked() && m_font
                            ? QStringLiteral("%1, %2 pt").arg(m_font->family()).arg(m_font->pointSize())
                            : QStringLiteral("Schriftart der Figur"));
}

void PropertySheet::apply()
{
    const AgentSettings chosen = settings();
    if (chosen == m_applied)
        return;
    m_applied = chosen;
    emit settingsChanged(chosen);
}

} // namespace tilvano::agent
