#include "tools/kibo/KiboCommandLine.h"

#include <QTest>

using namespace tilvano::kibo;
using Kind = KiboCommand::Kind;

class KiboCommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void wellFormed()
    {
        auto speak = parseKiboCommand({"speak", "Guten", "Morgen"});
        QVERIFY(speak);
        QCOMPARE(speak->kind, Kind::Speak);
        QCOMPARE(speak->text, QStringLiteral("Guten Morgen"));

        auto move = parseKiboCommand({"move", "-20", "32767"});
        QVERIFY(move);
        QCOMPARE(move->kind, Kind::Move);
        QCOMPARE(move->x, qint16(-20));
        QCOMPARE(move->y, qint16(32767));

        auto script = parseKiboCommand({"run-text", "Kibo.PlayAni \"Wave\""});
        QVERIFY(script);
        QCOMPARE(script->kind, Kind::RunText);
        QCOMPARE(script->text, QStringLiteral("Kibo.PlayAni \"Wave\""));
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"dance"};
        QTest::newRow("speak without text") << QStringList{"speak"};
        QTest::newRow("play two animations") << QStringList{"play", "Wave", "Greet"};
        QTest::newRow("move not a number") << QStringList{"move", "links", "10"};
        QTest::newRow("move beyond 16 bits") << QStringList{"move", "40000", "10"};
        QTest::newRow("show with argument") << QStringList{"show", "now"};
        QTest::newRow("command in capitals") << QStringList{"SPEAK", "Hallo"};
    }
    void badUsage()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(!parseKiboCommand(arguments));
    }
};

QTEST_MAIN(KiboCommandLineTest)
#include "tst_KiboCommandLine.moc"
