#include "Ablaufwerk/MacroLineEditing.h"
#include "Ablaufwerk/MacroSync.h"
#include "common/MacroStore.h"
#include "support/IsolatedHome.h"

#include <QtTest>

using namespace tilvano;

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

QString speakScript(const char *text) { return speakStatement(q(text)).scriptLine + macroLineSeparator(); }

QStringList keysOf(const colMacros &macros)
{
    QStringList keys;
    for (const auto &macro : macros)
        keys.append(macro->Key());
    return keys;
}

} // namespace

class TestMacroModel : public QObject {
    Q_OBJECT
private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void collectionsAreKeyedAndOneBased()
    {
        colMacros macros;
        QVERIFY(macros.Add(q("Gruß"), q("Gruß")));
        QVERIFY(macros.Add(q("Ohne"))); // without collection key: by position only
        QVERIFY(macros.Add(q("Wink"), q("Wink")));
        QCOMPARE(macros.Add(q("WINK"), q("WINK")), nullptr);
        QCOMPARE(macros.Item(q("gRUß"))->Key(), q("Gruß"));
        QCOMPARE(macros.Item(2)->Key(), q("Ohne"));
        QCOMPARE(macros.Item(q("Ohne")), nullptr);
        QCOMPARE(macros.Item(4), nullptr);
        QVERIFY(macros.Remove(q("gruß")));
        QVERIFY(macros.Add(q("gruß"), q("gruß"))); // the key is free again
        QVERIFY(macros.Remove(1));
        QCOMPARE(keysOf(macros), (QStringList{q("Wink"), q("gruß")}));
    }

    void scriptIsTheBridgeToTheStore()
    {
        clsMacro macro;
        QVERIFY(!macro.Changed());
        macro.setScript(QString());
        QVERIFY(macro.Changed());
        QCOMPARE(macro.Script(), QString());
        // Setting replaces the lines; reading gives every line its separator back.
        macro.setScript(speakScript("weg"));
        macro.setScript(q("Kibo.PlayAni \"Greet\"<!!BR!!><!!BR!!>Kibo.StopAll"));
        QCOMPARE(macro.colMacroLines()->Item(1)->ShowLine(), q("Animation: 'Greet\""));
        QCOMPARE(macro.Script(), q("Kibo.PlayAni \"Greet\"<!!BR!!>Kibo.StopAll<!!BR!!>"));
        // Without a line collection the script is ignored; asking makes an empty one.
        macro.setColMacroLines(nullptr);
        macro.setChanged(false);
        macro.setScript(speakScript("Hallo"));
        QVERIFY(!macro.Changed());
        QCOMPARE(macro.colMacroLines()->Count(), 0);
    }

    void editingLinesMarksTheMacroChanged()
    {
        clsMacro macro;
        AppendLine(macro, speakStatement(q("a")));
        AppendLine(macro, stopStatement());
        AppendLine(macro, walkStatement(q("1"), q("2")));
        macro.setChanged(false);
        QVERIFY(!MoveLineUp(macro, 1));
        QVERIFY(!MoveLineDown(macro, 3));
        QVERIFY(!ReplaceLine(macro, 4, stopStatement()));
        QVERIFY(!macro.Changed());
        // Moving exchanges texts: the first line object now holds the stop line.
        const auto first = macro.colMacroLines()->Item(1);
        QVERIFY(MoveLineDown(macro, 1));
        QVERIFY(macro.Changed());
        QCOMPARE(first->ShowLine(), q("Stopp"));
        QVERIFY(ReplaceLine(macro, 3, walkReplacementStatement(q("5"), q("6"))));
        QVERIFY(DeleteLine(macro, 1));
        QCOMPARE(macro.Script(), speakScript("a") + q("Kibo.MoveTo 5,6<!!BR!!>"));
    }

    void loadingFollowsTheSlots()
    {
        StoreMacro(0, q("Gruss"), speakScript("eins"));
        StoreMacro(1, q("GRUSS"), speakScript("zwei"));
        StoreMacro(2, q("Wink"), q("Kibo.PlayAni \"Wave\"<!!BR!!>Kibo.StopAll<!!BR!!>"));
        StoreMacro(4, q("Hinter der Lücke"), speakScript("nie"));
        colMacros macros;
        QCOMPARE(LoadStoredMacros(macros), 3);
        const auto wink = macros.Item(q("wink"));
        QCOMPARE(wink->Index(), qint16(2));
        QVERIFY(!wink->Changed());
        QCOMPARE(wink->colMacroLines()->Item(1)->Data(), q("Wave"));
        // An equal name is loaded too, so that a new macro's slot is a free one.
        QCOMPARE(macros.Item(2)->Index(), qint16(1));
        QCOMPARE(NameNewMacro(macros, std::make_shared<clsMacro>(), q("Neu"))->Index(), qint16(3));
    }

    void namingANewMacroPicksItsSlot()
    {
        StoreMacro(0, q("A"), speakScript("a"));
        colMacros macros;
        LoadStoredMacros(macros);
        auto fresh = std::make_shared<clsMacro>();
        AppendLine(*fresh, stopStatement());
        QVERIFY(StoreLoadedMacro(*NameNewMacro(macros, fresh, q("C"))));
        QCOMPARE(ReadMacroSlot(1), (StoredMacro{q("C"), q("Kibo.StopAll<!!BR!!>")}));
        // An existing name (any letter case) takes the new lines into its own slot.
        const auto a = NameNewMacro(macros, fresh, q("a"));
        QCOMPARE(a, macros.Item(1));
        QCOMPARE(a->Script(), q("Kibo.StopAll<!!BR!!>"));
        QCOMPARE(macros.Count(), 2);
        QCOMPARE(NameNewMacro(macros, fresh, QString()), nullptr);
        while (macros.Count() < maximumMacroCount)
            macros.Add(QString::number(macros.Count()), QString::number(macros.Count()));
        QCOMPARE(NameNewMacro(macros, fresh, q("zuviel")), nullptr);
        QCOMPARE(macros.Count(), maximumMacroCount);
    }

    void deletingShiftsTheStoreAndTheLoadedSlots()
    {
        for (const char *name : {"A", "B", "C"})
            StoreMacro(ListMacros().size(), q(name), speakScript(name));
        colMacros macros;
        LoadStoredMacros(macros);
        // A macro that was never stored touches no slot.
        const auto fresh = std::make_shared<clsMacro>();
        QVERIFY(!DeleteLoadedMacro(macros, fresh));
        QVERIFY(!StoreLoadedMacro(*fresh));

        QVERIFY(DeleteLoadedMacro(macros, macros.Item(q("A"))));
        QCOMPARE(keysOf(macros), (QStringList{q("B"), q("C")}));
        QCOMPARE(ListMacroNames(), (QStringList{q("B"), q("C")}));
        // Saving the former slot-2 macro writes its new slot.
        const auto c = macros.Item(q("C"));
        AppendLine(*c, stopStatement());
        QVERIFY(StoreLoadedMacro(*c));
        QVERIFY(!c->Changed());
        QCOMPARE(ReadMacroSlot(1), (StoredMacro{q("C"), speakScript("C") + q("Kibo.StopAll<!!BR!!>")}));
        QCOMPARE(ReadMacroSlot(2), StoredMacro{});
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_GUILESS_MAIN(TestMacroModel)
#include "tst_macromodel.moc"
