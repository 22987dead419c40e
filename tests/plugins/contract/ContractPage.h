#pragma once

#include "plugins/PluginPage.h"

#include <QStringList>

class QCheckBox;
class QLineEdit;

namespace tilvano {
class MacroBox;
}

namespace tilvano::test {

// The smallest page that uses every shared convention: a macro picker, a
// check box and a text field, loaded from and saved to its own section. It
// notes each call the host makes, in memory and, when the environment names
// one (TILVANO_CONTRACT_PAGE_LOG), in a file another process can read.
class ContractPage final : public PluginPage {
    Q_OBJECT
public:
    explicit ContractPage(QWidget *parent = nullptr);
    ~ContractPage() override;

    bool PluginStart() override;

    static QString section() { return QStringLiteral("ContractTest"); }

    QCheckBox *activeBox() const { return m_active; }
    QLineEdit *nameField() const { return m_name; }
    MacroBox *picker() const { return m_picker; }
    const QStringList &calls() const { return m_calls; }

protected:
    void connectKibo(Agent *fri) override;
    void loadSettings() override;
    void saveSettings() override;
    void teardown() override;
    PageHelp help() const override;

private:
    void note(const QString &call);

    QCheckBox *m_active = nullptr;
    QLineEdit *m_name = nullptr;
    MacroBox *m_picker = nullptr;
    QStringList m_calls;
};

} // namespace tilvano::test
