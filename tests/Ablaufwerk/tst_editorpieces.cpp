// The editor's rules that need no window: how the controls follow the
// window's size, which walk targets are accepted, and how stored window
// settings are read back.

#include "Ablaufwerk/EditorLayout.h"
#include "Ablaufwerk/EditorSettings.h"
#include "Ablaufwerk/WalkPositionCheck.h"
#include "common/SettingsStore.h"
#include "support/IsolatedHome.h"

#include <QtTest>

using namespace tilvano;
using namespace tilvano::ablaufwerk;
using namespace tilvano::test;

class TestEditorPieces : public QObject {
    Q_OBJECT
private slots:
    void controlsFollowTheRightEdgeAndTheListTakesTheRest()
    {
        const EditorControlGeometry next = applyResizeRule(designControlGeometry(), QSize(15000, 9000));
        QCOMPARE(next.rightFrame.left(), 15000 - 6000);
        QCOMPARE(next.btnOrderUp.left(), 15000 - 6450);
        QCOMPARE(next.btnOrderDown.left(), 15000 - 6450);
        QCOMPARE(next.btnDeleteLine.left(), 15000 - 6450);
        QCOMPARE(next.lstMacro.width(), 15000 - 6585);
        QCOMPARE(next.lstMacro.height(), 9000 - 1350);
        QCOMPARE(next.rightFrame.height(), 9000 - 1350);
        QCOMPARE(next.btnDeleteMacro.left(), 15000 - 450);
        // The macro list keeps its width and stays flush against the delete button.
        QCOMPARE(next.makroCombo.width(), designControlGeometry().makroCombo.width());
        QCOMPARE(next.makroCombo.right() + 1, next.btnDeleteMacro.left());
        // What the rule does not name keeps its design place.
        QCOMPARE(next.lstMacro.topLeft(), designControlGeometry().lstMacro.topLeft());
        QCOMPARE(next.rightFrame.top(), designControlGeometry().rightFrame.top());
        QCOMPARE(next.rightFrame.width(), designControlGeometry().rightFrame.width());
    }

    void narrowOrLowWindowsKeepTheLastListAndFrameSizes()
    {
        const EditorControlGeometry wide = applyResizeRule(designControlGeometry(), QSize(14000, 8000));
        const EditorControlGeometry narrow = applyResizeRule(wide, QSize(6585, 1350));
        QCOMPARE(narrow.lstMacro.size(), wide.lstMacro.size());
        QCOMPARE(narrow.rightFrame.height(), wide.rightFrame.height());
        QCOMPARE(narrow.rightFrame.left(), 6585 - 6000); // the frame still follows the edge
        const EditorControlGeometry tiny = applyResizeRule(narrow, QSize(3000, 600));
        QCOMPARE(tiny.lstMacro.size(), wide.lstMacro.size());
        QCOMPARE(tiny.rightFrame.left(), -3000);
        // One twip more and both dimensions follow again.
        const EditorControlGeometry grown = applyResizeRule(tiny, QSize(6586, 1351));
        QCOMPARE(grown.lstMacro.size(), QSize(1, 1));
    }

    void walkTargetsAreCheckedLeftFirstAgainstTheWholeDesktop_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<int>("field"); // -1: accepted
        QTest::addColumn<QString>("message");
        const QString outsideLeft = QStringLiteral("Die linke Position liegt außerhald des Bildschirms.");
        const QString outsideTop = QStringLiteral("Die Position von oben liegt außerhald des Bildschirms.");
        const int left = int(WalkField::Left);
        const int top = int(WalkField::Top);
        const QString leftNoNumber = QStringLiteral("Die Position von links muss eine Zahl sein.");
        QTest::newRow("inside") << "100" << "200" << -1 << QString();
        QTest::newRow("blanks and signs") << " +12 " << "-0" << -1 << QString();
        // Written as typed, a separator would become a second argument of the walk.
        QTest::newRow("decimal comma") << "12,5" << "200" << left << leftNoNumber;
        QTest::newRow("decimal point") << "12.5" << "200" << left << leftNoNumber;
        QTest::newRow("thousands point") << "1.000" << "200" << left << leftNoNumber;
        QTest::newRow("exponent") << "1e3" << "200" << left << leftNoNumber;
        QTest::newRow("other script's digits") << "\u0663" << "200" << left << leftNoNumber;
        QTest::newRow("sign alone") << "-" << "200" << left << leftNoNumber;
        QTest::newRow("top with thousands blank") << "5" << "1 000" << top << "Die Position von oben muss eine Zahl sein.";
        QTest::newRow("both edges") << "1920" << "1080" << -1 << QString();
        QTest::newRow("left empty, top bad too")
            << "" << "x" << left
            << "Bitte geben Sie die Position von links ein oder \r\nbewegen den Freund an die gewünschte Position.";
        QTest::newRow("left no number") << "abc" << "1" << left << leftNoNumber;
        QTest::newRow("left -1") << "-1" << "1" << left << outsideLeft;
        QTest::newRow("left beyond width") << "1921" << "1" << left << outsideLeft;
        QTest::newRow("left beyond 16 bits") << "70000" << "1" << left << outsideLeft;
        QTest::newRow("top empty")
            << "5" << "" << top
            << "Bitte geben Sie die Position von oben ein oder \r\nbewegen den Freund an die gewünschte Position.";
        QTest::newRow("top no number") << "5" << "1e" << top << "Die Position von oben muss eine Zahl sein.";
        QTest::newRow("top beyond height") << "5" << "1081" << top << outsideTop;
    }
    void walkTargetsAreCheckedLeftFirstAgainstTheWholeDesktop()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(int, field);
        QFETCH(QString, message);
        const auto problem = checkWalkPosition(left, top, QRect(0, 0, 1920, 1080));
        if (field < 0) {
            QVERIFY2(!problem, qPrintable(problem ? problem->message : QString()));
            return;
        }
        QVERIFY(problem);
        QCOMPARE(int(problem->field), field);
        QCOMPARE(problem->message, message);
    }

    void aSecondScreenWidensTheDesktop()
    {
        const QRect twoScreens = QRect(0, 0, 1920, 1080).united(QRect(1920, 0, 1280, 1024));
        QVERIFY(!checkWalkPosition(QStringLiteral("3000"), QStringLiteral("100"), twoScreens));
        QVERIFY(checkWalkPosition(QStringLiteral("3000"), QStringLiteral("100"), QRect(0, 0, 1920, 1080)));
    }

    void storedPlacementKeepsTheDesignWhereAValueIsUnusable()
    {
        IsolatedHome home;
        const QRect design(150, 300, 12000, 7500);
        QCOMPARE(EditorSettings::placement(design), design);
        const auto save = [](const char *key, const QString &value) {
            SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), QString::fromLatin1(key), value);
        };
        save("Editor_Left", QStringLiteral("4500"));
        save("Editor_Top", QStringLiteral("kaputt"));
        save("Editor_Width", QStringLiteral("9000.5")); // written as a single-precision number once
        save("Editor_Height", QStringLiteral("99999999999"));
        QCOMPARE(EditorSettings::placement(design), QRect(4500, 300, 9000, 7500));

        QCOMPARE(EditorSettings::helpingCharacter(false), true); // a fresh user gets help
        save("AblaufwerkHelp", QStringLiteral("False"));
        QCOMPARE(EditorSettings::helpingCharacter(true), false);
        save("AblaufwerkHelp", QStringLiteral("vielleicht"));
        QCOMPARE(EditorSettings::helpingCharacter(false), false);
    }
};

QTEST_GUILESS_MAIN(TestEditorPieces)
#include "tst_editorpieces.moc"
