#include "common/MacroStore.h"
#include "common/SettingsStore.h"
#include "support/IsolatedHome.h"

#include <QtTest>

using namespace tilvano;

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

StoredMacro m(const char *name) { return {q(name), q("Kibo.SpeakIt \"") + q(name) + q("\"<!!BR!!>")}; }

void fillSlots(const QList<StoredMacro> &macros)
{
    for (int slot = 0; slot < macros.size(); ++slot)
        WriteMacroSlot(slot, macros[slot]);
}

QList<StoredMacro> allSlots()
{
    QList<StoredMacro> stored;
    for (int slot = 0; slot <= lastReadSlot; ++slot)
        stored.append(ReadMacroSlot(slot));
    return stored;
}

} // namespace

class TestMacroStore : public QObject {
    Q_OBJECT
private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void slotKeysIgnoreLetterCase()
    {
        // The editor's save writes "Macroname"; readers ask for "MacroName".
        SaveSetting(settingsApplication(), q("Macros"), q("Macroname005"), q("Gruss"));
        SaveSetting(settingsApplication(), q("macros"), q("MACRO005"), q("Kibo.StopAll<!!BR!!>"));
        QCOMPARE(ReadMacroSlot(5), (StoredMacro{q("Gruss"), q("Kibo.StopAll<!!BR!!>")}));
        // Slots beyond the store are neither read nor written.
        SaveSetting(settingsApplication(), q("Macros"), q("MacroName1000"), q("fremd"));
        QCOMPARE(ReadMacroSlot(1000), StoredMacro{});
        QVERIFY(!WriteMacroSlot(101, m("X")));
        QVERIFY(!WriteMacroSlot(-1, m("X")));
    }

    void listsStopAtTheFirstIncompleteSlotButLookupDoesNot()
    {
        fillSlots({m("A"), m("B"), {}, m("D")});
        QCOMPARE(ListMacroNames(), (QStringList{q("A"), q("B")}));
        // A name without script hides every later macro from the lists...
        WriteMacroSlot(0, {q("A"), QString()});
        QVERIFY(ListMacros().isEmpty());
        // ...not from the lookup, which ignores case and takes the first equal name.
        WriteMacroSlot(5, m("b"));
        QCOMPARE(FindMacroSlot(q("b")), std::optional<int>(1));
        QCOMPARE(FindMacroSlot(q("d")), std::optional<int>(3));
        WriteMacroSlot(100, m("Versteckt"));
        QCOMPARE(FindMacroSlot(q("VERSTECKT")), std::optional<int>(100));
        QCOMPARE(FindMacroSlot(q("nirgends")), std::nullopt);
    }

    void compactionClosesGapsInSlotOrder()
    {
        fillSlots({m("A"), {QString(), q("Kibo.StopAll<!!BR!!>")}, m("C"), {}, {q("E"), QString()}, m("F")});
        WriteMacroSlot(100, m("Z"));
        QCOMPARE(CompactMacroStore(), 5);
        const QList<StoredMacro> stored = allSlots();
        QCOMPARE(stored.mid(0, 5), (QList<StoredMacro>{m("A"), m("C"), {q("E"), QString()}, m("F"), m("Z")}));
        QCOMPARE(stored.mid(5), QList<StoredMacro>(lastReadSlot - 4));
    }

    void deletingMovesLaterSlotsDown()
    {
        fillSlots({m("A"), m("B"), m("C")});
        QVERIFY(DeleteMacroSlot(0));
        QCOMPARE(allSlots().mid(0, 4), (QList<StoredMacro>{m("B"), m("C"), {}, {}}));
        QVERIFY(!DeleteMacroSlot(100));
        QVERIFY(!DeleteMacroSlot(-1));
        QCOMPARE(ListMacroNames(), (QStringList{q("B"), q("C")}));
    }

    void aFullStoreHoldsOneHundredMacros()
    {
        for (int slot = 0; slot < maximumMacroCount; ++slot)
            QVERIFY(StoreMacro(slot, QString::number(slot), q("Kibo.StopAll<!!BR!!>")));
        QVERIFY(!StoreMacro(100, q("zuviel"), q("Kibo.StopAll<!!BR!!>")));
        QCOMPARE(ReadMacroSlot(100), StoredMacro{});
        // A hand-filled slot 100 is no macro of the lists.
        WriteMacroSlot(100, m("Hundert"));
        QCOMPARE(ListMacros().size(), 100);
        // Deleting the last macro moves slot 100 into slot 99.
        WriteMacroSlot(100, {});
        QVERIFY(DeleteMacroSlot(99));
        QCOMPARE(ListMacros().size(), 99);
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_GUILESS_MAIN(TestMacroStore)
#include "tst_macrostore.moc"
