#include "common/SettingsStore.h"
#include "support/IsolatedHome.h"

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
