#include "ContractPage.h"

#include "MakroCombo/MacroBox.h"
#include "common/Twips.h"
#include "system/DialogService.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

namespace tilvano::test {

namespace {

PageIdentity contractIdentity()
{
    PageIdentity identity;
    identity.caption = QStringLiteral("Vertrag");
    identity.treeParent = QStringLiteral("Module");
    identity.description = QStringLiteral("Seite zum Prüfen des Seitenvertrags");
    identity.heading = QStringLiteral("Einstellungen Vertrag");
    identity.closingTitle = QStringLiteral("Einstellungen Vertrag");
    identity.section = ContractPage::section();
    identity.version = QStringLiteral("1.00.0056");
    return identity;
}

} // namespace

ContractPage::ContractPage(QWidget *parent)
    : PluginPage(contractIdentity(), parent)
{
    m_picker = new MacroBox(this);
    m_picker->setObjectName(QStringLiteral("MacroTest"));
    m_picker->setGeometry(twipsRect(1650, 600, 3405, 315));
    addMacroPicker(m_picker, QStringLiteral("MacroTest"));

    m_active = new QCheckBox(QStringLiteral("Aktiv"), this);
    m_active->setObjectName(QStringLiteral("chkActive"));
    m_active->setGeometry(twipsRect(120, 1200, 2000, 255));
    watchForEdits(m_active);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtName"));
    m_name->setGeometry(twipsRect(120, 1600, 3000, 315));
    watchForEdits(m_name);
    note(QStringLiteral("created"));
}

ContractPage::~ContractPage()
{
    closePage();
}

bool ContractPage::PluginStart()
{
    note(QStringLiteral("PluginStart"));
    return true;
}

void ContractPage::connectKibo(Agent *fri)
{
    note(fri ? QStringLiteral("Init") : QStringLiteral("Init without Kibo"));
}

void ContractPage::loadSettings()
{
    m_active->setChecked(readSetting(QStringLiteral("Active"), QStringLiteral("0")) == QLatin1String("1"));
    m_name->setText(readSetting(QStringLiteral("Name")));
}

void ContractPage::saveSettings()
{
    note(QStringLiteral("saved"));
    writeSetting(QStringLiteral("Active"), checkBoxValue(m_active));
    writeSetting(QStringLiteral("Name"), m_name->text());
}

void ContractPage::teardown()
{
    note(QStringLiteral("teardown"));
}

PageHelp ContractPage::help() const
{
    return {{QStringLiteral("Erste Zeile"), QStringLiteral("Zweite Zeile")},
            DialogService::Information,
            QStringLiteral("Hilfe Vertrag")};
}

void ContractPage::note(const QString &call)
{
    m_calls.append(call);
    const QString logFile = qEnvironmentVariable("TILVANO_CONTRACT_PAGE_LOG");
    if (logFile.isEmpty())
        return;
    QFile file(logFile);
    if (file.open(QIODevice::Append | QIODevice::Text))
        file.write(call.toUtf8() + '\n');
}

} // namespace tilvano::test
