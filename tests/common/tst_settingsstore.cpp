#include "common/SettingsStore.h"
#include "system/SqliteRegistry.h"
#include "system/ServiceRegistry.h"
#include "support/IsolatedHome.h"
#include "support/ScriptedDialogService.h"

#include <QtTest>

using namespace tilvano;

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void missingKeysGiveTheDefault()
    {
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("NoSuchSection"), QStringLiteral("Key"),
                            QStringLiteral("fallback")),
                 QStringLiteral("fallback"));
        SaveSetting(QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("UserName"), QStringLiteral("Meister"));
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("Other"), QStringLiteral("x")),
                 QStringLiteral("x"));
        // A stored empty text is a value, not a missing key.
        SaveSetting(QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("Empty"), QString());
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("Empty"), QStringLiteral("x")),
                 QString());
    }

    void namesIgnoreLetterCase()
    {
        SaveSetting(QStringLiteral("Lorvat"), QStringLiteral("Macros"), QStringLiteral("Macroname005"), QStringLiteral("Gruss"));
        QCOMPARE(GetSetting(QStringLiteral("LORVAT"), QStringLiteral("macros"), QStringLiteral("MacroName005")),
                 QStringLiteral("Gruss"));
        // Writing under another spelling replaces the one value.
        SaveSetting(QStringLiteral("lorvat"), QStringLiteral("MACROS"), QStringLiteral("MACRONAME005"), QStringLiteral("Neu"));
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("Macros"), QStringLiteral("Macroname005")),
                 QStringLiteral("Neu"));
        // Umlauts fold too.
        SaveSetting(QStringLiteral("Lorvat"), QStringLiteral("Größen"), QStringLiteral("ÄRGER"), QStringLiteral("1"));
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("größen"), QStringLiteral("ärger")),
                 QStringLiteral("1"));
    }

    void textsSurviveUnchanged()
    {
        const QString text = QStringLiteral("Zeile 1<!!BR!!>Kibo.SpeakIt \"Grüße, \"\"Welt\"\"\"\r\n\ttab ✓");
        SaveSetting(QStringLiteral("Lorvat"), QStringLiteral("Macros"), QStringLiteral("Macro000"), text);
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("Macros"), QStringLiteral("Macro000")), text);
        const QString huge(200000, QLatin1Char('x'));
        SaveSetting(QStringLiteral("Lorvat"), QStringLiteral("Macros"), QStringLiteral("Macro001"), huge);
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("Macros"), QStringLiteral("Macro001")), huge);
    }

    // A store that cannot keep the settings, or lost them, is told to the
    // user once, in a notice shown from the event loop after the save; saves
    // report whether they were stored.
    void storeProblemsAreToldOnce_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<bool>("savesStored");
        QTest::addColumn<QString>("told");
        QTest::newRow("folder cannot be made") << "blocked" << false << "können nicht gespeichert werden";
        QTest::newRow("damaged store") << "damaged" << true << "war beschädigt";
    }
    void storeProblemsAreToldOnce()
    {
        QFETCH(QString, problem);
        QFETCH(bool, savesStored);
        QFETCH(QString, told);
        test::ScriptedDialogService dialogs;
        ServiceRegistry::replace<DialogService>(&dialogs);
        const QString folder = m_home->configHome() + QStringLiteral("/tilvano");
        QFile file(problem == QLatin1String("blocked") ? folder : SqliteRegistry::defaultPath());
        QDir().mkpath(QFileInfo(file).path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kein Einstellungsspeicher");
        file.close();

        for (int i = 0; i < 3; ++i) {
            QCOMPARE(SaveSetting(QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("UserName"),
                                 QStringLiteral("Meister")),
                     savesStored);
        }
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("UserName"), QStringLiteral("-")),
                 savesStored ? QStringLiteral("Meister") : QStringLiteral("-"));
        QVERIFY(dialogs.shown().isEmpty()); // not from inside the save
        QTRY_COMPARE(dialogs.shown().size(), 1);
        QVERIFY2(dialogs.shown().first().text.contains(told), qPrintable(dialogs.shown().first().text));
        QCOMPARE(dialogs.shown().first().kind, test::ScriptedDialogService::Kind::Notice); // waits for nothing
        QCOMPARE(dialogs.shown().first().icon(), DialogService::Exclamation);

        if (!savesStored) { // the folder came back: the store works again without a restart
            QVERIFY(QFile::remove(folder));
            QVERIFY(SaveSetting(QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("UserName"),
                                QStringLiteral("Meister")));
            QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("UserName")),
                     QStringLiteral("Meister"));
        }
        QTest::qWait(10);
        QCOMPARE(dialogs.shown().size(), 1);
        ServiceRegistry::replace<DialogService>(nullptr);
    }

    void booleansConvert()
    {
        QCOMPARE(settingToBool(QStringLiteral("True")), std::optional<bool>(true));
        QCOMPARE(settingToBool(QStringLiteral("fALSE")), std::optional<bool>(false));
        QCOMPARE(settingToBool(QStringLiteral("0")), std::optional<bool>(false));
        QCOMPARE(settingToBool(QStringLiteral("-1")), std::optional<bool>(true));
        QCOMPARE(settingToBool(QStringLiteral("2")), std::optional<bool>(true));
        QCOMPARE(settingToBool(QStringLiteral("ja")), std::nullopt);
        QCOMPARE(settingToBool(QString()), std::nullopt);
        QCOMPARE(boolSetting(true), QStringLiteral("True"));
        QCOMPARE(boolSetting(false), QStringLiteral("False"));
    }

    void numbersConvert()
    {
        QCOMPARE(settingToInt32(QStringLiteral(" -42 ")), std::optional<qint32>(-42));
        QCOMPARE(settingToInt32(QStringLiteral("2.5")), std::optional<qint32>(2));   // half to even
        QCOMPARE(settingToInt32(QStringLiteral("3.5")), std::optional<qint32>(4));
        QCOMPARE(settingToInt32(QStringLiteral("2147483648")), std::nullopt);
        QCOMPARE(settingToInt32(QStringLiteral("abc")), std::nullopt);
        QCOMPARE(settingToInt16(QStringLiteral("32767")), std::optional<qint16>(32767));
        QCOMPARE(settingToInt16(QStringLiteral("32768")), std::nullopt);
        QCOMPARE(intSetting(-65500), QStringLiteral("-65500"));
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
