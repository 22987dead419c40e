#pragma once

#include "plugins/PluginPage.h"
#include "plugins/Word/WordTemplate.h"

class QCheckBox;
class QLabel;

namespace tilvano::word {

// Keeps the character's template in Word's start-up folder while the "Aktiv"
// box is ticked. The template is taken away again when the page goes, and put
// back by the next page when the box was ticked. Nothing here counts as an
// unsaved change: the box acts at once and its state is written at the end.
class Main final : public PluginPage {
    Q_OBJECT
public:
    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    QString WordProgramDir() const { return m_template.programDir(); }

    QCheckBox *activeBox() const { return m_active; }
    QLabel *errorLabel() const { return m_error; }

protected:
    void teardown() override;
    PageHelp help() const override;

private:
    void activeToggled(bool ticked);

    QCheckBox *m_active = nullptr;
    QLabel *m_error = nullptr;
    WordTemplate m_template;
};

} // namespace tilvano::word
