// The general-options page: the user's name in everything the character
// says, the log-in start entry, the start-up macro, and the page's frame.

#include "plugins/Options/Main.h"
#include "plugins/Options/StartupEntry.h"
#include "support/AgentTestBench.h"
#include "support/RefusedSave.h"

#include "MakroCombo/MacroBox.h"
#include "common/MacroStore.h"
#include "common/Twips.h"
#include "common/basRegistry.h"
#include "system/AutostartEntry.h"
#include "system/InstallLayout.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;
using tilvano::options::Main;

namespace {

QString misc(const QString &key)
{
    return GetSetting(settingsApplication(), QStringLiteral("Misc"), key, QStringLiteral("<absent>"));
}

void saveMisc(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), QStringLiteral("Misc"), key, value);
}

// The page's own controls in tab order, a picker standing for its insides.
QStringList tabOrder(QWidget &page)
{
    QStringList order;
    for (QWidget *widget = page.nextInFocusChain(); widget != &page; widget = widget->nextInFocusChain()) {
        if (!(widget->focusPolicy() & Qt::TabFocus))
            continue;
        QWidget *control = widget;
        while (control->parentWidget() != &page)
            control = control->parentWidget();
        if (order.isEmpty() || order.last() != control->objectName())
            order << control->objectName();
    }
    return order;
}

} // namespace

