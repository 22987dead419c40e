#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tilvano {
class Agent;
}

namespace tilvano::ablaufwerk {

// The editor's about box: its version, the way to the help page and to the
// project's web page, and a picture the character does not like being poked.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(Agent *kibo, QWidget *parent = nullptr);

    // "major.minor.revision" of this program.
    static QString versionText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pokeCharacter();

    Agent *m_kibo;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *btnHelp = nullptr;
    QPushButton *btnClose = nullptr;
};

} // namespace tilvano::ablaufwerk
