#include "charinspect/InspectorWindow.h"
#include "charinspect/VoiceCatalogueEnumerator.h"

#include "platform/agent/AgentService.h"
#include "platform/agent/CharacterSession.h"
#include "system/ServiceRegistry.h"
#include "system/WindowsDirectory.h"
#include "support/IsolatedHome.h"
#include "support/ScriptedDialogService.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tilvano;
using namespace tilvano::charinspect;
using Dialogs = tilvano::test::ScriptedDialogService;

namespace {

QString fixture(const QString &name) { return test::fixturesDir() + QStringLiteral("/acs/") + name; }

// A fixed set of engines, so the lists do not depend on the voices of the machine.
class FixedEngines : public TtsEngineEnumerator
{
public:
    explicit FixedEngines(QList<TtsEngineDetails> engines) : m_engines(std::move(engines)) {}
    int count() const override { return int(m_engines.size()); }
    TtsEngineDetails engine(int index) const override { return m_engines.value(index - 1); }

private:
    QList<TtsEngineDetails> m_engines;
};

} // namespace

class InspectorWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    Dialogs m_dialogs;
    QTemporaryDir m_traceDir;
    bool m_enginesInstalled = true;
    int m_enginesCreated = 0;
    std::unique_ptr<InspectorWindow> m_window;
    AgentControlFactory m_silentService;

    TtsEngineEnumeratorFactory fixedEngines()
    {
        return [this]() -> std::unique_ptr<TtsEngineEnumerator> {
            ++m_enginesCreated;
            if (!m_enginesInstalled)
                return nullptr;
            TtsEngineDetails stefan, anna;
            stefan.modeName = QStringLiteral("Stefan");
            stefan.modeId = QStringLiteral("3A1FB761-A92B-11D1-B17B-0020AFED142E");
            stefan.gender = 2;
            anna.modeName = QStringLiteral("Anna");
            anna.modeId = QStringLiteral("3A1FB760-A92B-11D1-B17B-0020AFED142E");
            anna.gender = 1;
            return std::make_unique<FixedEngines>(QList<TtsEngineDetails>{stefan, anna});
        };
    }

    InspectorWindow &window()
    {
        if (!m_window)
            m_window = std::make_unique<InspectorWindow>(fixedEngines());
        return *m_window;
    }
    agent::AgentService &service() { return *static_cast<agent::AgentService *>(window().control()); }
    agent::CharacterSession *session() { return service().session(QStringLiteral("c")); }

    template<typename T = QLineEdit>
    T *widget(const char *name)
    {
        T *found = window().findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    QString field(const char *name) { return widget(name)->text(); }
    bool enabled(const char *name) { return window().findChild<QWidget *>(QLatin1String(name))->isEnabled(); }

    void load(const QString &path)
    {
        m_dialogs.queueFile(path);
        widget<QPushButton>("loadCharacter")->click();
    }
    QString merlin() { return WindowsDirectory::characterFolder() + QStringLiteral("Merlin.acs"); }
    QStringList trace()
    {
        QFile file(m_traceDir.filePath("trace.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

private slots:
    void initTestCase()
    {
        // A silent service on a manual clock: requests stay queued until the test moves time on.
        m_silentService = AgentControlFactory([](QWidget *host) -> std::unique_ptr<AgentControl> {
            agent::AgentServiceOptions options;
            options.clockMode = agent::AgentClock::Mode::Manual;
            options.randomSeed = 7;
            agent::AgentSettings settings;
            settings.speechOutput = false;
            options.settings = settings;
            return std::make_unique<agent::AgentService>(host, options);
        });
    }

    void init()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        qputenv("TILVANO_AGENT_TRACE", m_traceDir.filePath("trace.txt").toLocal8Bit());
        QFile::remove(m_traceDir.filePath("trace.txt"));
        m_dialogs.clear();
        ServiceRegistry::replace<DialogService>(&m_dialogs);
        ServiceRegistry::replace<AgentControlFactory>(&m_silentService);
        m_enginesInstalled = true;
        m_enginesCreated = 0;
    }

    void cleanup()
    {
        m_window.reset();
        ServiceRegistry::replace<DialogService>(nullptr);
        qunsetenv("TILVANO_AGENT_TRACE");
        m_home.reset();
    }

    void startsWithOnlyLoadAndAboutEnabled()
    {
        QCOMPARE(window().windowTitle(), QStringLiteral("Charinspect 3.1"));
        QVERIFY(enabled("loadCharacter"));
        QVERIFY(enabled("about"));
        for (const char *name : {"refresh", "stop", "play", "set", "speak", "changeVoice", "setDefault", "width", "height"})
            QVERIFY2(!enabled(name), name);
        QCOMPARE(widget<QPlainTextEdit>("speakText")->toPlainText(), QStringLiteral("Welcome to the Charinspect 3.1"));
        QCOMPARE(window().windowsDirectory(), WindowsDirectory::path() + u'/');
        QVERIFY(m_dialogs.shown().isEmpty());
    }

    void cancellingTheChooserChangesNothing()
    {
        widget<QPushButton>("loadCharacter")->click(); // nothing queued: the chooser is cancelled
        QCOMPARE(m_dialogs.shown().size(), 1);
        QCOMPARE(m_dialogs.shown().at(0).kind, Dialogs::Kind::OpenFile);
        QVERIFY(m_dialogs.shown().at(0).defaultText.startsWith(QStringLiteral("Microsoft Agent Characters (*.acs")));
        QVERIFY(!enabled("refresh"));
        QVERIFY(!window().character());

        // With a character loaded, cancelling keeps it and its fields.
        load(merlin());
        m_dialogs.clear();
        widget<QPushButton>("loadCharacter")->click();
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(window().character());
        QCOMPARE(field("name"), QStringLiteral("Merlin"));
        QVERIFY(enabled("refresh"));
    }

    void loadingShowsGreetsAndFillsTheDetails()
    {
        load(merlin());
        QVERIFY(window().character());
        QCOMPARE(m_dialogs.shown().size(), 1); // only the chooser

        agent::CharacterSession *merlinSession = session();
        QCOMPARE(field("guid"), merlinSession->guid());
        QCOMPARE(field("width"), QString::number(merlinSession->width()));
        QCOMPARE(field("srModeId"), QStringLiteral("<No Speech Recognition Engine Found>"));
        QCOMPARE(field("visible"), QStringLiteral("True"));

        // The drop-down list is sorted, shows nothing chosen, and the count matches it.
        auto *animations = widget<QComboBox>("animations");
        QStringList listed;
        for (int i = 0; i < animations->count(); ++i)
            listed << animations->itemText(i);
        QStringList expected = merlinSession->animationNames();
        expected.sort(Qt::CaseInsensitive);
        QCOMPARE(listed, expected);
        QVERIFY(listed.size() > 10);
        QCOMPARE(animations->currentIndex(), -1);
        QCOMPARE(field("animationCount"), QString::number(listed.size()));

        for (const char *name : {"refresh", "stop", "play", "set", "speak", "width", "height"})
            QVERIFY2(enabled(name), name);
        QCOMPARE(widget<QListWidget>("engines")->count(), 2);

        const QStringList lines = trace();
        const qsizetype loaded = lines.indexOf(QStringLiteral("Load\tC\t") + merlin());
        QVERIFY(loaded >= 0);
        QCOMPARE(lines.value(loaded + 1), QStringLiteral("Show\tC\tFalse"));
        QVERIFY(lines.mid(loaded).contains(QStringLiteral("Speak\tC\tHi, i am Merlin\t")));
    }

    void engineDetailsAndVoiceButtons()
    {
        load(merlin());
        auto *engines = widget<QListWidget>("engines");
        QCOMPARE(engines->item(1)->text(), QStringLiteral("Anna"));
        engines->setCurrentRow(1);
        QCOMPARE(field("modeName"), QStringLiteral("Anna"));
        QCOMPARE(field("modeId"), QStringLiteral("{3A1FB760-A92B-11D1-B17B-0020AFED142E}"));
        QCOMPARE(field("gender"), QStringLiteral("1 (Female)"));
        engines->setCurrentRow(0);
        QCOMPARE(field("gender"), QStringLiteral("2 (Male)"));
    }

    void changeVoiceSetsTheModeWithItsBraces()
    {
        m_window = std::make_unique<InspectorWindow>(VoiceCatalogueEnumerator::installedVoices());
        load(merlin());
        auto *engines = widget<QListWidget>("engines");
        if (engines->count() == 0)
            QSKIP("no voices installed here");
        engines->setCurrentRow(engines->count() - 1);
        const QString chosen = field("modeId");
        QVERIFY(chosen.startsWith(u'{') && chosen.endsWith(u'}'));
        QVERIFY(!chosen.startsWith(QStringLiteral("{{")));
        window().findChild<QPushButton *>("changeVoice")->setEnabled(true);
        m_dialogs.clear();
        widget<QPushButton>("changeVoice")->click();
        QVERIFY2(m_dialogs.shown().isEmpty(), qPrintable(m_dialogs.texts().join('|')));
        QCOMPARE(window().character()->ttsModeId(), chosen);
    }

    void characterWithoutVoiceDisablesTheVoiceButtons()
    {
        load(fixture(QStringLiteral("Character2.acs"))); // stored with its voice output off
        QVERIFY(window().character());
        QCOMPARE(field("ttsModeId"), QStringLiteral("<Speech Output Disabled/No TTS Engine Found>"));
        QVERIFY(!enabled("changeVoice"));
        QVERIFY(!enabled("setDefault"));
        QVERIFY(window().defaultVoiceId().isEmpty());

        m_dialogs.clear();
        window().setDefaultVoice();
        QCOMPARE(m_dialogs.texts(), QStringList{QStringLiteral("Text2Speech is disabled from Advanced Character options")});
        QCOMPARE(m_dialogs.shown().at(0).icon(), DialogService::Information);

        // A character with a voice enables them again.
        load(fixture(QStringLiteral("Happy Face.acs")));
        QVERIFY(!window().character()->ttsModeId().isEmpty());
        QVERIFY(enabled("changeVoice"));
        QVERIFY(enabled("setDefault"));
    }

    void setWithLettersRestoresTheStoredSizeInTheCorner()
    {
        load(merlin());
        agent::CharacterSession *c = session();
        c->setLeft(200);
        c->setTop(150);
        c->setWidth(40);
        QCOMPARE(c->left(), qint16(200));
        m_dialogs.clear();

        widget("width")->setText(QStringLiteral("breit"));
        widget<QPushButton>("set")->click();
        QCOMPARE(m_dialogs.texts(), QStringList{QStringLiteral("Please type numeric value in the textbox.")});
        QCOMPARE(m_dialogs.shown().at(0).icon(), DialogService::Information);
        QCOMPARE(int(c->width()), c->originalWidth());
        QCOMPARE(int(c->height()), c->originalHeight());
        service().clock().advance(60000);
        QCOMPARE(c->left(), qint16(0));
        QCOMPARE(c->top(), qint16(0));
        // The move event brings the position fields along.
        QCOMPARE(field("x"), QStringLiteral("0"));
        QCOMPARE(field("y"), QStringLiteral("0"));
    }

    void setTakesNumbersAndReportsOverflow()
    {
        load(merlin());
        agent::CharacterSession *c = session();
        widget("width")->setText(QStringLiteral(" 90 "));
        widget("height")->setText(QStringLiteral("70.5"));
        m_dialogs.clear();
        widget<QPushButton>("set")->click();
        QVERIFY(m_dialogs.shown().isEmpty());
        QCOMPARE(c->width(), qint16(90));
        QCOMPARE(c->height(), qint16(70)); // half rounds to even

        widget("height")->setText(QStringLiteral("99999"));
        widget<QPushButton>("set")->click();
        QCOMPARE(m_dialogs.shown().size(), 1);
        QCOMPARE(m_dialogs.shown().at(0).text,
                 QStringLiteral("Error Number: 6\r\nError Description: Overflow\r\n\r\nProcedure: Command8_Click"));
        QCOMPARE(c->height(), qint16(70));
    }

    void setIsEnabledExactlyWhenBothBoxesHoldText()
    {
        load(merlin());
        widget("width")->clear();
        QVERIFY(!enabled("set"));
        widget("width")->setText(QStringLiteral("x"));
        QVERIFY(enabled("set"));
        widget("height")->clear();
        QVERIFY(!enabled("set"));
    }

    void playSpeakAndStopReachTheCharacter()
    {
        load(fixture(QStringLiteral("Happy Face.acs")));
        QVERIFY(window().character());
        m_dialogs.clear();
        widget<QPushButton>("play")->click();
        QCOMPARE(m_dialogs.texts(), QStringList{QStringLiteral("Please select a animation to play from the list")});
        QCOMPARE(m_dialogs.shown().at(0).icon(), DialogService::Information);

        auto *animations = widget<QComboBox>("animations");
        QVERIFY(animations->count() > 0);
        animations->setCurrentIndex(0);
        const QString chosen = animations->currentText();
        m_dialogs.clear();
        widget<QPushButton>("play")->click();
        widget<QPlainTextEdit>("speakText")->setPlainText(QStringLiteral("\\Spd=50\\Guten Tag"));
        widget<QPushButton>("speak")->click();
        widget<QPushButton>("stop")->click();
        QVERIFY(m_dialogs.shown().isEmpty());
        const QStringList lines = trace();
        const qsizetype played = lines.indexOf(QStringLiteral("Play\tC\t") + chosen);
        QVERIFY2(played >= 0, qPrintable(lines.join(u'\n')));
        // The blank in front keeps the user's text from being read as a speech tag.
        QVERIFY(lines.mid(played).contains(QStringLiteral("Speak\tC\t \\Spd=50\\Guten Tag\t")));
        QVERIFY(lines.mid(played).contains(QStringLiteral("StopAll\tC")));
    }

    void missingEnginesWarnAtEachRefreshAfterTheFields()
    {
        m_enginesInstalled = false;
        load(merlin());
        const QString warning = QStringLiteral(
            "SAPI 4.0 is not installed; you need to install SAPI 4.0 components to list TTS Engines.");
        QCOMPARE(m_dialogs.texts().filter(warning).size(), 1);
        QCOMPARE(m_dialogs.shown().last().icon(), DialogService::Exclamation);
        QCOMPARE(field("name"), QStringLiteral("Merlin"));
        QVERIFY(!field("x").isEmpty());
        QCOMPARE(widget<QListWidget>("engines")->count(), 0);

        widget<QPushButton>("refresh")->click();
        QCOMPARE(m_dialogs.texts().filter(warning).size(), 2);
        QCOMPARE(m_enginesCreated, 2);

        // Once the engines are there, a refresh lists them without a word.
        m_enginesInstalled = true;
        m_dialogs.clear();
        widget<QPushButton>("refresh")->click();
        QVERIFY(m_dialogs.shown().isEmpty());
        QCOMPARE(widget<QListWidget>("engines")->count(), 2);
        QCOMPARE(widget<QPlainTextEdit>("speakText")->toPlainText(), QStringLiteral("Welcome to the Charinspect 3.1"));
    }

    void aSecondLoadReplacesTheFirst()
    {
        load(fixture(QStringLiteral("Happy Face.acs")));
        QCOMPARE(field("name"), QStringLiteral("Happy Face"));
        load(merlin());
        QCOMPARE(field("name"), QStringLiteral("Merlin"));
        // The old one was unloaded under the same identifier before the new one came.
        const QStringList lines = trace();
        const qsizetype unloaded = lines.lastIndexOf(QRegularExpression(QStringLiteral("^Unload\\t[cC]")));
        const qsizetype loaded = lines.indexOf(QStringLiteral("Load\tC\t") + merlin());
        QVERIFY2(unloaded >= 0 && unloaded < loaded, qPrintable(lines.join(u'\n')));
        QVERIFY(m_dialogs.texts().filter(QStringLiteral("Error")).isEmpty());
    }

    void aFileThatCannotBeLoadedIsReportedAndLeavesNoCharacter()
    {
        load(merlin());
        m_dialogs.clear();
        load(fixture(QStringLiteral("ALIEN.ACS"))); // an old format the service refuses
        QVERIFY(!window().character());
        QCOMPARE(m_dialogs.shown().size(), 2);
        const QString report = m_dialogs.shown().at(1).text;
        QVERIFY2(report.startsWith(QStringLiteral("Error Number: ")), qPrintable(report));
        QVERIFY(report.endsWith(QStringLiteral("Procedure: Command2_Click")));
        QCOMPARE(m_dialogs.shown().at(1).icon(), DialogService::Exclamation);
        // No buttons are left for a character that is not there, and nothing of Merlin stays.
        for (const char *name : {"refresh", "stop", "play", "set", "speak", "changeVoice", "setDefault"})
            QVERIFY2(!enabled(name), name);
        QVERIFY(field("name").isEmpty());
        QCOMPARE(widget<QComboBox>("animations")->count(), 0);
    }
};

QTEST_MAIN(InspectorWindowTest)
#include "tst_inspectorwindow.moc"