class TestOptionsPage : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        kibo = bench->agentWithCharacter();
        // No speech tags in front of the recorded texts.
        kibo->setSpeed(-1);
        kibo->setPitch(-1);
        kibo->setVolume(-1);
        autostartFile = bench->home->configHome() + QStringLiteral("/autostart/tilvano.desktop");
    }
    void cleanup()
    {
        kibo.reset();
        bench.reset();
    }

    void newPageShowsDefaultsAndItsControls()
    {
        Main page;
        QCOMPARE(page.userNameField()->text(), QStringLiteral("Meister"));
        QVERIFY(!page.autoRunBox()->isChecked());
        QVERIFY(!page.PageChanged());
        QCOMPARE(page.autoRunBox()->geometry(), twipsRect(300, 675, 3615, 240));
        // A picker keeps its own fixed size; only its place is the page's.
        QCOMPARE(page.startUpPicker()->pos(), twipsPoint(1650, 1575));
        // The good-bye row exists but is not offered.
        QVERIFY(page.goodByePicker()->isHidden());
        QVERIFY(page.findChild<QLabel *>(QStringLiteral("Label1"))->isHidden());
        QCOMPARE(tabOrder(page), (QStringList{"cbAutoRun", "txtUserName", "MacroStartUp", "MacroGoodBye",
                                              "cmdSave", "btnHelp"}));
    }

    void theStoredUserNameIsFilledIn()
    {
        auto page = std::make_unique<Main>();
        page->Init(kibo.get());

        // A new user is "Meister", in speech and in thought; the tag is case-sensitive.
        QString hello = QStringLiteral("Hallo <USERNAME>");
        QVERIFY(kibo->SpeakIt(hello));
        QString thought = QStringLiteral("Was macht <USERNAME>? <username> bleibt");
        kibo->Think(thought);
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("somebody.Speak")),
                 QStringList{QStringLiteral("somebody.Speak(Hallo Meister, )")});
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("somebody.Think")),
                 QStringList{QStringLiteral("somebody.Think(Was macht Meister? <username> bleibt)")});

        // Typed but not saved: still the stored name.
        page->userNameField()->setText(QStringLiteral("Anna"));
        QVERIFY(page->PageChanged());
        hello = QStringLiteral("Hallo <USERNAME>");
        kibo->SpeakIt(hello);
        QCOMPARE(hello, QStringLiteral("Hallo Meister"));

        QVERIFY(page->SaveAll());
        QVERIFY(!page->PageChanged());
        QCOMPARE(misc(QStringLiteral("UserName")), QStringLiteral("Anna"));
        hello = QStringLiteral("<USERNAME>, <USERNAME>!");
        kibo->SpeakIt(hello);
        QCOMPARE(hello, QStringLiteral("Anna, Anna!"));

        // Only while the page exists.
        page.reset();
        hello = QStringLiteral("Hallo <USERNAME>");
        kibo->SpeakIt(hello);
        QCOMPARE(hello, QStringLiteral("Hallo <USERNAME>"));
    }

    void savingTheBoxWritesAndRemovesTheStartEntry()
    {
        Main page;
        page.Init(kibo.get());
        page.autoRunBox()->click();
        QVERIFY(page.PageChanged());
        QVERIFY(!QFile::exists(autostartFile)); // only saving acts
        page.saveButton()->click();
        QVERIFY(!page.PageChanged());
        const QString program = InstallLayout::program(QStringLiteral("tilvano"));
        QCOMPARE(ReadRegValue(HKEY_CURRENT_USER, options::StartupEntry::runKey(), QStringLiteral("Tilvano")),
                 QVariant(program));
        QCOMPARE(AutostartEntry(QStringLiteral("tilvano")).command(), std::optional<QString>(program));

        page.autoRunBox()->click();
        QVERIFY(page.SaveAll());
        QVERIFY(!QFile::exists(autostartFile));
        QVERIFY(page.SaveAll()); // nothing left to remove is no failure
    }

    void anEntryMadeByAnotherToolTicksTheBoxAndCanBeCleared()
    {
        QVERIFY(AutostartEntry(QStringLiteral("tilvano")).write(QStringLiteral("/opt/anderswo/tilvano")));
        Main page;
        QVERIFY(page.autoRunBox()->isChecked());
        QVERIFY(!page.PageChanged());
        page.Init(kibo.get());
        page.autoRunBox()->click();
        QVERIFY(page.SaveAll());
        QVERIFY(!QFile::exists(autostartFile));
        QVERIFY(!Main().autoRunBox()->isChecked());
    }

    void aStartEntryThatCannotBeWrittenIsReportedAndKeepsTheEdit()
    {
        QFile blocker(bench->home->configHome() + QStringLiteral("/autostart")); // a file, not a folder
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Main page;
        page.Init(kibo.get());
        page.autoRunBox()->click();
        QVERIFY(!page.SaveAll());
        QVERIFY(page.PageChanged());
        QCOMPARE(page.LastError().number, 75);
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    void refusedSaveKeepsTheEditsUnsaved_data()
    {
        addRefusalColumns();
        QTest::newRow("the character's own settings") << QString() << QString() << 1;
        QTest::newRow("user name") << QStringLiteral("Misc") << QStringLiteral("UserName") << 0;
        QTest::newRow("start-up macro") << QStringLiteral("Misc") << QStringLiteral("MacroStartUp") << 0;
    }
    void refusedSaveKeepsTheEditsUnsaved()
    {
        Main page;
        page.Init(kibo.get());
        page.userNameField()->setText(QStringLiteral("Anna"));
        checkRefusedSave(page);
    }

    void startUpMacroRunsAndTheHiddenChoiceSurvivesSaving()
    {
        QVERIFY(StoreMacro(0, QStringLiteral("Gruss"), QStringLiteral("Kibo.SpeakIt \"Guten Morgen <USERNAME>\"")));
        QVERIFY(StoreMacro(1, QStringLiteral("Tschuess"), QStringLiteral("Kibo.SpeakIt \"Bis bald\"")));
        saveMisc(QStringLiteral("MacroStartUp"), QStringLiteral("Gruss"));
        saveMisc(QStringLiteral("MacroGoodBye"), QStringLiteral("Tschuess"));
        saveMisc(QStringLiteral("UserName"), QStringLiteral("Chef"));
        Main page;
        page.Init(kibo.get());
        QVERIFY(!page.PageChanged());
        QCOMPARE(page.goodByePicker()->Text(), QStringLiteral("Tschuess"));

        QVERIFY(page.PluginStart());
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("somebody.Speak")),
                 QStringList{QStringLiteral("somebody.Speak(Guten Morgen Chef, )")});

        QVERIFY(page.SaveAll());
        QCOMPARE(misc(QStringLiteral("MacroGoodBye")), QStringLiteral("Tschuess"));
        QCOMPARE(misc(QStringLiteral("MacroStartUp")), QStringLiteral("Gruss"));
    }

    void startUpWithoutMacroOrCharacter()
    {
        Main page;
        QVERIFY(!page.PluginStart()); // no character before Init
        QCOMPARE(page.LastError().number, 91);

        page.Init(kibo.get());
        QCOMPARE(page.startUpPicker()->Text(), MacroBox::noMacroText());
        QVERIFY(page.PluginStart());
        QVERIFY(bench->logMessages().contains(QStringLiteral("RunMacroByName: (kein Macro)")));
    }

    void closingAsksOnlyAfterEdits_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("storedName");
        QTest::newRow("Yes saves") << int(DialogService::Yes) << QStringLiteral("Anna");
        QTest::newRow("No discards") << int(DialogService::No) << QStringLiteral("<absent>");
    }

    void closingAsksOnlyAfterEdits()
    {
        QFETCH(int, answer);
        QFETCH(QString, storedName);
        Main(nullptr).Init(kibo.get());
        QVERIFY(bench->dialogs.shown().isEmpty());
        {
            Main page;
            page.Init(kibo.get());
            page.userNameField()->setText(QStringLiteral("Anna"));
            bench->dialogs.queueAnswer(answer);
        }
        QCOMPARE(bench->dialogs.shown().size(), 1);
        const ScriptedDialogService::Shown box = bench->dialogs.shown().first();
        QCOMPARE(box.text, QStringLiteral("Sollen die Änderungen gespeichert werden ?"));
        QCOMPARE(box.title, QStringLiteral("Allgemeine Einstellungen"));
        QCOMPARE(box.style, DialogService::YesNo);
        QCOMPARE(misc(QStringLiteral("UserName")), storedName);
    }

    void helpBoxListsThePlaceholder()
    {
        Main page;
        page.helpButton()->click();
        QCOMPARE(bench->dialogs.shown().size(), 1);
        const ScriptedDialogService::Shown box = bench->dialogs.shown().first();
        QCOMPARE(box.text, QStringLiteral("Plugin: Allgemeine Einstellungen\r\nVerfügbare Platzhalter:\r\n\r\n"
                                          "In jedem Makro im gesamten Programm:\r\n<USERNAME> = Benutzername\r\n"));
        QCOMPARE(box.title, QString());
        QCOMPARE(box.style, DialogService::OkOnly | DialogService::Information);
    }

private:
    std::unique_ptr<AgentTestBench> bench;
    std::unique_ptr<Agent> kibo;
    QString autostartFile;
};

QTEST_MAIN(TestOptionsPage)
#include "tst_optionspage.moc"
