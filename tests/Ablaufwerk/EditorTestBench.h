#pragma once

#include "Ablaufwerk/MacroListController.h"
#include "Ablaufwerk/MainForm.h"
#include "common/MacroStore.h"
#include "support/AgentTestBench.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <memory>

namespace tilvano::test {

// An editor window on the agent test bench: fresh home, scripted dialogs,
// recording shell and character, and the macros the test stored beforehand.
class EditorTestBench {
public:
    explicit EditorTestBench(bool helpingCharacter = false)
    {
        AgentTestBench::saveStored(QStringLiteral("AblaufwerkHelp"), boolSetting(helpingCharacter));
    }

    static void storeMacros(const QList<StoredMacro> &macros)
    {
        for (qsizetype slot = 0; slot < macros.size(); ++slot)
            WriteMacroSlot(int(slot), macros.at(slot));
    }

    ablaufwerk::MainForm &start(const QString &commandLine = QString())
    {
        window = std::make_unique<ablaufwerk::MainForm>();
        started = window->start(commandLine);
        if (agent.control)
            agent.control->clearCalls();
        agent.dialogs.clear();
        return *window;
    }

    template <typename T = QAbstractButton>
    T *find(const char *name) const
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QComboBox *makroCombo() const { return find<QComboBox>("MakroCombo"); }
    QListWidget *lines() const { return find<QListWidget>("lstMacro"); }
    QLineEdit *field(const char *name) const { return find<QLineEdit>(name); }
    void click(const char *button) const { find(button)->click(); }
    void tool(const char *tag) const { find<QAction>(tag)->trigger(); }
    void choose(int entry) const { emit makroCombo()->activated(entry); }

    QStringList comboEntries() const
    {
        QStringList entries;
        for (int i = 0; i < makroCombo()->count(); ++i)
            entries << makroCombo()->itemText(i);
        return entries;
    }
    QStringList shownLines() const
    {
        QStringList shown;
        for (int i = 0; i < lines()->count(); ++i)
            shown << lines()->item(i)->text();
        return shown;
    }
    QString currentScript() const { return window->macroList().currentMacro()->Script(); }
    bool currentChanged() const { return window->macroList().currentMacro()->Changed(); }

    AgentTestBench agent;
    std::unique_ptr<ablaufwerk::MainForm> window;
    bool started = false;
};

} // namespace tilvano::test
