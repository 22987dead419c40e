#include "plugins/Word/Main.h"

#include "common/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>

namespace tilvano::word {

namespace {

PageIdentity wordIdentity()
{
    PageIdentity identity;
    identity.caption = QStringLiteral("Word");
    identity.treeParent = QStringLiteral("Module");
    identity.description = QStringLiteral("Plugin-Einstellungen für Word");
    identity.heading = QStringLiteral("Einstellungen Word 2000");
    identity.section = QStringLiteral("Word");
    return identity;
}

} // namespace

Main::Main(QWidget *parent)
    : PluginPage(wordIdentity(), parent)
    , m_template(WordTemplate::findProgramDir())
{
    m_active = new QCheckBox(QStringLiteral("Aktiv"), this);
    m_active->setObjectName(QStringLiteral("cbActive"));
    m_active->setGeometry(twipsRect(375, 525, 2940, 240));
    m_active->setEnabled(false);

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("lbErr"));
    m_error->setGeometry(twipsRect(1125, 1800, 4965, 840));
    QPalette red = m_error->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_error->setPalette(red);

    // The box does everything at once; there is never anything to save.
    saveButton()->setEnabled(false);

    // The frame's buttons were made first; moved behind the box one by one
    // (Qt leaves a pair alone that already follows in the focus cycle) they
    // come after it, so tabbing into the page starts at the box.
    setTabOrder(m_active, helpButton());
    setTabOrder(m_active, saveButton());

    connect(m_active, &QCheckBox::toggled, this, &Main::activeToggled);

    if (!m_template.wordFound()) {
        m_error->setText(QStringLiteral("Microsotft Word scheint auf diesem \r\nRechner nicht installiert zu sein..."));
        return;
    }
    if (readSetting(QStringLiteral("Active")) == QLatin1String("1"))
        m_active->setChecked(true);
    // A template already in place (left by an earlier run, or put there by
    // hand) means the user has the character in Word.
    if (m_template.isInstalled())
        m_active->setChecked(true);
    m_active->setEnabled(true);
    setPageChanged(false);
}

Main::~Main()
{
    closePage();
}

void Main::activeToggled(bool ticked)
{
    if (ticked)
        m_template.install();
    else
        m_template.remove();
}

void Main::teardown()
{
    // Should the store refuse a ticked box, the template stays in Word's start-up
    // folder: that alone tells the next start that the box was ticked.
    const bool stored = writeSetting(QStringLiteral("Active"), checkBoxValue(m_active));
    if (stored || !m_active->isChecked())
        m_template.remove();
}

PageHelp Main::help() const
{
    PageHelp box;
    box.lines = {QStringLiteral("Das Word-Plugin ist eine Erweiterung"),
                 QStringLiteral("des Programms für MS Word 2000(R)."),
                 QString(),
                 QStringLiteral("Aktivieren Sie das Aktiv-Kästchen, um die"),
                 QStringLiteral("Unterstützung des Freundes auch in Word"),
                 QStringLiteral("zu haben."),
                 QString()};
    box.title = QStringLiteral("Tilvano Word-Plugin");
    return box;
}

} // namespace tilvano::word
