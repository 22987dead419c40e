// What every settings page shares: identity and version text, the frame and
// its layout rule, the changed flag with its closing prompt, the common parts
// of Init and saving, and the text helpers for macro scripts.

#include "ContractPage.h"

#include "MakroCombo/MacroBox.h"
#include "common/MacroStore.h"
#include "common/Twips.h"
#include "plugins/PageText.h"
#include "support/AgentTestBench.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace tilvano;
using namespace tilvano::test;

namespace {

QString stored(const QString &key)
{
    return GetSetting(settingsApplication(), ContractPage::section(), key, QStringLiteral("<absent>"));
}

void store(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), ContractPage::section(), key, value);
}

} // namespace

class TestPluginContract : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        kibo = bench->agentWithCharacter();
    }
    void cleanup()
    {
        kibo.reset();
        bench.reset();
    }

    void versionTextDropsLeadingZeros_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("expected");
        QTest::newRow("page") << "1.00.0056" << "1.0.56";
        QTest::newRow("library") << "1.03.0135" << "1.3.135";
        QTest::newRow("zero") << "0.00.0000" << "0.0.0";
        QTest::newRow("two parts") << "2.010" << "2.10";
    }
    void versionTextDropsLeadingZeros()
    {
        QFETCH(QString, version);
        QFETCH(QString, expected);
        QCOMPARE(PluginPage::formatVersion(version), expected);
    }

    void identityOfThePage()
    {
        ContractPage page;
        QCOMPARE(page.PluginVersion(), QStringLiteral("1.0.56"));
        QCOMPARE(page.PluginCaption(), QStringLiteral("Vertrag"));
        QCOMPARE(page.TreeParent(), QStringLiteral("Module"));
        QVERIFY(!page.PluginAuthor().isEmpty());
        QVERIFY(!page.LastError().isError());
        QCOMPARE(page.captionLabel()->text(), QStringLiteral("Einstellungen Vertrag"));
        QVERIFY(page.captionLabel()->font().bold());
        QCOMPARE(page.saveButton()->text(), QStringLiteral("&Speichern"));
        QCOMPARE(page.helpButton()->toolTip(), QStringLiteral("Hilfe zum Plugin"));
    }

    void saveAndHelpButtonsFollowTheSize()
    {
        ContractPage page;
        page.show();
        QCOMPARE(page.saveButton()->geometry(), twipsRect(5700, 6225, 1365, 390));
        QCOMPARE(page.helpButton()->geometry(), twipsRect(6750, 75, 390, 315));

        // 10005 x 8010 twips: whole pixels close to 10000 x 8000.
        page.resize(twipsSize(10005, 8010));
        QCOMPARE(page.saveButton()->pos(), twipsPoint(10005 - 1515, 8010 - 540));
        QCOMPARE(page.helpButton()->pos(), twipsPoint(10005 - 465, 75));
        QCOMPARE(page.saveButton()->size(), twipsSize(1365, 390));
        QCOMPARE(page.captionLabel()->geometry(), twipsRect(120, 45, 2415, 255));
    }

    void initLeavesThePageUnchangedAndCloseAsksNothing()
    {
        store(QStringLiteral("Active"), QStringLiteral("1"));
        store(QStringLiteral("Name"), QStringLiteral("gespeichert"));
        {
            ContractPage page;
            page.Init(kibo.get());
            // Loading ticked the box, which counts as a click, and filled the field.
            QVERIFY(page.activeBox()->isChecked());
            QCOMPARE(page.nameField()->text(), QStringLiteral("gespeichert"));
            QVERIFY(!page.PageChanged());
            QCOMPARE(page.calls(), (QStringList{QStringLiteral("created"), QStringLiteral("Init")}));
        }
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    void eachKindOfEditCountsAsAChange()
    {
        ContractPage page;
        page.Init(kibo.get());
        page.activeBox()->click();
        QVERIFY(page.PageChanged());
        page.saveButton()->click();
        QVERIFY(!page.PageChanged());
        QCOMPARE(stored(QStringLiteral("Active")), QStringLiteral("1"));

        QTest::keyClicks(page.nameField(), QStringLiteral("x"));
        QVERIFY(page.PageChanged());
        page.setFocus();
        page.saveButton()->click();

        emit page.picker()->Click();
        QVERIFY(page.PageChanged());
    }

    void closingPromptSavesOnlyOnYes_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("storedName");
        QTest::newRow("yes") << int(DialogService::Yes) << "geändert";
        QTest::newRow("no") << int(DialogService::No) << "<absent>";
    }
    void closingPromptSavesOnlyOnYes()
    {
        QFETCH(int, answer);
        QFETCH(QString, storedName);
        auto page = std::make_unique<ContractPage>();
        page->Init(kibo.get());
        page->nameField()->setText(QStringLiteral("geändert"));
        bench->dialogs.queueAnswer(answer);
        page.reset();

        QCOMPARE(bench->dialogs.shown().size(), 1);
        const auto &box = bench->dialogs.shown().first();
        QCOMPARE(box.text, QStringLiteral("Sollen die Änderungen gespeichert werden ?"));
        QCOMPARE(box.title, QStringLiteral("Einstellungen Vertrag"));
        QCOMPARE(box.buttons(), DialogService::YesNo);
        QCOMPARE(box.icon(), DialogService::NoIcon);
        QCOMPARE(stored(QStringLiteral("Name")), storedName);
    }

    void closingRunsOnceAndTearsDownEitherWay()
    {
        ContractPage page;
        page.Init(kibo.get());
        page.closePage();
        page.closePage();
        QCOMPARE(page.calls().count(QStringLiteral("teardown")), 1);
    }

    void deletedMacroNameShowsAndSavesAsNoMacro()
    {
        StoreMacro(0, QStringLiteral("Begrüßung"), QStringLiteral("Kibo.PlayAni \"Greet\""));
        store(QStringLiteral("MacroTest"), QStringLiteral("Gelöscht"));
        ContractPage page;
        page.Init(kibo.get());
        QCOMPARE(page.picker()->Text(), MacroBox::noMacroText());
        QCOMPARE(page.picker()->ListCount(), qint16(2));
        page.savePage();
        QCOMPARE(stored(QStringLiteral("MacroTest")), MacroBox::noMacroText());

        store(QStringLiteral("MacroTest"), QStringLiteral("Begrüßung"));
        ContractPage again;
        again.Init(kibo.get());
        QCOMPARE(again.picker()->Text(), QStringLiteral("Begrüßung"));
    }

    void savingStoresTheCharactersSettingsFirst()
    {
        ContractPage page;
        page.Init(kibo.get());
        QCOMPARE(AgentTestBench::active(QStringLiteral("Path")), QStringLiteral("<absent>"));
        page.savePage();
        QVERIFY(AgentTestBench::active(QStringLiteral("Path")) != QLatin1String("<absent>"));
    }

    // The store's folder is gone and a file stands in its place: saving
    // fails at the character's own save, which ends it; the page keeps its
    // edits and the failure, and the user is told once. Once the folder is
    // back, saving works again.
    void aSaveTheStoreRefusesFailsAndKeepsTheEdits()
    {
        ContractPage page;
        page.Init(kibo.get());
        page.nameField()->setText(QStringLiteral("Neu"));
        const QString folder = bench->home->configHome() + QStringLiteral("/tilvano");
        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        for (int attempt = 0; attempt < 2; ++attempt) {
            QVERIFY(!page.savePage());
            QVERIFY(page.PageChanged());
            QCOMPARE(page.LastError().number, 75);
            QCOMPARE(kibo->LastError().number, 75);
        }
        QVERIFY(!page.calls().contains(QStringLiteral("saved")));
        QTRY_COMPARE(bench->dialogs.shown().size(), 1);
        QVERIFY(bench->dialogs.shown().first().text.contains(QStringLiteral("nicht gespeichert")));

        QVERIFY(QFile::remove(folder));
        QVERIFY(page.savePage());
        QVERIFY(!page.PageChanged());
        QCOMPARE(stored(QStringLiteral("Name")), QStringLiteral("Neu"));
    }

    void helpButtonShowsTheLinesEachEndedByABreak()
    {
        ContractPage page;
        page.helpButton()->click();
        QCOMPARE(bench->dialogs.shown().size(), 1);
        const auto &box = bench->dialogs.shown().first();
        QCOMPARE(box.text, QStringLiteral("Erste Zeile\r\nZweite Zeile\r\n"));
        QCOMPARE(box.title, QStringLiteral("Hilfe Vertrag"));
        QCOMPARE(box.style, DialogService::OkOnly | DialogService::Information);
    }

    void outsideTextStaysInsideOneScriptString_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("quotes doubled") << "Er sagte \"Hallo\"" << "Er sagte \"\"Hallo\"\"";
        QTest::newRow("CR LF") << "Zeile 1\r\nZeile 2" << "Zeile 1  Zeile 2";
        QTest::newRow("lone LF and CR") << "a\nb\rc" << "a b c";
        QTest::newRow("line-break marker") << "a<!!BR!!>b" << "a b";
        QTest::newRow("script in a subject") << "\"\r\nKibo.Hide\r\n\"" << "\"\"  Kibo.Hide  \"\"";
        QTest::newRow("plain") << "Schön" << "Schön";
        QTest::newRow("empty") << "" << "";
    }
    void outsideTextStaysInsideOneScriptString()
    {
        QFETCH(QString, value);
        QFETCH(QString, escaped);
        QCOMPARE(EscapeQuotes(value), escaped);
    }

    void placeholdersAreReplacedWithoutRegardToCase()
    {
        const QString script = QStringLiteral("Kibo.SpeakIt \"<SUBJECT> und <subject> von <From>\"");
        QCOMPARE(ReplacePlaceholder(script, QStringLiteral("<Subject>"), QStringLiteral("Post")),
                 QStringLiteral("Kibo.SpeakIt \"Post und Post von <From>\""));
        // A value that contains the placeholder is not replaced again.
        QCOMPARE(ReplacePlaceholder(QStringLiteral("<A>"), QStringLiteral("<a>"), QStringLiteral("<A><A>")),
                 QStringLiteral("<A><A>"));
    }

private:
    std::unique_ptr<AgentTestBench> bench;
    std::unique_ptr<Agent> kibo;
};

QTEST_MAIN(TestPluginContract)
#include "tst_plugincontract.moc"
