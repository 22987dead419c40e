#pragma once

#include "Ablaufwerk/EditorLayout.h"
#include "common/MacroScript.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QToolBar;
class QToolButton;

namespace tilvano {
class Agent;
class SingleInstance;
} // namespace tilvano

namespace tilvano::ablaufwerk {

class ActionFrame;
class MacroListController;

// The macro editor's window: the lines of the current macro on the left, the
// frame of actions on the right, the stored macros above. It talks to the
// character through its own Kibo, which tries out animations and sounds, runs
// the macro and, when the user wants it, speaks the window's messages.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(QWidget *parent = nullptr);
    ~MainForm() override;

    static QString windowTitleText() { return QStringLiteral("Tilvano Ablaufwerk"); }

    // Everything that happens before the window is shown: false when another
    // editor already runs for this user (the user was told; nothing was read
    // or written, and the window is to be closed).
    bool start(const QString &commandLine);

    // A message: the character speaks it while it helps in the program,
    // otherwise a box shows it when `showBox`, otherwise nothing does.
    void Inform(const QString &text, bool showBox);
    void RefreshLineList();
    bool SaveMacro();
    void RunMacro();
    bool CloseEditor();

    MacroListController &macroList() const { return *m_macroList; }
    Agent *kibo() const { return m_kibo.get(); }
    bool helpingCharacter() const;
    // The moved controls as they stand now, in twips.
    const EditorControlGeometry &controlGeometry() const { return m_geometry; }

signals:
    // The window closed for good: the settings are written and Kibo is gone.
    void editorClosed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildControls();
    void connectControls();
    void placeWindow();
    void applyControlGeometry();
    void fillAnimationList();
    void updateStatus();

    // Line list.
    int selectedPosition() const; // 1-based; 0 without selection
    void selectLine(int row);
    void onLineSelected();
    void insertLine(const MacroStatement &line);
    void replaceLine(const MacroStatement &line, const MacroStatement &whenAppended);
    void deleteLine();
    void moveLine(int step);

    // Actions.
    void takeAnimation(bool replace);
    void takeSpeech(bool replace);
    void takeThought(bool replace);
    void takeWave(bool replace);
    void takeWalk(bool replace);
    void takeStop(bool replace);
    void askApplyText(bool speaking);
    void testAnimation();
    void playWave();
    void openWave();

    // Macro list.
    void showSelectedMacro();
    void showEmptiedMacro(bool keepInputEnabled);

    void openHelp();
    void showAbout();
    void saveSettings();

    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<Agent> m_kibo;
    MacroListController *m_macroList = nullptr;
    EditorControlGeometry m_geometry;
    bool m_started = false;
    bool m_fillingLines = false;

    QWidget *m_area = nullptr;
    QToolBar *Toolbar1 = nullptr;
    QAction *m_newAction = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_runAction = nullptr;
    QComboBox *MakroCombo = nullptr;
    QToolButton *btnDeleteMacro = nullptr;
    QListWidget *lstMacro = nullptr;
    QToolButton *btnOrderUp = nullptr;
    QToolButton *btnOrderDown = nullptr;
    QToolButton *btnDeleteLine = nullptr;
    ActionFrame *RightFrame = nullptr;
    QAction *mnuClose = nullptr;
    QAction *mnuKiboActive = nullptr;
    QAction *cmdHelpIndex = nullptr;
    QAction *cmdAbout = nullptr;
    QLabel *m_statusText = nullptr;
};

} // namespace tilvano::ablaufwerk
