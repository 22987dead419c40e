#pragma once

#include <QGroupBox>

class QComboBox;
class QLineEdit;
class QToolButton;

namespace tilvano::ablaufwerk {

// The frame " Aktion ": one row per action the character can take, each with
// its input and a button that appends a line and one that replaces the
// selected line. The frame keeps its own buttons' enabled state in step with
// the typed texts; what a button does is the window's business.
class ActionFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit ActionFrame(QWidget *parent = nullptr);

    QComboBox *AniCombo = nullptr;
    QToolButton *btnTestAnimation = nullptr;
    QToolButton *btnAddAnimation = nullptr;
    QToolButton *btnTakeAni = nullptr;

    QLineEdit *txtToSpeak = nullptr;
    QToolButton *btnAddSpeak = nullptr;
    QToolButton *btnTakeSpeak = nullptr;

    QLineEdit *txtToThink = nullptr;
    QToolButton *btnAddThink = nullptr;
    QToolButton *btnTakeThink = nullptr;

    QLineEdit *txtWaveFile = nullptr;
    QToolButton *btnOpenWave = nullptr;
    QToolButton *btnPlayWave = nullptr;
    QToolButton *btnAddWave = nullptr;
    QToolButton *btnTakeWave = nullptr;

    QLineEdit *txtLeft = nullptr;
    QLineEdit *txtTop = nullptr;
    QToolButton *btnAddMove = nullptr;
    QToolButton *btnTakeMove = nullptr;

    QToolButton *btnAddStop = nullptr;
    QToolButton *btnTakeStop = nullptr;

    // Puts a text into a field as the program's own doing: the field does not
    // count as changed by the user afterwards.
    static void fill(QLineEdit *field, const QString &text);

signals:
    // The user leaves the speak or think field (not merely the window).
    void speakFieldLeft();
    void thinkFieldLeft();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *makeButton(const char *name, const QString &caption, const QIcon &icon);
    QLineEdit *makeField(const char *name, const QString &toolTip = QString());
    void buildRows();
    void connectEnabledStates();
};

} // namespace tilvano::ablaufwerk
