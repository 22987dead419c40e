#pragma once

#include "Ablaufwerk/colMacros.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QComboBox;

namespace tilvano::ablaufwerk {

// The stored macros as the editor offers them in its macro list: which macro
// is being edited, switching to another one, beginning, naming, storing and
// deleting macros, and the questions that guard unsaved changes. The list's
// entries are the loaded macros in slot order, optionally headed by the
// placeholder of a new macro that has no name yet.
class MacroListController : public QObject {
    Q_OBJECT
public:
    // Shows a message: spoken by the character, or in a box when `showBox`.
    using Informer = std::function<void(const QString &text, bool showBox)>;

    MacroListController(QComboBox *makroCombo, Informer inform, QObject *parent = nullptr);

    static QString placeholder() { return QStringLiteral("(neues Makro)"); }
    static QString boxTitle() { return QStringLiteral("Ablaufwerk"); }

    // Never null.
    const std::shared_ptr<clsMacro> &currentMacro() const { return m_current; }
    const colMacros &loadedMacros() const { return m_macros; }

    // Closes the gaps in the store and lists its macros. Gives the list entry
    // of the macro whose name is exactly `wantedName` (the last one when
    // several are), else the first entry; -1 when no macro is stored.
    int loadStore(const QString &wantedName);

    // The user (or the window) picks an entry of the macro list. Unsaved
    // changes are offered for saving first; false when the user cancelled
    // that save, and the list then shows the macro that stays current.
    bool selectEntry(int entry);
    // Begins a new, empty macro at the head of the list. False when the
    // limit is reached or the user cancelled saving the current macro.
    bool newMacro();
    // Stores the current macro, asking for a name when it has none. True when
    // stored or nothing needed storing; false when the user cancelled.
    bool SaveMacro();
    // Deletes the current macro after asking. A new macro that was never
    // stored is only dropped; no stored slot is touched.
    bool deleteMacro();
    // The question before the window closes. False: the window stays open.
    bool CloseEditor();

signals:
    // Another macro became current by a selection; the window shows its lines.
    void macroSelected();
    // A new, empty macro became current.
    void newMacroBegun();
    // The current macro was deleted; an empty one stands in until another is selected.
    void macroDeleted();
    // The current macro was written to the store.
    void macroStored();

private:
    std::shared_ptr<clsMacro> macroOfEntry(int entry) const;
    int entryOf(const std::shared_ptr<clsMacro> &macro) const;
    void showCurrentInList();
    std::shared_ptr<clsMacro> emptyMacro(int index) const;
    // The naming dialogue for a macro without name; null when cancelled.
    std::shared_ptr<clsMacro> nameCurrentMacro();
    int ask(const QString &question, int style) const;

    QComboBox *m_combo;
    Informer m_inform;
    colMacros m_macros;
    std::shared_ptr<clsMacro> m_current;
    // The list is headed by the entry of a new macro that has no name yet.
    bool m_placeholderShown = false;
};

} // namespace tilvano::ablaufwerk
