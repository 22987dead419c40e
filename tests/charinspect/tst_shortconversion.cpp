#include "charinspect/ShortConversion.h"

#include <QTest>

using tilvano::charinspect::ShortConversion;

class ShortConversionTest : public QObject
{
    Q_OBJECT

private slots:
    void convertsLikeTheClassicIntegerConversion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");  // when the conversion succeeds
        QTest::addColumn<int>("error");  // 0, 13 or 6
        QTest::newRow("plain") << "120" << 120 << 0;
        QTest::newRow("blanks around") << "  64 " << 64 << 0;
        QTest::newRow("half rounds to even down") << "2.5" << 2 << 0;
        QTest::newRow("half rounds to even up") << "3.5" << 4 << 0;
        QTest::newRow("largest") << "32767" << 32767 << 0;
        QTest::newRow("one too many") << "32768" << 0 << 6;
        QTest::newRow("letters") << "abc" << 0 << 13;
        QTest::newRow("number then letters") << "12px" << 0 << 13;
        QTest::newRow("infinity") << "inf" << 0 << 13;
    }
    void convertsLikeTheClassicIntegerConversion()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, error);
        const ShortConversion result = ShortConversion::fromText(text);
        QCOMPARE(result.error.number, error);
        QCOMPARE(result.value.has_value(), error == 0);
        if (result.value)
            QCOMPARE(int(*result.value), value);
    }
};

QTEST_GUILESS_MAIN(ShortConversionTest)
#include "tst_shortconversion.moc"
