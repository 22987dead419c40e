// The character page on a character service double: what it lists and shows
// after creation and Init, and what each control does to Kibo.

#include "plugins/Freund/Main.h"
#include "system/WindowsDirectory.h"
#include "support/AgentTestBench.h"
#include "support/RefusedSave.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;
using tilvano::freund::Main;

namespace {

const QString changeFailurePrefix = QStringLiteral("Fehler aufgetreten: ");

// The user picks the entry showing `text`.
void pick(QComboBox *list, const QString &text)
{
    const int index = list->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    list->setCurrentIndex(index);
    emit list->activated(index);
}

QStringList entries(const QComboBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->itemText(i));
    return texts;
}

} // namespace

class TestFreundPage : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        // Only the characters a test puts there (the shipped ones are copied in on first use).
        folder = WindowsDirectory::characterFolder();
        QDir dir(folder);
        for (const QString &file : dir.entryList(QDir::Files))
            dir.remove(file);
        putCharacter(QStringLiteral("Merlin.acs"));
        putCharacter(QStringLiteral("Genie.acs"));
    }
    void cleanup() { bench.reset(); }

    void creationSelectsTheStoredCharacterAndSwitch()
    {
        putCharacter(QStringLiteral("My.ACS.acs"));
        {
            Main page; // default path "Merlin.acs"
            QCOMPARE(entries(list(page, "CharacterCombo")), (QStringList{"Genie", "Merlin", "My"}));
            QCOMPARE(list(page, "CharacterCombo")->currentText(), QStringLiteral("Merlin"));
            QCOMPARE(list(page, "SizeCombo")->currentText(), QStringLiteral("normal"));
            QVERIFY(!box(page, "cbHideAfterAnimation")->isChecked());

            QStringList tabOrder;
            QWidget *at = list(page, "CharacterCombo");
            for (int i = 0; i < 7; ++i, at = at->nextInFocusChain())
                tabOrder.append(at->objectName());
            QCOMPARE(tabOrder, (QStringList{"CharacterCombo", "AniCombo", "SizeCombo", "cmdSave",
                                            "cbHideAfterAnimation", "cbFastShowHide", "btnShowHide"}));
        }
        AgentTestBench::saveActive(QStringLiteral("Path"), folder + QStringLiteral("Genie.acs"));
        AgentTestBench::saveActive(QStringLiteral("HideAfterAnimation"), QStringLiteral("true"));
        Main page;
        QCOMPARE(list(page, "CharacterCombo")->currentText(), QStringLiteral("Genie"));
        QVERIFY(box(page, "cbHideAfterAnimation")->isChecked());
        QVERIFY(!page.PageChanged());

        // Init shows Kibo's switches but never unticks the stored one.
        auto kibo = bench->agentWithCharacter();
        page.Init(kibo.get());
        QVERIFY(box(page, "cbHideAfterAnimation")->isChecked());
        QVERIFY(!kibo->HideAfterAnimation());
        QVERIFY(!page.PageChanged());
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    void initShowsKibosStateWithoutApplyingIt_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("sizeEntry");
        QTest::newRow("own width") << 128 << "normal";
        QTest::newRow("50") << 50 << "sehr klein";
        QTest::newRow("100") << 100 << "klein";
        QTest::newRow("200") << 200 << "groß";
        QTest::newRow("400") << 400 << "sehr groß";
    }
    void initShowsKibosStateWithoutApplyingIt()
    {
        QFETCH(int, width);
        QFETCH(QString, sizeEntry);
        bench->profile.width = qint16(width);
        bench->profile.animationNames = {"Wave", "blink", "Read", ""};
        bench->profile.description = QStringLiteral("Zauberer\nmit Hut");
        auto kibo = bench->agentWithCharacter();
        kibo->setFastShowHide(true);
        bench->character()->setVisibleState(true);

        Main page;
        page.Init(kibo.get());
        QCOMPARE(list(page, "SizeCombo")->currentText(), sizeEntry);
        QCOMPARE(button(page, "btnShowHide")->text(), Main::hideCaption);
        QVERIFY(box(page, "cbFastShowHide")->isChecked());
        QVERIFY(!box(page, "cbHideAfterAnimation")->isChecked());
        QCOMPARE(label(page, "lbDescription")->text(), QStringLiteral("Zauberer\nmit Hut"));
        QCOMPARE(entries(list(page, "AniCombo")), (QStringList{"", "blink", "Read", "Wave"}));
        QCOMPARE(list(page, "AniCombo")->currentIndex(), 0);
        // Showing Kibo's state must not change it: no size, no animation, no flag.
        QCOMPARE(bench->control->calls(), QStringList());
        QVERIFY(kibo->FastShowHide());
        QVERIFY(!page.PageChanged());
    }

    void initOnKiboWithoutCharacter()
    {
        Agent kibo; // nothing loaded yet
        Main page;
        page.Init(&kibo);
        QCOMPARE(list(page, "AniCombo")->count(), 0);
        QCOMPARE(label(page, "lbDescription")->text(), QString());
        QCOMPARE(list(page, "SizeCombo")->currentText(), QStringLiteral("normal"));
        pick(list(page, "SizeCombo"), QStringLiteral("normal"));
        QCOMPARE(kibo.LastError().number, 0);
        QVERIFY(bench->control->calls().isEmpty());
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    void switchesActOnKiboOnlyOnceInitialized()
    {
        auto kibo = bench->agentWithCharacter();
        Main page;
        box(page, "cbFastShowHide")->click();
        QVERIFY(!kibo->FastShowHide());
        page.Init(kibo.get());
        QVERIFY(!page.PageChanged());

        box(page, "cbFastShowHide")->click(); // ticked before Init: now cleared
        QVERIFY(!kibo->FastShowHide());
        QVERIFY(page.PageChanged());
        box(page, "cbFastShowHide")->click();
        QVERIFY(kibo->FastShowHide());
        box(page, "cbHideAfterAnimation")->click();
        QVERIFY(kibo->HideAfterAnimation());
        QCOMPARE(bench->control->calls(), QStringList()); // plain fields, nothing shown or hidden
    }

    void animationPickStopsAndPlays()
    {
        auto kibo = bench->agentWithCharacter();
        Main page;
        page.Init(kibo.get());
        pick(list(page, "AniCombo"), QStringLiteral("Wave"));
        QCOMPARE(bench->control->calls(),
                 (QStringList{"somebody.StopAll()", "somebody.Show(False)", "somebody.Play(Wave)"}));

        bench->character()->failRequest(QStringLiteral("Play"), 0x80042001);
        pick(list(page, "AniCombo"), QStringLiteral("Read"));
        QVERIFY(bench->dialogs.shown().isEmpty());
        QCOMPARE(page.LastError().number, 0);
        QVERIFY(!page.PageChanged());
    }

    void sizePickSetsHeightThenWidth()
    {
        bench->profile.width = 200;
        auto kibo = bench->agentWithCharacter(fixture(QStringLiteral("Happy Face.acs")));
        Main page;
        page.Init(kibo.get());
        pick(list(page, "SizeCombo"), QStringLiteral("sehr klein"));
        // "normal" is the size the character file gives, not a square.
        pick(list(page, "SizeCombo"), QStringLiteral("normal"));
        QCOMPARE(bench->control->calls(), (QStringList{"somebody.Height(50)", "somebody.Width(50)",
                                                       "somebody.Height(225)", "somebody.Width(135)"}));
        QVERIFY(!page.PageChanged());

        // No file to read: the size the character had when the page met it.
        bench->profile = {};
        bench->profile.height = 90;
        auto other = bench->agentWithCharacter(); // "/chars/Merlin.acs": no such file
        Main second;
        second.Init(other.get());
        pick(list(second, "SizeCombo"), QStringLiteral("normal"));
        QCOMPARE(bench->control->calls(), (QStringList{"somebody.Height(90)", "somebody.Width(128)"}));
    }

    void changingCharacterLoadsShowsGreetsAndMarksChanged()
    {
        putCharacter(QStringLiteral("GENIE.ACS")); // loaded by its own name, not by "GENIE" + ".acs"
        auto kibo = bench->agentWithCharacter();
        Main page;
        page.Init(kibo.get());
        bench->control->profile().width = 200;
        bench->control->profile().description = QStringLiteral("Der Flaschengeist");
        bench->control->profile().animationNames = {"Wave", "", "Greet"};
        pick(list(page, "CharacterCombo"), QStringLiteral("GENIE"));

        QStringList calls = bench->control->calls();
        calls.removeIf([](const QString &call) { return call.contains(QStringLiteral(".Commands.")); });
        // The new file is tried under an identifier of its own before the old character goes.
        QCOMPARE(calls.mid(0, 10),
                 (QStringList{"Characters.Load(somebody.trial, " + folder + "GENIE.ACS)",
                              "Characters.Unload(somebody.trial)", "Characters.Unload(somebody)",
                              "Characters.Load(somebody, " + folder + "GENIE.ACS)", "somebody.Show(False)",
                              "somebody.StopAll()", "somebody.Play(Greet)", "somebody.Height(200)",
                              "somebody.Width(200)"}
                  << calls.value(9)));
        QVERIFY(calls.value(9).startsWith(QStringLiteral("somebody.Speak(")));
        QVERIFY(calls.value(9).endsWith(Main::greeting + QStringLiteral(", )")));
        QCOMPARE(calls.size(), 10);

        QCOMPARE(list(page, "SizeCombo")->currentText(), QStringLiteral("groß"));
        QCOMPARE(label(page, "lbDescription")->text(), QStringLiteral("Der Flaschengeist"));
        QCOMPARE(entries(list(page, "AniCombo")), (QStringList{"Greet", "Wave"}));
        QVERIFY(list(page, "AniCombo")->isEnabled());
        QCOMPARE(button(page, "btnShowHide")->text(), Main::hideCaption);
        QVERIFY(bench->dialogs.shown().isEmpty());
        QVERIFY(page.PageChanged());

        page.saveButton()->click();
        QVERIFY(!page.PageChanged());
        QCOMPARE(AgentTestBench::active(QStringLiteral("Path")), folder + QStringLiteral("GENIE.ACS"));
    }

    void failedLoadShowsTheErrorBoxAndSkipsTheRest()
    {
        auto kibo = bench->agentWithCharacter();
        Main page;
        page.Init(kibo.get());
        bench->control->failLoad(folder + QStringLiteral("Genie.acs"), qint32(0x80004005));
        const int aniCountBefore = list(page, "AniCombo")->count();
        pick(list(page, "CharacterCombo"), QStringLiteral("Genie"));

        // The service's own report first, then the page's, with the load's failure.
        const QList<ScriptedDialogService::Shown> shown = bench->dialogs.shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.first().title, QStringLiteral("Fehler!"));
        QCOMPARE(shown.last().text,
                 changeFailurePrefix + QStringLiteral("-2147467259\r\nThe character could not be loaded."));
        QCOMPARE(shown.last().title, QString());
        QCOMPARE(shown.last().buttons(), DialogService::OkOnly);
        QCOMPARE(page.LastError().number, qint32(0x80004005));

        // The character loaded before stays, and so does what the page shows of it.
        QCOMPARE(list(page, "CharacterCombo")->currentText(), QStringLiteral("Genie"));
        QVERIFY(bench->control->callsStartingWith(QStringLiteral("somebody.")).isEmpty());
        QVERIFY(bench->character());
        QCOMPARE(kibo->CharFile(), QStringLiteral("/chars/Merlin.acs"));
        QCOMPARE(list(page, "AniCombo")->count(), aniCountBefore);
        QVERIFY(!page.PageChanged());
    }

    void failedGreetingIsReportedButTheChangeStillCounts()
    {
        auto kibo = bench->agentWithCharacter();
        Main page;
        page.Init(kibo.get());
        // Runs while the load lets pending events through: the new character exists by then.
        QMetaObject::invokeMethod(
            this, [this] { bench->character()->failRequest(QStringLiteral("Speak"), qint32(0x8004200E)); },
            Qt::QueuedConnection);
        pick(list(page, "CharacterCombo"), QStringLiteral("Genie"));

        QCOMPARE(bench->dialogs.texts(), (QStringList{changeFailurePrefix + QString::number(qint32(0x8004200E)) +
                                                      QStringLiteral("\r\nSpeak failed")}));
        QCOMPARE(page.LastError().number, qint32(0x8004200E));
        QCOMPARE(kibo->CharFile(), folder + QStringLiteral("Genie.acs"));
        QVERIFY(page.PageChanged());
    }

    void showHideButtonAndCaptionFollowTheCharacter()
    {
        auto kibo = bench->agentWithCharacter();
        Main page;
        page.Init(kibo.get());
        QCOMPARE(button(page, "btnShowHide")->text(), Main::showCaption);
        button(page, "btnShowHide")->click();
        button(page, "btnShowHide")->click();
        QCOMPARE(bench->control->calls(), (QStringList{"somebody.Show(False)", "somebody.Hide(False)"}));
        // The caption waits for the character to report, also when its own menu shows or hides it.
        QCOMPARE(button(page, "btnShowHide")->text(), Main::showCaption);
        emit bench->control->shown(QStringLiteral("somebody"), 1);
        QCOMPARE(button(page, "btnShowHide")->text(), Main::hideCaption);
        emit bench->control->hidden(QStringLiteral("somebody"), 3);
        QCOMPARE(button(page, "btnShowHide")->text(), Main::showCaption);
        QVERIFY(!page.PageChanged());
    }

    void closingAsksOnlyAfterChanges()
    {
        auto kibo = bench->agentWithCharacter();
        {
            Main page;
            page.Init(kibo.get());
            pick(list(page, "SizeCombo"), QStringLiteral("groß"));
        }
        QVERIFY(bench->dialogs.shown().isEmpty()); // a size alone is no change to save

        {
            Main page;
            page.Init(kibo.get());
            box(page, "cbFastShowHide")->click();
            bench->dialogs.queueAnswer(DialogService::No);
        }
        QCOMPARE(bench->dialogs.shown().size(), 1);
        const ScriptedDialogService::Shown prompt = bench->dialogs.shown().first();
        QCOMPARE(prompt.text, QStringLiteral("Sollen die Änderungen gespeichert werden ?"));
        QCOMPARE(prompt.title, QStringLiteral("Einstellungen Freund"));
        QCOMPARE(prompt.buttons(), DialogService::YesNo);
        QCOMPARE(AgentTestBench::active(QStringLiteral("ShowFast")), QStringLiteral("<absent>"));
        QVERIFY(kibo->FastShowHide()); // applied at once; No takes nothing back

        {
            Main page;
            page.Init(kibo.get());
            box(page, "cbHideAfterAnimation")->click();
            bench->dialogs.queueAnswer(DialogService::Yes);
        }
        QCOMPARE(AgentTestBench::active(QStringLiteral("ShowFast")), QStringLiteral("True"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("HideAfterAnimation")), QStringLiteral("True"));
    }

    void refusedSaveKeepsTheEditsUnsaved_data()
    {
        addRefusalColumns();
        QTest::newRow("the character's first setting") << QString() << QString() << 1;
        QTest::newRow("fast show and hide") << QStringLiteral("ActiveAgent") << QStringLiteral("ShowFast") << 0;
    }
    void refusedSaveKeepsTheEditsUnsaved()
    {
        auto kibo = bench->agentWithCharacter();
        Main page;
        page.Init(kibo.get());
        box(page, "cbFastShowHide")->click();
        checkRefusedSave(page);
    }

    void focusArrivingRefreshesTheCaptionAndDestroyingWithFocusIsSafe()
    {
        auto kibo = bench->agentWithCharacter();
        QWidget window;
        QLineEdit outside(&window);
        auto *page = new Main(&window);
        page->move(0, 30);
        page->Init(kibo.get());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        outside.setFocus();
        // Shown behind the page's back, by something that raised no event.
        QVERIFY(bench->character()->show(false).number == 0);
        list(*page, "AniCombo")->setFocus();
        QCOMPARE(button(*page, "btnShowHide")->text(), Main::hideCaption);

        // Going while its controls hold the focus moves the focus out of the
        // page, and the page must not answer that any more.
        delete page;
        QVERIFY(window.isVisible());
    }

    void pageOutlivingKiboStaysUsable()
    {
        auto kibo = bench->agentWithCharacter();
        Main page;
        page.Init(kibo.get());
        box(page, "cbFastShowHide")->click();
        kibo.reset();
        pick(list(page, "CharacterCombo"), QStringLiteral("Genie"));
        pick(list(page, "SizeCombo"), QStringLiteral("klein"));
        button(page, "btnShowHide")->click();
        page.saveButton()->click();
        QVERIFY(!page.PageChanged());
    }

private:
    void putCharacter(const QString &name, const QByteArray &content = QByteArrayLiteral("not read by the double"))
    {
        QFile file(folder + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    static QString fixture(const QString &name) { return fixturesDir() + QStringLiteral("/acs/") + name; }
    template <typename Control>
    static Control *child(const Main &page, const char *name)
    {
        return page.findChild<Control *>(QString::fromLatin1(name));
    }
    static QComboBox *list(const Main &page, const char *name) { return child<QComboBox>(page, name); }
    static QCheckBox *box(const Main &page, const char *name) { return child<QCheckBox>(page, name); }
    static QPushButton *button(const Main &page, const char *name) { return child<QPushButton>(page, name); }
    static QLabel *label(const Main &page, const char *name) { return child<QLabel>(page, name); }

    std::unique_ptr<AgentTestBench> bench;
    QString folder;
};

QTEST_MAIN(TestFreundPage)
#include "tst_freundpage.moc"
