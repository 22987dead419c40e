#pragma once

#include "plugins/PluginPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tilvano {
class MacroBox;
}

namespace tilvano::options {

class UserNameFiller;

// The general settings: the user's name (which the character puts in for
// "<USERNAME>" in everything it says or thinks while this page exists),
// starting with the desktop session, the macro run when the host starts and
// the good-bye macro the host runs when it ends (kept, but not shown).
class Main final : public PluginPage {
    Q_OBJECT
public:
    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    // Runs the start-up macro once. False (with LastError) only when the
    // page has no character to run it with.
    bool PluginStart() override;
    // The save button's work. A failed step leaves the rest undone: false,
    // the failure in LastError, and the edits still count as unsaved.
    Q_INVOKABLE bool SaveAll();

    QCheckBox *autoRunBox() const { return m_autoRun; }
    QLineEdit *userNameField() const { return m_userName; }
    MacroBox *startUpPicker() const { return m_startUp; }
    MacroBox *goodByePicker() const { return m_goodBye; }

protected:
    void connectKibo(Agent *fri) override;
    void saveSettings() override;
    PageHelp help() const override;

private:
    void loadOwnState();

    QCheckBox *m_autoRun = nullptr;
    QLineEdit *m_userName = nullptr;
    MacroBox *m_startUp = nullptr;
    MacroBox *m_goodBye = nullptr;
    QLabel *m_goodByeLabel = nullptr;
    UserNameFiller *m_nameFiller = nullptr;
};

} // namespace tilvano::options
