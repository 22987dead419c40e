#pragma once

#include "common/AgentInterface.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <optional>

class QAction;
class QPlainTextEdit;
class QPushButton;

namespace tilvano::script {
class ScriptEngine;
}

namespace tilvano {

class Agent;

// The library's one window. It hosts the character service's control for its
// Agent and is the read-text window the user opens with "Text sprechen": a
// text box and a button that makes the character read the text aloud.
// Closing it only hides it; it lives as long as its Agent. The text and the
// geometry are kept (in twips) when the user closes it by the title bar.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    MainForm();
    ~MainForm() override;

    // Creates the character service's control on this window. On failure the
    // user is told that the service could not be created, and false comes back.
    bool Init();
    // The control created by Init, or null.
    AgentControl *agentControl() const { return m_agentControl.get(); }
    // The script engine the Agent runs its macros with; shared by all runs.
    script::ScriptEngine &ScriptControl() const { return *m_scriptControl; }
    // The Agent whose character reads the text; handed over by the read-text command.
    void setAgent(Agent *agent) { m_agent = agent; }

    // The window's parts, for those who drive it (and for tests). They are made
    // on first use: a text box lays out its text, which loads the font database,
    // and most runs never open this window.
    QPlainTextEdit *Text1();
    QPushButton *btnSpeekText();
    QPushButton *btnClose();
    QAction *mnuExit()
    {
        ensureParts();
        return m_exitAction;
    }

    // Loads the stored text and geometry the first time the window is touched.
    void ensureLoaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void btnSpeekText_Click();
    void btnClose_Click();
    void storeTextAndGeometry();
    void ensureParts();
    void applyStoredGeometry();
    void fitStoredOuterSize();

    std::unique_ptr<AgentControl> m_agentControl;
    std::unique_ptr<script::ScriptEngine> m_scriptControl;
    QPointer<Agent> m_agent;
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_speakButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QAction *m_exitAction = nullptr;
    QWidget *m_client = nullptr;
    QString m_pendingText; // the text for the text box until it exists
    bool m_loaded = false;
    // The stored outer size, until the window manager's frame is known and it can be met:
    // before the window is shown the frame counts as nothing.
    std::optional<QSize> m_outerSizeToRestore;
    QSize m_frameFitted;
};

} // namespace tilvano
