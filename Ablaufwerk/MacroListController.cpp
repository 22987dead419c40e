#include "Ablaufwerk/MacroListController.h"

#include "Ablaufwerk/MacroSync.h"
#include "common/MacroStore.h"
#include "common/SettingsStore.h"
#include "system/DialogService.h"
#include "system/SystemServices.h"

#include <QComboBox>

namespace tilvano::ablaufwerk {

MacroListController::MacroListController(QComboBox *makroCombo, Informer inform, QObject *parent)
    : QObject(parent), m_combo(makroCombo), m_inform(std::move(inform)), m_current(emptyMacro(0))
{
}

int MacroListController::loadStore(const QString &wantedName)
{
    CompactMacroStore();
    LoadStoredMacros(m_macros);
    int wanted = 0;
    for (const auto &macro : m_macros) {
        m_combo->addItem(macro->Key());
        if (macro->Key() == wantedName)
            wanted = macro->Index();
    }
    return m_macros.Count() > 0 ? wanted : -1;
}

bool MacroListController::selectEntry(int entry)
{
    if (entry < 0 || entry >= m_combo->count())
        return false;
    std::shared_ptr<clsMacro> chosen = macroOfEntry(entry);
    if (m_current->Changed()) {
        if (ask(QStringLiteral("Änderungen am aktuellen Makro speichern ?"), DialogService::YesNo) == DialogService::Yes) {
            if (!SaveMacro()) {
                showCurrentInList();
                return false;
            }
            // Saving a new macro took its placeholder away: stay with what was saved.
            if (!chosen && !m_placeholderShown)
                chosen = m_current;
        } else if (!m_current->Key().isEmpty()) {
            // Discard the changes: the stored text is the truth again.
            m_current->setScript(GetSetting(settingsApplication(), macrosSection(),
                                            macroScriptKey(m_current->Index()), m_current->Script()));
        }
    }
    m_current = chosen ? chosen : emptyMacro(m_combo->count());
    showCurrentInList();
    emit macroSelected();
    m_current->setChanged(false);
    return true;
}

bool MacroListController::newMacro()
{
    if (m_combo->count() >= maximumMacroCount) {
        m_inform(QStringLiteral("Es sind nur maximal 100 Makros möglich"), true);
        return false;
    }
    m_inform(QStringLiteral("Ich habe ein leeres Makro angelegt. Fügen Sie jetzt einfach die Aktionen hinzu."), false);
    const bool inserted = !m_placeholderShown;
    if (inserted) {
        m_combo->insertItem(0, placeholder());
        m_placeholderShown = true;
    }
    if (!selectEntry(0)) {
        // The user kept the macro being edited: no new macro is begun.
        if (inserted && m_placeholderShown && !m_current->Key().isEmpty()) {
            m_combo->removeItem(0);
            m_placeholderShown = false;
        }
        showCurrentInList();
        return false;
    }
    if (!m_placeholderShown) {
        m_combo->insertItem(0, placeholder());
        m_placeholderShown = true;
    }
    m_current = emptyMacro(m_combo->count());
    showCurrentInList();
    emit newMacroBegun();
    return true;
}

bool MacroListController::SaveMacro()
{
    if (!m_current->Changed())
        return true;
    const bool naming = m_current->Key().isEmpty();
    if (naming) {
        std::shared_ptr<clsMacro> named = nameCurrentMacro();
        if (!named)
            return false;
        m_current = named;
    }
    if (m_placeholderShown) {
        m_combo->removeItem(0);
        m_placeholderShown = false;
    }
    const bool stored = StoreLoadedMacro(*m_current);
    showCurrentInList();
    if (!stored) {
        // The changes are still only in the window; closing will offer them again.
        m_inform(QStringLiteral("Das Makro konnte nicht gespeichert werden."), true);
        return false;
    }
    if (naming)
        m_inform(QStringLiteral("Ich habe das Makro gespeichert"), false);
    emit macroStored();
    return true;
}

bool MacroListController::deleteMacro()
{
    const bool isNew = entryOf(m_current) < 0 || m_current->Key().isEmpty();
    const QString name = isNew ? placeholder() : m_current->Key();
    if (ask(QStringLiteral("Soll das Makro '") + name + QStringLiteral("' wirklich gelöscht werden ?"),
            DialogService::YesNo | DialogService::Question)
        != DialogService::Yes)
        return false;
    if (isNew) {
        // Never stored: dropping it is all there is to do.
        if (m_placeholderShown) {
            m_combo->removeItem(0);
            m_placeholderShown = false;
        }
    } else {
        m_combo->removeItem(entryOf(m_current));
        DeleteLoadedMacro(m_macros, m_current);
    }
    m_current = emptyMacro(m_combo->count() + 1);
    emit macroDeleted();
    if (m_combo->count() > 0)
        selectEntry(0);
    else
        m_combo->setCurrentIndex(-1);
    return true;
}

bool MacroListController::CloseEditor()
{
    if (!m_current->Changed())
        return true;
    const int answer = ask(QStringLiteral("Sollen die Änderungen am aktuellen Makro gespeichert werden ?"),
                           DialogService::YesNoCancel | DialogService::Question);
    if (answer == DialogService::No)
        return true;
    // Closing after a save the user broke off would lose the very changes
    // they asked to keep.
    return answer == DialogService::Yes && SaveMacro();
}

std::shared_ptr<clsMacro> MacroListController::nameCurrentMacro()
{
    DialogService &dialogs = SystemServices::dialogs();
    for (;;) {
        const QString name =
            dialogs.inputBox(QStringLiteral("Kurzbezeichnung"), QStringLiteral("Bezeichnung eingeben"), QString());
        if (name.isNull())
            return nullptr; // Cancel ends the save; an empty answer asks again
        if (name.isEmpty()) {
            m_inform(QStringLiteral("Sie müssen einen Namen für das Makro eingeben!"), true);
            continue;
        }
        const bool exists = m_macros.Item(name) != nullptr;
        if (exists) {
            const int answer =
                ask(QStringLiteral("Soll das vorhandene Makro '") + name + QStringLiteral("' überschrieben werden?"),
                    DialogService::YesNoCancel | DialogService::Question);
            if (answer == DialogService::No)
                continue;
            if (answer != DialogService::Yes)
                return nullptr;
        }
        std::shared_ptr<clsMacro> target = NameNewMacro(m_macros, m_current, name);
        if (!target)
            return nullptr;
        if (!exists)
            m_combo->addItem(name);
        return target;
    }
}

std::shared_ptr<clsMacro> MacroListController::macroOfEntry(int entry) const
{
    const int offset = m_placeholderShown ? 1 : 0;
    if (entry < offset || entry >= m_combo->count())
        return nullptr;
    for (const auto &macro : m_macros) {
        if (macro->Index() == entry - offset)
            return macro;
    }
    return nullptr;
}

int MacroListController::entryOf(const std::shared_ptr<clsMacro> &macro) const
{
    const int offset = m_placeholderShown ? 1 : 0;
    for (const auto &loaded : m_macros) {
        if (loaded == macro)
            return macro->Index() + offset;
    }
    return m_placeholderShown ? 0 : -1;
}

void MacroListController::showCurrentInList()
{
    const QSignalBlocker quiet(m_combo);
    m_combo->setCurrentIndex(entryOf(m_current));
}

std::shared_ptr<clsMacro> MacroListController::emptyMacro(int index) const
{
    auto macro = std::make_shared<clsMacro>();
    macro->setIndex(qint16(index));
    return macro;
}

int MacroListController::ask(const QString &question, int style) const
{
    return SystemServices::dialogs().messageBox(question, boxTitle(), style);
}

} // namespace tilvano::ablaufwerk
