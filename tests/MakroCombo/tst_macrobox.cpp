#include "MakroCombo/MacroBox.h"

#include "common/MacroStore.h"
#include "common/SettingsStore.h"
#include "system/ServiceRegistry.h"
#include "support/IsolatedHome.h"
#include "support/RecordingShellExecutor.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace tilvano;

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }
const QString none = MacroBox::noMacroText();

QString scriptOf(const QString &name) { return q("Kibo.SpeakIt \"") + name + q("\"<!!BR!!>"); }

void storeMacros(const QStringList &names)
{
    for (int slot = 0; slot < names.size(); ++slot)
        WriteMacroSlot(slot, {names[slot], scriptOf(names[slot])});
}

QStringList entries(const MacroBox &box)
{
    QStringList texts;
    for (int i = 0; i < box.macroCombo()->count(); ++i)
        texts.append(box.macroCombo()->itemText(i));
    return texts;
}

bool childrenEnabled(const MacroBox &box, bool enabled)
{
    return box.macroCombo()->isEnabled() == enabled && box.testButton()->isEnabled() == enabled
           && box.editButton()->isEnabled() == enabled;
}

// The scripting object as the control reaches it: RunMacroByName, by name only.
struct KiboDouble : QObject {
    Q_OBJECT
public:
    QStringList runs;
    Q_INVOKABLE bool RunMacroByName(const QString &name) { return runs.append(name), true; }
};
struct VoidKiboDouble : QObject {
    Q_OBJECT
public:
    QStringList runs;
    Q_INVOKABLE void runmacrobyname(const QString &name) { runs.append(name); }
};

} // namespace

