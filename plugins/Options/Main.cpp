#include "plugins/Options/Main.h"

#include "plugins/Options/StartupEntry.h"
#include "plugins/Options/UserNameFiller.h"

#include "AgentCtl/Agent.h"
#include "MakroCombo/MacroBox.h"
#include "common/RuntimeErrors.h"
#include "common/Twips.h"
#include "system/DialogService.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace tilvano::options {

namespace {

PageIdentity optionsIdentity()
{
    PageIdentity identity;
    identity.caption = QStringLiteral("Allgemein");
    identity.treeParent = QStringLiteral("Einstellungen");
    identity.description = QStringLiteral("Plugin für die allgemeinen Einstellungen");
    identity.heading = QStringLiteral("Allgemeine Einstellungen");
    identity.closingTitle = QStringLiteral("Allgemeine Einstellungen");
    identity.section = QStringLiteral("Misc");
    return identity;
}

// The widget itself or its last descendant in the focus chain.
QWidget *lastInFocusChain(QWidget *widget)
{
    QWidget *last = widget;
    for (QWidget *next = widget->nextInFocusChain(); widget->isAncestorOf(next); next = next->nextInFocusChain())
        last = next;
    return last;
}

} // namespace

Main::Main(QWidget *parent)
    : PluginPage(optionsIdentity(), parent)
    , m_nameFiller(new UserNameFiller(this))
{
    m_autoRun = new QCheckBox(QStringLiteral("Automatisch mit Windows starten"), this);
    m_autoRun->setObjectName(QStringLiteral("cbAutoRun"));
    m_autoRun->setGeometry(twipsRect(300, 675, 3615, 240));

    addLabel(QStringLiteral("Label5"), QStringLiteral("Ihr Name"), twipsRect(300, 1200, 915, 165));
    m_userName = new QLineEdit(this);
    m_userName->setObjectName(QStringLiteral("txtUserName"));
    m_userName->setGeometry(twipsRect(1650, 1125, 3615, 315));

    addLabel(QStringLiteral("Label3"), QStringLiteral("Begrüßung"), twipsRect(300, 1650, 1140, 240));
    m_startUp = new MacroBox(this);
    m_startUp->setObjectName(QStringLiteral("MacroStartUp"));
    m_startUp->move(twipsPoint(1650, 1575)); // a picker keeps its own fixed size

    // The good-bye row is the host's business at its end; the page keeps its
    // value (so saving does not lose it) but does not offer it.
    m_goodByeLabel = addLabel(QStringLiteral("Label1"), QStringLiteral("Abschied"), twipsRect(300, 2100, 1140, 240));
    m_goodByeLabel->setVisible(false);
    m_goodBye = new MacroBox(this);
    m_goodBye->setObjectName(QStringLiteral("MacroGoodBye"));
    m_goodBye->move(twipsPoint(1650, 2025));
    m_goodBye->setVisible(false);

    addMacroPicker(m_startUp, QStringLiteral("MacroStartUp"));
    addMacroPicker(m_goodBye, QStringLiteral("MacroGoodBye"));

    // The rows are in tab order as created; the frame's buttons were made
    // first and must go last, so that tabbing into the page starts at the
    // first row. Qt leaves a pair alone when the second already follows in
    // the cycle of focusable widgets, as the buttons do behind the last row,
    // so they are first moved behind the first row and from there to the end
    // (behind the pickers' insides: a picker itself takes no focus).
    setTabOrder(m_autoRun, helpButton());
    setTabOrder(m_autoRun, saveButton());
    setTabOrder(lastInFocusChain(m_goodBye), saveButton());
    setTabOrder(saveButton(), helpButton());

    loadOwnState();
    watchForEdits(m_autoRun);
    watchForEdits(m_userName);
    setPageChanged(false);
}

Main::~Main()
{
    closePage();
}

void Main::loadOwnState()
{
    // Name and start-up box are known before the character is: the host
    // may show the page before it calls Init.
    m_userName->setText(UserNameFiller::storedName());
    m_autoRun->setChecked(StartupEntry::isSet());
}

void Main::connectKibo(Agent *fri)
{
    m_nameFiller->attach(fri);
}

bool Main::PluginStart()
{
    if (!kibo()) {
        setLastError(runtime::error(runtime::ObjectNotSet, QStringLiteral("TilvanoMiscOptions"),
                                    runtime::Language::English));
        return false;
    }
    // Whether the macro ran is the character's business (it logs a name it
    // does not know); the page's part is to have asked.
    kibo()->RunMacroByName(m_startUp->Text());
    return true;
}

bool Main::SaveAll()
{
    return savePage();
}

void Main::saveSettings()
{
    writeSetting(QStringLiteral("UserName"), m_userName->text());
    const ErrorInfo result = m_autoRun->isChecked() ? StartupEntry::set(StartupEntry::command())
                                                    : StartupEntry::clear();
    if (result.isError()) {
        setLastError(result);
        saveFailed();
    }
}

PageHelp Main::help() const
{
    PageHelp box;
    box.lines = {QStringLiteral("Plugin: Allgemeine Einstellungen"), QStringLiteral("Verfügbare Platzhalter:"),
                 QString(), QStringLiteral("In jedem Makro im gesamten Programm:"),
                 QStringLiteral("<USERNAME> = Benutzername")};
    box.icon = DialogService::Information;
    return box;
}

} // namespace tilvano::options
