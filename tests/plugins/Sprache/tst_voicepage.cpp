// The voice page: what it shows of Kibo, what it hands to Kibo at once, on
// testing and on saving, and what closing takes back.

#include "plugins/Sprache/Main.h"
#include "plugins/Sprache/VoiceChoices.h"
#include "support/AgentTestBench.h"
#include "support/RefusedSave.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;
using tilvano::voice::Main;
using tilvano::voice::VoiceChoices;

namespace {

const QString stefanId = QStringLiteral("{3A1FB761-A92B-11D1-B17B-0020AFED142E}");
const QString annaId = QStringLiteral("{3A1FB760-A92B-11D1-B17B-0020AFED142E}");

} // namespace

class TestVoicePage : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<AgentTestBench> bench;
    std::unique_ptr<Agent> kibo;
    std::unique_ptr<Main> page;

    // Kibo with the voice's own values everywhere, so only the page's tags are spoken.
    void plainKibo()
    {
        kibo->setSpeed(-1);
        kibo->setPitch(-1);
        kibo->setVolume(-1);
        kibo->setVoiceChar(QString());
        kibo->setVoiceContext(QString());
    }
    void openPage()
    {
        page = std::make_unique<Main>();
        page->Init(kibo.get());
        bench->control->clearCalls();
    }
    template <typename T>
    T *control(const char *name) const
    {
        T *found = page->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QCheckBox *box(const char *name) const { return control<QCheckBox>(name); }
    QSlider *slider(const char *name) const { return control<QSlider>(name); }
    QComboBox *list(const char *name) const { return control<QComboBox>(name); }
    void pressTest() const { control<QPushButton>("cmdTestSpeech")->click(); }
    QString spoken() const
    {
        const QStringList speaks = bench->control->callsStartingWith(QStringLiteral("somebody.Speak("));
        return speaks.isEmpty() ? QString() : speaks.last();
    }

private slots:
    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        kibo = bench->agentWithCharacter();
        plainKibo();
    }
    void cleanup()
    {
        page.reset();
        kibo.reset();
        bench.reset();
    }

    void freshPageShowsItsDesignStateAndStoredSentence()
    {
        AgentTestBench::saveStored(QStringLiteral("TestSpeech"), QStringLiteral("Guten Morgen"));
        page = std::make_unique<Main>();
        QCOMPARE(control<QLineEdit>("TestText")->text(), QStringLiteral("Guten Morgen"));
        QCOMPARE(list("LangCombo")->currentText(), QStringLiteral("Arabisch"));
        QCOMPARE(list("TTSCombo")->currentText(), QStringLiteral("(keine Auswahl)"));
        QCOMPARE(list("CharCombo")->currentText(), QStringLiteral("Monoton"));
        QCOMPARE(list("ContextCombo")->currentText(), QStringLiteral("Adresse"));
        for (const char *name : {"cbSpeed", "cbPitch", "cbVolume", "cbChar", "cbContext"})
            QVERIFY2(!box(name)->isChecked(), name);
        QCOMPARE(slider("SpeedSlider")->value(), 50);
        QVERIFY(!page->PageChanged());
        QCOMPARE(page->TreeParent(), QStringLiteral("Einstellungen"));
        QVERIFY(!page->helpButton());

        page.reset();
        QVERIFY(bench->dialogs.shown().isEmpty()); // nothing changed, nothing asked
    }

    void languagesAreSortedAsGermanReadersExpect()
    {
        page = std::make_unique<Main>();
        const QComboBox *languages = list("LangCombo");
        QStringList names;
        for (int i = 0; i < languages->count(); ++i)
            names.append(languages->itemText(i));
        QCOMPARE(names.size(), 31);
        QCOMPARE(names.mid(0, 8), (QStringList{"Arabisch", "Baskisch", "Chinesich (einfach)",
                                               "Chinesisch (traditionell)", "Dänisch", "Deutsch",
                                               "Englisch (britisch)", "Englisch (US)"}));
        QCOMPARE(names.mid(27), (QStringList{"Thai", "Tschechisch", "Türkisch", "Ungarisch"}));
        QCOMPARE(languages->itemData(names.indexOf("Spanisch")).toInt(), 3082);
    }

    void initSelectsKibosLanguage_data()
    {
        QTest::addColumn<qint32>("languageId");
        QTest::addColumn<QString>("shown");
        QTest::newRow("German") << 1031 << QStringLiteral("Deutsch");
        QTest::newRow("unknown 0") << 0 << QStringLiteral("Arabisch");
        QTest::newRow("unknown 9999") << 9999 << QStringLiteral("Arabisch");
    }
    void initSelectsKibosLanguage()
    {
        QFETCH(qint32, languageId);
        QFETCH(QString, shown);
        bench->character()->setLanguageId(languageId);
        openPage();
        QCOMPARE(list("LangCombo")->currentText(), shown);
        QVERIFY(!page->PageChanged());
    }

    void initSelectsKibosVoiceByModeId_data()
    {
        QTest::addColumn<QString>("modeId");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("saved");
        QTest::newRow("Stefan") << stefanId << QStringLiteral("Stefan") << stefanId;
        QTest::newRow("Anna in small letters") << annaId.toLower() << QStringLiteral("Anna") << annaId;
        QTest::newRow("another voice") << QStringLiteral("{11111111-2222-3333-4444-555555555555}")
                                       << QStringLiteral("(keine Auswahl)") << QString();
        QTest::newRow("garbage") << QStringLiteral("not a mode") << QStringLiteral("(keine Auswahl)") << QString();
    }
    void initSelectsKibosVoiceByModeId()
    {
        QFETCH(QString, modeId);
        QFETCH(QString, shown);
        QFETCH(QString, saved);
        bench->character()->setTtsModeId(modeId);
        openPage();
        QCOMPARE(list("TTSCombo")->currentText(), shown);
        page->saveButton()->click();
        QCOMPARE(kibo->TTSModeID(), saved);
    }

    void initShowsKibosValuesWithoutTouchingTheStyleBoxes()
    {
        kibo->setSpeed(180);
        kibo->setPitch(50); // the slider's start: no slider change, still in use
        kibo->setVolume(70000);
        kibo->setVoiceChar(QStringLiteral("WHISPER"));
        kibo->setVoiceContext(QStringLiteral("eMail"));
        openPage();
        QVERIFY(box("cbSpeed")->isChecked());
        QCOMPARE(slider("SpeedSlider")->value(), 180);
        QVERIFY(box("cbPitch")->isChecked());
        QVERIFY(box("cbVolume")->isChecked());
        QCOMPARE(slider("VolumeSlider")->value(), 65000);
        QCOMPARE(list("CharCombo")->currentText(), QStringLiteral("Flüstern"));
        QCOMPARE(list("ContextCombo")->currentText(), QStringLiteral("E-Mail"));
        QVERIFY(!box("cbChar")->isChecked());
        QVERIFY(!box("cbContext")->isChecked());
        QVERIFY(!page->PageChanged());

        page->saveButton()->click();
        QCOMPARE(kibo->VoiceChar(), QString()); // not ticked, so not used
        QCOMPARE(kibo->speed(), qint16(180));
        QCOMPARE(kibo->Pitch(), qint16(50));
    }

    void uncheckingResetsKiboAtOnceAndSliderTicks()
    {
        kibo->setSpeed(120);
        kibo->setPitch(90);
        kibo->setVolume(30000);
        openPage();
        box("cbSpeed")->click();
        QCOMPARE(kibo->speed(), qint16(-1));
        QVERIFY(page->PageChanged());
        box("cbPitch")->click();
        QCOMPARE(kibo->Pitch(), qint16(-1));
        box("cbVolume")->click();
        QCOMPARE(kibo->Volume(), -1);

        slider("PitchSlider")->setValue(200);
        QVERIFY(box("cbPitch")->isChecked());
        QCOMPARE(kibo->Pitch(), qint16(-1)); // the slider's value waits for the save
        box("cbChar")->click();
        QCOMPARE(kibo->VoiceChar(), QString());
    }

    void testSpeaksThePagesTagsWithTheChosenVoice()
    {
        openPage();
        slider("SpeedSlider")->setValue(150);
        slider("VolumeSlider")->setValue(65000);
        list("TTSCombo")->setCurrentIndex(VoiceChoices::Anna);
        list("LangCombo")->setCurrentText(QStringLiteral("Deutsch"));
        control<QLineEdit>("TestText")->setText(QStringLiteral("Hallo"));
        bench->control->clearCalls();
        pressTest();
        const QStringList calls = bench->control->calls();
        QCOMPARE(calls.first(), QStringLiteral("somebody.TTSModeID(%1)").arg(annaId));
        QCOMPARE(spoken(), QStringLiteral("somebody.Speak(\\Spd=150\\\\Vol=65000\\Hallo, )"));
        QCOMPARE(calls.last(), QStringLiteral("somebody.LanguageID(1031)"));
        QVERIFY(!page->LastError().isError());
    }

    void testTagsFollowTheTickedStyleBoxes_data()
    {
        QTest::addColumn<int>("character");
        QTest::addColumn<bool>("characterTicked");
        QTest::addColumn<int>("context");
        QTest::addColumn<bool>("contextTicked");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("e-mail context only") << 1 << false << 1 << true << QStringLiteral("\\Ctx=\"Email\"\\");
        QTest::newRow("whisper and address")
            << 1 << true << 0 << true << QStringLiteral("\\Chr=\"Whisper\"\\\\Ctx=\"Address\"\\");
    }
    void testTagsFollowTheTickedStyleBoxes()
    {
        QFETCH(int, character);
        QFETCH(bool, characterTicked);
        QFETCH(int, context);
        QFETCH(bool, contextTicked);
        QFETCH(QString, prefix);
        openPage();
        list("CharCombo")->setCurrentIndex(character);
        box("cbChar")->setChecked(characterTicked);
        list("ContextCombo")->setCurrentIndex(context);
        box("cbContext")->setChecked(contextTicked);
        control<QLineEdit>("TestText")->setText(QStringLiteral("Satz"));
        pressTest();
        QCOMPARE(spoken(), QStringLiteral("somebody.Speak(%1Satz, )").arg(prefix));
    }

    void failedTestIsRecordedQuietly()
    {
        openPage();
        bench->character()->failRequest(QStringLiteral("Speak"), 4711);
        pressTest();
        QCOMPARE(page->LastError().number, 4711);
        QCOMPARE(page->LastError().line, 2);
        QVERIFY(bench->dialogs.shown().isEmpty());
        QVERIFY(bench->control->callsStartingWith(QStringLiteral("somebody.LanguageID(")).isEmpty());
    }

    void saveHandsEveryValueToKiboBeforeKiboStoresThem()
    {
        openPage();
        slider("SpeedSlider")->setValue(140);
        list("TTSCombo")->setCurrentIndex(VoiceChoices::Stefan);
        list("LangCombo")->setCurrentText(QStringLiteral("Englisch (US)"));
        list("ContextCombo")->setCurrentIndex(1);
        box("cbContext")->setChecked(true);
        control<QLineEdit>("TestText")->setText(QStringLiteral("Neuer Satz"));
        bench->clearLog();
        page->saveButton()->click();

        // Kibo stores once, after it got the page's last value.
        const QStringList log = bench->logMessages();
        QCOMPARE(log.count(QStringLiteral("SaveAll")), 1);
        QCOMPARE(log.last(), QStringLiteral("SaveAll"));
        QCOMPARE(log.at(log.size() - 2), QStringLiteral("Let LanguageID: 1033"));
        QCOMPARE(kibo->speed(), qint16(140));
        QCOMPARE(kibo->Pitch(), qint16(-1));
        QCOMPARE(kibo->Volume(), Main::untickedVolume);
        QCOMPARE(kibo->VoiceContext(), QStringLiteral("Email"));
        QCOMPARE(kibo->TTSModeID(), stefanId);
        QCOMPARE(kibo->LanguageID(), 1033);
        // What Kibo stored is what the page chose, not what Kibo held before.
        QCOMPARE(AgentTestBench::active(QStringLiteral("Speed")), QStringLiteral("140"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("Volume")), QStringLiteral("65500"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("TTS")), stefanId);
        QCOMPARE(AgentTestBench::active(QStringLiteral("LanguageID")), QStringLiteral("1033"));
        QCOMPARE(GetSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("TestSpeech")),
                 QStringLiteral("Neuer Satz"));
        QVERIFY(!page->PageChanged());
    }

    void refusedSaveKeepsTheEditsUnsaved_data()
    {
        addRefusalColumns();
        // The page's own early write of the language is stored again by the
        // character, so the character's first write is the second of the save.
        QTest::newRow("the character's first setting") << QString() << QString() << 2;
        QTest::newRow("speed") << QStringLiteral("ActiveAgent") << QStringLiteral("Speed") << 0;
        QTest::newRow("test sentence") << QStringLiteral("StoredValues") << QStringLiteral("TestSpeech") << 0;
    }
    void refusedSaveKeepsTheEditsUnsaved()
    {
        openPage();
        slider("SpeedSlider")->setValue(140);
        control<QLineEdit>("TestText")->setText(QStringLiteral("Neuer Satz"));
        checkRefusedSave(*page);
    }

    void failingSaveStopsAndTellsTheUser()
    {
        openPage();
        bench->character()->failRequest(QStringLiteral("TTSModeID"), 4712);
        control<QLineEdit>("TestText")->setText(QStringLiteral("ungespeichert"));
        page->saveButton()->click();
        QCOMPARE(page->LastError().number, 4712);
        QCOMPARE(page->LastError().line, 6);
        QCOMPARE(bench->dialogs.shown().size(), 1);
        QCOMPARE(bench->dialogs.shown().first().title, QStringLiteral("Fehler!"));
        QCOMPARE(GetSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("TestSpeech"),
                            QStringLiteral("<absent>")),
                 QStringLiteral("<absent>"));
    }

    void languagePickReachesKiboAtOnceOrShowsTheErrorBox()
    {
        openPage();
        list("LangCombo")->setCurrentText(QStringLiteral("Französisch"));
        QCOMPARE(kibo->LanguageID(), 1036);
        QVERIFY(page->PageChanged());

        bench->character()->failRequest(QStringLiteral("LanguageID"), 4713);
        bench->control->clearCalls();
        list("LangCombo")->setCurrentText(QStringLiteral("Thai"));
        QCOMPARE(list("LangCombo")->currentText(), QStringLiteral("Französisch"));
        // The refused language does not stay with Kibo: the one in use is put back, quietly.
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("somebody.LanguageID(")),
                 (QStringList{"somebody.LanguageID(1054)", "somebody.LanguageID(1036)"}));
        QCOMPARE(bench->dialogs.shown().size(), 1);
        const ScriptedDialogService::Shown shown = bench->dialogs.shown().first();
        QCOMPARE(shown.title, QStringLiteral("TilvanoVoice - Fehler"));
        QCOMPARE(shown.icon(), DialogService::Critical);
        QVERIFY(shown.text.startsWith(QStringLiteral("Fehler aufgetreten: #4713\r\nQuelle: ")));
        QVERIFY(shown.text.contains(QStringLiteral(" - Zeile: 1\r\nBeschreibung: ")));

        // The next character gets the language in use, not the refused one.
        bench->character()->failRequest(QStringLiteral("LanguageID"), 0);
        QString next = QStringLiteral("/chars/Genie.acs");
        kibo->LoadChar(next);
        QCOMPARE(kibo->LanguageID(), 1036);
    }

    void closingWithChangesAsksThenRestoresTheVoice_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("voiceAfter");
        QTest::addColumn<QString>("stored");
        QTest::newRow("no: the tested voice is taken back") << DialogService::No << stefanId << QStringLiteral("<absent>");
        QTest::newRow("yes: the chosen voice is saved") << DialogService::Yes << annaId << annaId;
    }
    void closingWithChangesAsksThenRestoresTheVoice()
    {
        QFETCH(int, answer);
        QFETCH(QString, voiceAfter);
        QFETCH(QString, stored);
        bench->character()->setTtsModeId(stefanId);
        openPage();
        list("TTSCombo")->setCurrentIndex(VoiceChoices::Anna);
        pressTest();
        QCOMPARE(kibo->TTSModeID(), annaId);
        bench->dialogs.queueAnswer(answer);
        page.reset();
        QCOMPARE(bench->dialogs.shown().size(), 1);
        const ScriptedDialogService::Shown shown = bench->dialogs.shown().first();
        QCOMPARE(shown.text, QStringLiteral("Sollen die Änderungen gespeichert werden ?"));
        QCOMPARE(shown.title, QStringLiteral("Tilvano Spracheinstellungen"));
        QCOMPARE(shown.buttons(), DialogService::YesNo);
        QCOMPARE(kibo->TTSModeID(), voiceAfter);
        QCOMPARE(AgentTestBench::active(QStringLiteral("TTS")), stored);
    }

    void closingAfterOnlyATestKeepsTheTestedVoice()
    {
        // The voice list itself counts as a change; pick it before the page is connected.
        page = std::make_unique<Main>();
        list("TTSCombo")->setCurrentIndex(VoiceChoices::Anna);
        page->Init(kibo.get());
        pressTest();
        QVERIFY(!page->PageChanged());
        page.reset();
        QVERIFY(bench->dialogs.shown().isEmpty());
        QCOMPARE(kibo->TTSModeID(), annaId);
    }

    void focusShowsKibosCurrentValues()
    {
        openPage();
        kibo->setSpeed(200);
        kibo->setVolume(Main::untickedVolume);
        page->focusEntered();
        QCOMPARE(slider("SpeedSlider")->value(), 200);
        QVERIFY(box("cbSpeed")->isChecked());
        QVERIFY(!box("cbVolume")->isChecked());
        QCOMPARE(kibo->Volume(), -1);
        QVERIFY(page->PageChanged());

        page->focusEntered(); // -1 now: the volume is left alone
        QVERIFY(!box("cbVolume")->isChecked());
    }

    void focusMovingIntoThePageRunsTheFocusRule()
    {
        QWidget window;
        QLineEdit outside(&window);
        page = std::make_unique<Main>(&window);
        page->Init(kibo.get());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        outside.setFocus();
        kibo->setPitch(300);
        control<QLineEdit>("TestText")->setFocus();
        QCOMPARE(slider("PitchSlider")->value(), 300);

        // The window coming back after another one was in front is no visit
        // of the page: what the user changed and did not save stays.
        slider("PitchSlider")->setValue(120);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(control<QLineEdit>("TestText")->hasFocus());
        QCOMPARE(slider("PitchSlider")->value(), 120);
        page.reset(); // before the window that is its parent
    }
};

QTEST_MAIN(TestVoicePage)
#include "tst_voicepage.moc"