class TestMacroBox : public QObject {
    Q_OBJECT
private slots:
    // Names sort by the user's language, as a German desktop orders them.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        ServiceRegistry::replace<ShellExecutor>(&m_shell);
    }
    void cleanup()
    {
        ServiceRegistry::replace<ShellExecutor>(nullptr);
        m_shell.clear();
        m_home.reset();
    }

    void startsDisabledAndEmptyUntilInit()
    {
        MacroBox box;
        QVERIFY(childrenEnabled(box, false));
        QCOMPARE(box.ListIndex(), qint16(-1));
        box.setText(q("Affe")); // nothing to select yet, and no failure
        QCOMPARE(box.Text(), QString());

        // Init enables the children but leaves the host's flag alone.
        box.setEnabledFlag(false);
        QVERIFY(box.Init(nullptr));
        QVERIFY(childrenEnabled(box, true));
        QVERIFY(!box.Enabled());
        QCOMPARE(entries(box), QStringList{none});
        QCOMPARE(box.Text(), none);
        QCOMPARE(box.MacroText(), QString());
        box.setEnabledFlag(false);
        QVERIFY(childrenEnabled(box, false));
    }

    void listIsSortedAndEndsAtTheFirstGap()
    {
        storeMacros({q("Zebra"), q("Affe"), q("banane"), q("Äpfel"), q("7 Zwerge")});
        MacroBox box;
        box.Init(nullptr);
        QCOMPARE(entries(box), (QStringList{none, q("7 Zwerge"), q("Affe"), q("Äpfel"), q("banane"), q("Zebra")}));

        // A slot with an empty script hides itself and every later slot.
        storeMacros({q("M0"), q("M1"), q("M2"), q("M3"), q("M4")});
        WriteMacroSlot(2, {q("M2"), QString()});
        box.Refresh();
        QCOMPARE(entries(box), (QStringList{none, q("M0"), q("M1")}));
        box.setText(q("M3"));
        QCOMPARE(box.Text(), none);
        QCOMPARE(box.MacroText(), QString());
        box.setText(q("M1"));
        QCOMPARE(box.MacroText(), scriptOf(q("M1")));
    }

    void textSelectsExactlyAndMacroTextReadsTheStore()
    {
        WriteMacroSlot(0, {q("Gruss"), q("first")});
        WriteMacroSlot(1, {q("Gruss"), q("second")});
        MacroBox box;
        box.Init(nullptr);
        QSignalSpy changes(&box, &MacroBox::propertyChanged);
        box.setText(q("Gruss"));
        QCOMPARE(box.ListIndex(), qint16(2));  // the last equal entry
        QCOMPARE(box.MacroText(), q("first")); // the first equal slot
        WriteMacroSlot(0, {q("Gruss"), q("changed")});
        QCOMPARE(box.MacroText(), q("changed"));
        for (const QString &other : {QString(), q("Unbekannt"), q("gruss")}) {
            box.setText(q("Gruss"));
            box.setText(other);
            QCOMPARE(box.ListIndex(), qint16(0));
            QCOMPARE(box.MacroText(), QString());
        }
        QVERIFY(changes.isEmpty());

        QVERIFY(!box.setListIndex(3));
        QVERIFY(!box.setListIndex(-2));
        QVERIFY(changes.isEmpty());
        QVERIFY(box.setListIndex(-1));
        QCOMPARE(box.Text(), QString());
        QCOMPARE(changes.count(), 1);
    }

    void refillKeepsTheSelectionByExactName()
    {
        storeMacros({q("M0"), q("M1"), q("M2"), q("Zebra")});
        MacroBox box;
        box.Init(nullptr);
        box.setText(q("Zebra"));
        QCOMPARE(box.ListIndex(), qint16(4));

        // A macro added meanwhile moves the entry; focus entry follows it by name.
        WriteMacroSlot(4, {q("Affe"), scriptOf(q("Affe"))});
        QFocusEvent tabbedIn(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(box.macroCombo(), &tabbedIn);
        QCOMPARE(box.Text(), q("Zebra"));
        QCOMPARE(box.ListIndex(), qint16(5));
        // Closing the drop-down hands the focus back without a refill.
        WriteMacroSlot(5, {q("Neu"), scriptOf(q("Neu"))});
        QFocusEvent popupClosed(QEvent::FocusIn, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(box.macroCombo(), &popupClosed);
        QCOMPARE(box.ListCount(), qint16(6));

        // Renamed in the editor (only in letter case): the selection is lost.
        WriteMacroSlot(3, {q("zebra"), scriptOf(q("zebra"))});
        box.Refresh();
        QCOMPARE(box.Text(), none);
    }

    void propertyBagWritesOnlyWhatDiffersAndReadsBack()
    {
        QWidget host;
        host.setFont(QFont(q("Sans"), 13));
        MacroBox saved(&host);
        QCOMPARE(saved.Font(), host.font());
        // An empty list: nothing selected, and both differ from their defaults.
        QCOMPARE(saved.WriteProperties(),
                 (PropertyBag{{q("Text"), QString()}, {q("ListIndex"), QVariant::fromValue(qint16(-1))}}));
        saved.Init(nullptr);
        saved.setBorderStyle(1);
        saved.setEnabledFlag(true);
        saved.setFontValue(QFont(q("Serif"), 9));
        const PropertyBag bag = saved.WriteProperties();
        QCOMPARE(bag.size(), 4);
        QCOMPARE((QStringList{bag[0].first, bag[1].first, bag[2].first, bag[3].first}),
                 (QStringList{q("Enabled"), q("Font"), q("BorderStyle"), q("Text")}));

        MacroBox loaded(&host);
        QSignalSpy changes(&loaded, &MacroBox::propertyChanged);
        loaded.ReadProperties(bag);
        QVERIFY(loaded.Enabled());
        QVERIFY(childrenEnabled(loaded, false)); // only the flag is restored
        QCOMPARE(loaded.Font(), QFont(q("Serif"), 9));
        QCOMPARE(loaded.BorderStyle(), qint16(1));
        QVERIFY(changes.isEmpty());

        // Values of the wrong type or range read as the defaults; a position
        // the list does not hold is ignored.
        loaded.ReadProperties({{q("BackColor"), q("rot")}, {q("BackStyle"), 70000}, {q("Enabled"), q("Ja")},
                               {q("Font"), QVariant(3)}, {q("ListIndex"), 5}});
        QCOMPARE(loaded.BackColor(), 0);
        QCOMPARE(loaded.BackStyle(), qint16(0));
        QVERIFY(!loaded.Enabled());
        QCOMPARE(loaded.Font(), host.font());
        QCOMPARE(loaded.ListIndex(), qint16(-1));
    }

    void buttonsRunTheMacroAndStartTheEditor()
    {
        storeMacros({q("Affe")});
        SaveSetting(settingsApplication(), q("StoredValues"), q("MacroEditor"), q("/opt/tilvano/ablaufwerk"));
        MacroBox box;
        box.setEnabledFlag(true);
        box.testButton()->click(); // no scripting object yet: nothing happens

        KiboDouble kibo;
        box.Init(&kibo);
        box.testButton()->click();
        box.setText(q("Affe"));
        box.testButton()->click();
        QCOMPARE(kibo.runs, (QStringList{none, q("Affe")}));
        // Late-bound: any letter case and return type will do; an object
        // without the method, or one gone meanwhile, is harmless.
        auto other = std::make_unique<VoidKiboDouble>();
        box.Init(other.get());
        box.testButton()->click();
        QCOMPARE(other->runs, QStringList{q("Affe")});
        other.reset();
        box.testButton()->click();

        box.editButton()->click();
        m_shell.setResult(ShellExecutor::FileNotFound); // a failing start changes nothing
        box.setText(QString());
        box.editButton()->click();
        QCOMPARE(m_shell.requests().size(), 2);
        const auto &first = m_shell.requests().at(0);
        QCOMPARE((QStringList{first.operation, first.file, first.parameters, first.directory}),
                 (QStringList{q("open"), q("/opt/tilvano/ablaufwerk"), q("Affe"), QString()}));
        QCOMPARE(first.showMode, 10);
        QCOMPARE(m_shell.requests().at(1).parameters, none);
        QCOMPARE(box.Text(), none);
    }

    void userInputBecomesTheDeclaredEvents()
    {
        storeMacros({q("Affe"), q("Zebra")});
        MacroBox box;
        box.Init(nullptr);
        QSignalSpy clicks(&box, &MacroBox::Click);
        QList<QPair<qint16, qint16>> keysDown;
        connect(&box, &MacroBox::KeyDown, this, [&](qint16 &code, qint16 &shift) { keysDown.append({code, shift}); });
        connect(&box, &MacroBox::KeyPress, this, [](qint16 &ascii) {
            if (ascii == 'z')
                ascii = 0; // the host swallows this key
        });
        QList<QList<float>> presses;
        connect(&box, &MacroBox::MouseDown, this, [&](qint16 &button, qint16 &shift, float &x, float &y) {
            presses.append({float(button), float(shift), x, y});
        });

        // Only the user's pick is a click, never the control's own selections.
        box.setText(q("Zebra"));
        box.setListIndex(0);
        box.Refresh();
        QCOMPARE(clicks.count(), 0);
        QTest::keyClick(box.macroCombo(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(box.Text(), q("Affe"));
        QCOMPARE(clicks.count(), 1);
        QTest::keyClick(box.macroCombo(), 'z');
        QCOMPARE(box.Text(), q("Affe"));
        // The simulated Shift key comes first, as a real keyboard sends it.
        QCOMPARE(keysDown, (QList<QPair<qint16, qint16>>{{16, 1}, {40, 1}, {90, 0}}));

        QTest::mousePress(box.macroCombo(), Qt::RightButton, Qt::ControlModifier, QPoint(10, 4));
        box.macroCombo()->hidePopup();
        QCOMPARE(presses, (QList<QList<float>>{{2, 2, 150, 60}}));
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    test::RecordingShellExecutor m_shell;
};

QTEST_MAIN(TestMacroBox)
#include "tst_macrobox.moc"
