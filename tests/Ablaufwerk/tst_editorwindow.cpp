// The editor window driven as a user drives it: scripted answers to every
// box, a recording character, and the macro store checked afterwards.

#include "EditorTestBench.h"

#include "Ablaufwerk/MacroListController.h"
#include "Ablaufwerk/WalkPositionCheck.h"
#include "system/Registry.h"
#include "system/ServiceRegistry.h"
#include "system/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;
using Shown = ScriptedDialogService::Shown;

namespace {

const QString speakHallo = QStringLiteral("Kibo.SpeakIt \"Hallo\"<!!BR!!>");
const QString stopScript = QStringLiteral("Kibo.StopAll<!!BR!!>");

StoredMacro macro(const char *name, const QString &script = stopScript) { return {QString::fromUtf8(name), script}; }

QString storedValue(const char *key)
{
    return GetSetting(settingsApplication(), QStringLiteral("StoredValues"), QString::fromLatin1(key),
                      QStringLiteral("<absent>"));
}

// The real store, except that it refuses every write as a full disk would.
class RefusingRegistry final : public Registry {
public:
    explicit RefusingRegistry(Registry &real) : m_real(real) {}
    bool keyExists(const QString &keyPath) override { return m_real.keyExists(keyPath); }
    std::optional<RegistryValue> value(const QString &keyPath, const QString &name) override
    {
        return m_real.value(keyPath, name);
    }
    bool setValue(const QString &, const QString &, const RegistryValue &) override { return false; }
    bool createKey(const QString &) override { return false; }
    bool deleteValue(const QString &, const QString &) override { return false; }
    QStringList subKeys(const QString &keyPath) override { return m_real.subKeys(keyPath); }
    QList<NamedRegistryValue> values(const QString &keyPath) override { return m_real.values(keyPath); }
    QString lastError() const override { return QStringLiteral("database or disk is full"); }

private:
    Registry &m_real;
};

void leaveField(QLineEdit *field)
{
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(field, &out);
}

} // namespace

class TestEditorWindow : public QObject {
    Q_OBJECT
private slots:
    void replaceWithoutSelectionAppendsForEveryAction()
    {
        EditorTestBench bench;
        bench.start();
        bench.tool("new");
        bench.field("txtToSpeak")->setText(QStringLiteral("Sag \"Hi\""));
        bench.click("btnTakeSpeak");
        bench.lines()->setCurrentRow(-1);
        bench.agent.dialogs.queueFile(QStringLiteral("/tmp/gong.wav"));
        bench.click("btnOpenWave");
        bench.click("btnTakeWave");
        bench.lines()->setCurrentRow(-1);
        bench.click("btnTakeStop");
        QCOMPARE(bench.shownLines(), (QStringList{"Spreche: 'Sag \"Hi\"'", "Datei: '/tmp/gong.wav'", "Stopp"}));
        QCOMPARE(bench.currentScript(), QStringLiteral("Kibo.SpeakIt \"Sag \"\"Hi\"\"\"<!!BR!!>"
                                                       "Kibo.SpeakWave \"/tmp/gong.wav\"<!!BR!!>"
                                                       "Kibo.StopAll<!!BR!!>"));
        QCOMPARE(bench.agent.dialogs.shown().at(0).title, QStringLiteral("Wave-Datei auswählen"));
        QCOMPARE(bench.agent.dialogs.shown().at(0).defaultText, QStringLiteral("Wave-Dateien (*.wav)"));
        QVERIFY(bench.currentChanged());

        // With a line selected, replace keeps the place and the other lines.
        bench.lines()->setCurrentRow(1);
        bench.click("btnTakeStop");
        QCOMPARE(bench.shownLines(), (QStringList{"Spreche: 'Sag \"Hi\"'", "Stopp", "Stopp"}));
        QCOMPARE(bench.lines()->currentRow(), 1);
    }

    void walkLinesAreWrittenWithAndWithoutBlank()
    {
        EditorTestBench bench;
        bench.start();
        bench.tool("new");
        bench.field("txtLeft")->setText(QStringLiteral("100"));
        bench.field("txtTop")->setText(QStringLiteral("200"));
        bench.click("btnAddMove");
        QCOMPARE(bench.currentScript(), QStringLiteral("Kibo.MoveTo 100, 200<!!BR!!>"));
        QCOMPARE(bench.shownLines(), QStringList{"Gehe nach: 100,200"});
        bench.click("btnTakeMove"); // the new line is selected
        QCOMPARE(bench.currentScript(), QStringLiteral("Kibo.MoveTo 100,200<!!BR!!>"));
        QCOMPARE(bench.shownLines(), QStringList{"Gehe nach: 100,200"});
        bench.lines()->setCurrentRow(-1);
        bench.click("btnTakeMove"); // nothing selected: appended like an insert
        QCOMPARE(bench.currentScript(),
                 QStringLiteral("Kibo.MoveTo 100,200<!!BR!!>Kibo.MoveTo 100, 200<!!BR!!>"));
    }

    void positionsOffTheDesktopAreRefusedWithTheirMessage()
    {
        EditorTestBench bench; // the helper is off: messages come as boxes
        bench.start();
        bench.tool("new");
        const QRect desktop = ablaufwerk::desktopArea();
        const auto tryWalk = [&](const QString &left, const QString &top) {
            bench.agent.dialogs.clear();
            bench.field("txtLeft")->setText(left);
            bench.field("txtTop")->setText(top);
            bench.click("btnAddMove");
            return bench.agent.dialogs.texts().value(0);
        };
        QCOMPARE(tryWalk(QStringLiteral("-1"), QStringLiteral("10")),
                 QStringLiteral("Die linke Position liegt außerhald des Bildschirms."));
        QCOMPARE(bench.agent.dialogs.shown().at(0).title, QStringLiteral("Ablaufwerk"));
        QCOMPARE(bench.agent.dialogs.shown().at(0).style, DialogService::OkOnly);
        QCOMPARE(tryWalk(QString::number(desktop.right() + 2), QStringLiteral("10")),
                 QStringLiteral("Die linke Position liegt außerhald des Bildschirms."));
        QCOMPARE(tryWalk(QStringLiteral("10"), QString::number(desktop.bottom() + 2)),
                 QStringLiteral("Die Position von oben liegt außerhald des Bildschirms."));
        QCOMPARE(tryWalk(QStringLiteral("zehn"), QStringLiteral("10")),
                 QStringLiteral("Die Position von links muss eine Zahl sein."));
        QCOMPARE(bench.lines()->count(), 0);
        QVERIFY(!bench.currentChanged());
        QCOMPARE(tryWalk(QString::number(desktop.right() + 1), QString::number(desktop.bottom() + 1)), QString());
        QCOMPARE(bench.lines()->count(), 1);
    }

    void theHundredthMacroIsTheLast()
    {
        QList<StoredMacro> hundred;
        for (int i = 0; i < 100; ++i)
            hundred << StoredMacro{QStringLiteral("M%1").arg(i), stopScript};
        {
            EditorTestBench bench;
            EditorTestBench::storeMacros(hundred);
            bench.start();
            bench.tool("new");
            QCOMPARE(bench.agent.dialogs.texts(), QStringList{"Es sind nur maximal 100 Makros möglich"});
            QCOMPARE(bench.makroCombo()->count(), 100);
            QCOMPARE(bench.makroCombo()->currentText(), QStringLiteral("M0"));
        }
        {
            EditorTestBench bench;
            hundred.removeLast();
            EditorTestBench::storeMacros(hundred);
            bench.start();
            bench.tool("new");
            QVERIFY(bench.agent.dialogs.texts().isEmpty());
            QCOMPARE(bench.makroCombo()->count(), 100);
            QCOMPARE(bench.makroCombo()->itemText(0), QStringLiteral("(neues Makro)"));
            QCOMPARE(bench.makroCombo()->currentIndex(), 0);
            bench.click("btnAddStop");
            bench.agent.dialogs.queueInput(QStringLiteral("Neu"));
            bench.tool("save");
            QCOMPARE(ReadMacroSlot(99), macro("Neu"));
            QCOMPARE(bench.makroCombo()->itemText(99), QStringLiteral("Neu"));
        }
    }

    void savingUnderAnExistingNameAsksAndCancelKeepsEverything()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("Alpha", speakHallo), macro("Beta")});
        bench.start();
        bench.tool("new");
        bench.click("btnAddStop");

        // Yes to saving on the switch, then a taken name and Cancel: nothing
        // is stored and the switch does not happen.
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        bench.agent.dialogs.queueInput(QStringLiteral("ALPHA"));
        bench.agent.dialogs.queueAnswer(DialogService::Cancel);
        bench.choose(2);
        const QList<Shown> shown = bench.agent.dialogs.shown();
        QCOMPARE(bench.agent.dialogs.texts(),
                 (QStringList{"Änderungen am aktuellen Makro speichern ?", "Kurzbezeichnung",
                              "Soll das vorhandene Makro 'ALPHA' überschrieben werden?"}));
        QCOMPARE(shown.at(0).style, DialogService::YesNo);
        QCOMPARE(shown.at(1).title, QStringLiteral("Bezeichnung eingeben"));
        QCOMPARE(shown.at(2).style, DialogService::YesNoCancel | DialogService::Question);
        QCOMPARE(ReadMacroSlot(0), macro("Alpha", speakHallo));
        QCOMPARE(ReadMacroSlot(2), StoredMacro{});
        QVERIFY(bench.window->macroList().currentMacro()->Key().isEmpty());
        QVERIFY(bench.currentChanged());
        QCOMPARE(bench.shownLines(), QStringList{"Stopp"});
        QCOMPARE(bench.makroCombo()->currentIndex(), 0);
        QCOMPARE(bench.comboEntries(), (QStringList{"(neues Makro)", "Alpha", "Beta"}));

        // No asks for a name again; an empty answer is refused; a fresh name takes the next slot.
        bench.agent.dialogs.clear();
        bench.agent.dialogs.queueInput(QStringLiteral("beta"));
        bench.agent.dialogs.queueAnswer(DialogService::No);
        bench.agent.dialogs.queueInput(QStringLiteral(""));
        bench.agent.dialogs.queueInput(QStringLiteral("Gamma"));
        bench.tool("save");
        QCOMPARE(bench.agent.dialogs.texts(),
                 (QStringList{"Kurzbezeichnung", "Soll das vorhandene Makro 'beta' überschrieben werden?",
                              "Kurzbezeichnung", "Sie müssen einen Namen für das Makro eingeben!",
                              "Kurzbezeichnung"}));
        QCOMPARE(ReadMacroSlot(2), macro("Gamma"));
        QCOMPARE(bench.comboEntries(), (QStringList{"Alpha", "Beta", "Gamma"}));
        QCOMPARE(bench.makroCombo()->currentText(), QStringLiteral("Gamma"));
        QVERIFY(!bench.currentChanged());
    }

    void theSaveIsAnnouncedOnlyOnceItIsWritten()
    {
        EditorTestBench bench(true); // the helping character speaks the messages
        bench.start();
        QStringList said;
        QStringList slotWhenSaid;
        QObject::connect(bench.window->kibo(), &Agent::EvSpeak, bench.window.get(), [&](QString &text) {
            said << text;
            slotWhenSaid << ReadMacroSlot(0).name;
        });
        bench.tool("new");
        bench.click("btnAddStop");
        said.clear();
        slotWhenSaid.clear();
        bench.agent.dialogs.queueInput(QStringLiteral("Neu"));
        bench.tool("save");
        QCOMPARE(said, QStringList{"Ich habe das Makro gespeichert"});
        QCOMPARE(slotWhenSaid, QStringList{"Neu"});

        // A store that refuses the write: no success is claimed, and the
        // changes wait to be offered again.
        bench.tool("new");
        bench.click("btnAddStop");
        said.clear();
        RefusingRegistry refusing(SystemServices::registry());
        ServiceRegistry::replace<Registry>(&refusing);
        bench.agent.dialogs.queueInput(QStringLiteral("Zwei"));
        bench.tool("save");
        ServiceRegistry::replace<Registry>(nullptr);
        QCOMPARE(said, QStringList{"Das Makro konnte nicht gespeichert werden."});
        QCOMPARE(ReadMacroSlot(1), StoredMacro{});
        QVERIFY(bench.currentChanged());
        bench.agent.dialogs.clear();
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        QVERIFY(bench.window->close());
        QCOMPARE(ReadMacroSlot(1), macro("Zwei"));
    }

    void overwritingAnExistingMacroKeepsItsSlot()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("Alpha", speakHallo), macro("Beta")});
        bench.start();
        bench.tool("new");
        bench.field("txtToThink")->setText(QStringLiteral("Hmm"));
        bench.click("btnAddThink");
        bench.agent.dialogs.queueInput(QStringLiteral("alpha"));
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        bench.tool("save");
        QCOMPARE(ReadMacroSlot(0), macro("Alpha", QStringLiteral("Kibo.Think \"Hmm\"<!!BR!!>")));
        QCOMPARE(ReadMacroSlot(2), StoredMacro{});
        QCOMPARE(bench.comboEntries(), (QStringList{"Alpha", "Beta"}));
        QCOMPARE(bench.makroCombo()->currentText(), QStringLiteral("Alpha"));
    }

    void deletingShiftsTheSlotsAndLaterSavesHitTheirOwnSlot()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("A"), macro("B"), macro("C", speakHallo)});
        bench.start();
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        bench.click("btnDeleteMacro");
        QCOMPARE(bench.agent.dialogs.texts(), QStringList{"Soll das Makro 'A' wirklich gelöscht werden ?"});
        QCOMPARE(bench.agent.dialogs.shown().at(0).style, DialogService::YesNo | DialogService::Question);
        QCOMPARE(bench.comboEntries(), (QStringList{"B", "C"}));
        QCOMPARE(bench.makroCombo()->currentText(), QStringLiteral("B"));
        QCOMPARE(ReadMacroSlot(0), macro("B"));
        QCOMPARE(ReadMacroSlot(2), StoredMacro{});

        bench.choose(1);
        bench.click("btnAddStop");
        bench.tool("save");
        QCOMPARE(ReadMacroSlot(1), macro("C", speakHallo + stopScript));
        QCOMPARE(ReadMacroSlot(2), StoredMacro{});

        // No keeps the macro.
        bench.agent.dialogs.queueAnswer(DialogService::No);
        bench.click("btnDeleteMacro");
        QCOMPARE(bench.comboEntries(), (QStringList{"B", "C"}));
    }

    void deletingTheUnsavedNewMacroTouchesNoSlot()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("A"), macro("B")});
        bench.start();
        bench.tool("new");
        bench.click("btnAddStop");
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        bench.click("btnDeleteMacro");
        QCOMPARE(ReadMacroSlot(0), macro("A"));
        QCOMPARE(ReadMacroSlot(1), macro("B"));
        QCOMPARE(bench.comboEntries(), (QStringList{"A", "B"}));
        QCOMPARE(bench.makroCombo()->currentText(), QStringLiteral("A"));
        QCOMPARE(bench.shownLines(), QStringList{"Stopp"});
        QVERIFY(!bench.currentChanged());
    }

    void switchingWithoutSavingRestoresTheStoredLines()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("A", speakHallo), macro("B")});
        bench.start();
        bench.click("btnAddStop");
        bench.agent.dialogs.queueAnswer(DialogService::No);
        bench.choose(1);
        QCOMPARE(bench.makroCombo()->currentText(), QStringLiteral("B"));
        bench.choose(0);
        QCOMPARE(bench.shownLines(), QStringList{"Spreche: 'Hallo\""});
        QCOMPARE(ReadMacroSlot(0), macro("A", speakHallo));
    }

    void f5AndTheToolBarRunTheMacroOnce()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("A", speakHallo)});
        bench.start();
        QTest::keyRelease(bench.lines(), Qt::Key_F5);
        QCOMPARE(bench.agent.control->callsStartingWith(QStringLiteral("somebody.Speak(")).size(), 1);
        QVERIFY(bench.agent.control->callsStartingWith(QStringLiteral("somebody.Speak(")).first().contains(
            QStringLiteral("Hallo")));
        QTest::keyRelease(bench.field("txtToSpeak"), Qt::Key_F4);
        bench.tool("run");
        QCOMPARE(bench.agent.control->callsStartingWith(QStringLiteral("somebody.Speak(")).size(), 2);
    }

    void theCommandLineNamesTheMacroExactly()
    {
        {
            EditorTestBench bench;
            EditorTestBench::storeMacros({macro("Erster"), macro("Guten Morgen", speakHallo)});
            bench.start(QStringLiteral("Guten Morgen"));
            QCOMPARE(bench.makroCombo()->currentText(), QStringLiteral("Guten Morgen"));
            QCOMPARE(bench.shownLines(), QStringList{"Spreche: 'Hallo\""});
            QVERIFY(!bench.currentChanged());
        }
        {
            EditorTestBench bench;
            EditorTestBench::storeMacros({macro("Erster"), macro("Guten Morgen", speakHallo)});
            bench.start(QStringLiteral("guten morgen"));
            QCOMPARE(bench.makroCombo()->currentText(), QStringLiteral("Erster"));
        }
    }

    void startCompactsTheStoreAndFillsTheLists()
    {
        EditorTestBench bench(true);
        WriteMacroSlot(0, macro("A"));
        WriteMacroSlot(2, macro("C"));
        bench.agent.profile.animationNames = {QStringLiteral("Greet"), QStringLiteral("Wave")};
        bench.window = std::make_unique<ablaufwerk::MainForm>();
        QVERIFY(bench.window->start(QString()));
        QCOMPARE(ReadMacroSlot(1), macro("C"));
        QCOMPARE(bench.comboEntries(), (QStringList{"A", "C"}));
        QCOMPARE(bench.find<QComboBox>("AniCombo")->currentText(), QStringLiteral("Greet"));
        QCOMPARE(bench.window->kibo()->MenuCaption(), QStringLiteral("Ablaufwerk-Menü"));
        // The helper greets in speech, never in a box.
        QVERIFY(bench.agent.dialogs.shown().isEmpty());
        QVERIFY(bench.agent.control->calls().last().startsWith(QStringLiteral("somebody.Speak(Willkommen zum Ablaufwerk!")));
    }

    void theHelperSpeaksWhatBoxesWouldShow()
    {
        EditorTestBench bench(true);
        bench.start();
        bench.tool("new");
        bench.click("btnAddMove");
        QVERIFY(bench.agent.dialogs.shown().isEmpty());
        const QStringList spoken = bench.agent.control->callsStartingWith(QStringLiteral("somebody.Speak("));
        QCOMPARE(spoken.size(), 2);
        QVERIFY(spoken.at(0).contains(QStringLiteral("leeres Makro")));
        QVERIFY(spoken.at(1).contains(QStringLiteral("Position von links")));

        // A character that cannot speak does not swallow a message the user must see.
        bench.agent.character()->failRequest(QStringLiteral("Speak"), 5);
        bench.click("btnAddMove");
        QCOMPARE(bench.agent.dialogs.texts().size(), 1);
        QVERIFY(bench.agent.dialogs.texts().first().startsWith(QStringLiteral("Bitte geben Sie die Position von links")));
    }

    void selectingLinesFillsTheFieldsWithoutAskingLater()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("A", QStringLiteral("Kibo.SpeakIt \"Hallo\"<!!BR!!>Kibo.MoveTo 100, 200<!!BR!!>"
                                                                "Kibo.PlayAni \"wave\"<!!BR!!>Kibo.Think \"Hm\"<!!BR!!>"
                                                                "Kibo.MoveTo 7<!!BR!!>"))});
        bench.start();
        QLineEdit *speak = bench.field("txtToSpeak");
        bench.lines()->setCurrentRow(0);
        QCOMPARE(speak->text(), QStringLiteral("Hallo"));
        leaveField(speak);
        QVERIFY(bench.agent.dialogs.shown().isEmpty());

        bench.lines()->setCurrentRow(1);
        QCOMPARE(speak->text(), QString());
        QCOMPARE(bench.field("txtLeft")->text(), QStringLiteral("100"));
        QCOMPARE(bench.field("txtTop")->text(), QStringLiteral(" 200"));
        bench.lines()->setCurrentRow(2);
        QCOMPARE(bench.find<QComboBox>("AniCombo")->currentText(), QStringLiteral("Wave"));
        bench.lines()->setCurrentRow(3);
        QCOMPARE(bench.field("txtToThink")->text(), QStringLiteral("Hm"));
        bench.lines()->setCurrentRow(4); // hand-made walk line without comma
        QCOMPARE(bench.field("txtLeft")->text(), QString());
        QCOMPARE(bench.field("txtTop")->text(), QString());
        QVERIFY(!bench.find("btnOrderDown")->isEnabled());
        QVERIFY(bench.find("btnOrderUp")->isEnabled());
        bench.lines()->setCurrentRow(0);
        QVERIFY(!bench.find("btnOrderUp")->isEnabled());
        QVERIFY(bench.find("btnOrderDown")->isEnabled());
        QVERIFY(!bench.currentChanged());
    }

    void aChangedTextIsOfferedWhenTheFieldIsLeft()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("A", QStringLiteral("Kibo.SpeakIt \"Hallo\"<!!BR!!>Kibo.StopAll<!!BR!!>"))});
        bench.start();
        QLineEdit *speak = bench.field("txtToSpeak");
        bench.lines()->setCurrentRow(0);
        QTest::keyClick(speak, Qt::Key_End);
        QTest::keyClicks(speak, QStringLiteral(" Welt"));
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        leaveField(speak);
        QCOMPARE(bench.agent.dialogs.texts(), QStringList{"Text wurde geändert, übernehmen?"});
        QCOMPARE(bench.agent.dialogs.shown().at(0).style, DialogService::YesNo | DialogService::Question);
        QCOMPARE(bench.shownLines(), (QStringList{"Spreche: 'Hallo Welt'", "Stopp"}));
        leaveField(speak); // answered once: leaving again asks nothing
        QCOMPARE(bench.agent.dialogs.shown().size(), 1);

        // No on a line of another kind empties the field; nothing is added.
        bench.lines()->setCurrentRow(1);
        QLineEdit *think = bench.field("txtToThink");
        QTest::keyClicks(think, QStringLiteral("Hm"));
        bench.agent.dialogs.queueAnswer(DialogService::No);
        leaveField(think);
        QCOMPARE(think->text(), QString());
        QCOMPARE(bench.lines()->count(), 2);

        // Yes to an emptied text empties the line, and the empty text is stored.
        bench.tool("save");
        QVERIFY(!bench.currentChanged());
        bench.lines()->setCurrentRow(0);
        speak->selectAll();
        QTest::keyClick(speak, Qt::Key_Delete);
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        leaveField(speak);
        QCOMPARE(bench.shownLines(), (QStringList{"Spreche: ''", "Stopp"}));
        QVERIFY(bench.currentChanged());
        bench.tool("save");
        QCOMPARE(ReadMacroSlot(0), macro("A", QStringLiteral("Kibo.SpeakIt \"\"<!!BR!!>Kibo.StopAll<!!BR!!>")));

        // Without a speak line to take it, a blank text is no new line, and the user hears why.
        bench.lines()->setCurrentRow(1);
        bench.agent.dialogs.clear();
        QTest::keyClicks(speak, QStringLiteral("  "));
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        leaveField(speak);
        QCOMPARE(bench.agent.dialogs.texts(),
                 (QStringList{"Text wurde geändert, übernehmen?", "Ein leerer Text wird nicht als neue Zeile eingefügt."}));
        QCOMPARE(bench.lines()->count(), 2);
        QVERIFY(!bench.currentChanged());
    }

    void aDraggedCharacterFillsTheWalkTarget()
    {
        EditorTestBench bench;
        bench.start();
        emit bench.agent.control->moved(QStringLiteral("somebody"), 321, 123, 2);
        QCOMPARE(bench.field("txtLeft")->text(), QStringLiteral("321"));
        QCOMPARE(bench.field("txtTop")->text(), QStringLiteral("123"));
    }

    void closingAsksAndCancelWritesNoSettings()
    {
        EditorTestBench bench;
        EditorTestBench::storeMacros({macro("A")});
        ablaufwerk::MainForm &window = bench.start();
        window.show();
        bench.click("btnAddStop");
        bench.agent.dialogs.queueAnswer(DialogService::Cancel);
        QVERIFY(!window.close());
        QCOMPARE(bench.agent.dialogs.texts(), QStringList{"Sollen die Änderungen am aktuellen Makro gespeichert werden ?"});
        QCOMPARE(bench.agent.dialogs.shown().at(0).style, DialogService::YesNoCancel | DialogService::Question);
        QVERIFY(window.isVisible());
        QCOMPARE(storedValue("MacroEditor"), QStringLiteral("<absent>"));
        QCOMPARE(storedValue("Editor_Width"), QStringLiteral("<absent>"));

        window.resize(700, 400);
        bench.agent.dialogs.queueAnswer(DialogService::Yes);
        QVERIFY(window.close());
        QCOMPARE(ReadMacroSlot(0), macro("A", stopScript + stopScript));
        QCOMPARE(storedValue("MacroEditor"), QCoreApplication::applicationFilePath());
        QCOMPARE(storedValue("Editor_Width"), QStringLiteral("10500"));
        QCOMPARE(storedValue("Editor_Height"), QStringLiteral("6000"));
        QCOMPARE(storedValue("AblaufwerkHelp"), QStringLiteral("False"));
        QVERIFY(!window.kibo());
    }

    void theWindowComesBackWhereItWas()
    {
        EditorTestBench bench;
        {
            // The first start has no place stored: the middle of the screen, not its corner.
            ablaufwerk::MainForm &fresh = bench.start();
            const QPoint offCentre = fresh.geometry().center() - fresh.screen()->availableGeometry().center();
            QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
            bench.window.reset();
        }
        AgentTestBench::saveStored(QStringLiteral("Editor_Width"), QStringLiteral("9000"));
        AgentTestBench::saveStored(QStringLiteral("Editor_Height"), QStringLiteral("6000"));
        ablaufwerk::MainForm &window = bench.start();
        QCOMPARE(window.size(), QSize(600, 400));
        QCOMPARE(window.controlGeometry().lstMacro.width(), 9000 - 6585);
        window.show();
        window.resize(300, 60); // too small for the list: it keeps its last size
        QCOMPARE(window.controlGeometry().lstMacro.size(), QSize(9000 - 6585, 6000 - 1350));
        QCOMPARE(bench.lines()->width(), (9000 - 6585) / 15);
        QCOMPARE(window.controlGeometry().rightFrame.left(), 4500 - 6000);
    }

    void aSecondEditorOnlySaysSo()
    {
        EditorTestBench bench;
        WriteMacroSlot(0, macro("A"));
        WriteMacroSlot(2, macro("C"));
        SingleInstance first(ablaufwerk::MainForm::windowTitleText().toCaseFolded());
        QVERIFY(first.tryAcquire());
        bench.window = std::make_unique<ablaufwerk::MainForm>();
        QVERIFY(!bench.window->start(QString()));
        QCOMPARE(bench.agent.dialogs.shown().size(), 1);
        const Shown box = bench.agent.dialogs.shown().first();
        QCOMPARE(box.text, QStringLiteral("Der Tilvano-Ablaufwerk läuft bereits"));
        QCOMPARE(box.title, QStringLiteral("Tilvano-Ablaufwerk"));
        QCOMPARE(box.style, DialogService::OkOnly | DialogService::Information);
        QCOMPARE(ReadMacroSlot(1), StoredMacro{}); // not compacted
        QCOMPARE(bench.makroCombo()->count(), 0);
        QVERIFY(!bench.window->kibo());
        QVERIFY(bench.window->close());
        QCOMPARE(storedValue("Editor_Left"), QStringLiteral("<absent>"));

        // Once the first editor is gone, the next one starts.
        first.release();
        {
            ablaufwerk::MainForm again;
            QVERIFY(again.start(QString()));
            QCOMPARE(again.findChild<QComboBox *>(QStringLiteral("MakroCombo"))->count(), 2);
        }

        // A lock that cannot be made says nothing about another editor: the
        // user learns the cause, and the editor starts.
        QFile::remove(first.lockPath());
        QVERIFY(QDir().mkpath(first.lockPath()));
        bench.agent.dialogs.clear();
        ablaufwerk::MainForm unlocked;
        QVERIFY(unlocked.start(QString()));
        QCOMPARE(bench.agent.dialogs.shown().size(), 1);
        const Shown warning = bench.agent.dialogs.shown().first();
        QVERIFY2(warning.text.contains(first.lockPath() + QStringLiteral(" lässt sich nicht anlegen: an der Stelle liegt ein Ordner")),
                 qPrintable(warning.text));
        QVERIFY(warning.text.contains(QStringLiteral("Das Ablaufwerk startet trotzdem.")));
        QCOMPARE(warning.style, DialogService::OkOnly | DialogService::Exclamation);
        QVERIFY(unlocked.kibo());
        QCOMPARE(unlocked.findChild<QComboBox *>(QStringLiteral("MakroCombo"))->count(), 2);
    }

    void helpAndAboutOpenPagesAndPokeTheCharacter()
    {
        EditorTestBench bench;
        bench.start();
        bench.find<QAction>("cmdHelpIndex")->trigger();
        QCOMPARE(bench.agent.shell.requests().size(), 1);
        QCOMPARE(bench.agent.shell.requests().at(0).file, bench.agent.installPath + QStringLiteral("help/ablaufwerk.html"));
        QCOMPARE(bench.agent.shell.requests().at(0).operation, QStringLiteral("open"));

        QTimer::singleShot(0, [&bench] {
            QWidget *about = QApplication::activeModalWidget();
            QVERIFY(about);
            QCOMPARE(about->objectName(), QStringLiteral("frmAbout"));
            auto *version = about->findChild<QLabel *>(QStringLiteral("Label1"));
            QVERIFY(QRegularExpression(QStringLiteral("^Ablaufwerk - Version \\d+\\.\\d+\\.\\d+$"))
                        .match(version->text())
                        .hasMatch());
            QTest::mouseClick(about->findChild<QLabel *>(QStringLiteral("Image1")), Qt::LeftButton);
            QTest::mouseClick(about->findChild<QLabel *>(QStringLiteral("Label2")), Qt::LeftButton);
            about->findChild<QPushButton *>(QStringLiteral("btnHelp"))->click();
            about->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
        });
        bench.find<QAction>("cmdAbout")->trigger();
        QCOMPARE(bench.agent.control->callsStartingWith(QStringLiteral("somebody.Play(")),
                 QStringList{"somebody.Play(Surprised)"});
        QVERIFY(bench.agent.control->callsStartingWith(QStringLiteral("somebody.Speak(")).value(0).contains(
            QStringLiteral("Lass das")));
        QCOMPARE(bench.agent.shell.requests().size(), 3);
        QVERIFY(bench.agent.shell.requests().at(1).file.startsWith(QStringLiteral("https://")));
        QVERIFY(bench.agent.shell.requests().at(2).file.endsWith(QStringLiteral("help/ablaufwerk.html")));
    }
};

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
