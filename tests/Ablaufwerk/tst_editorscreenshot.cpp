// A picture of the editor with a loaded macro, for a person to look at: the
// test writes it where TILVANO_SCREENSHOT says and checks that the window
// really drew its controls into it.

#include "EditorTestBench.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;

class TestEditorScreenshot : public QObject {
    Q_OBJECT
private slots:
    void editorWithALoadedMacro()
    {
        const QString target = qEnvironmentVariable("TILVANO_SCREENSHOT");
        if (target.isEmpty())
            QSKIP("TILVANO_SCREENSHOT names no file");
        qInfo("drawing on the %s platform", qPrintable(QGuiApplication::platformName()));

        EditorTestBench bench;
        bench.agent.profile.animationNames = {QStringLiteral("Greet"), QStringLiteral("Wave"), QStringLiteral("Explain"),
                                              QStringLiteral("Surprised"), QStringLiteral("Pleased")};
        EditorTestBench::storeMacros(
            {{QStringLiteral("Guten Morgen"),
              QStringLiteral("Kibo.PlayAni \"Greet\"<!!BR!!>Kibo.SpeakIt \"Guten Morgen! Schön, dass du da bist.\"<!!BR!!>"
                             "Kibo.MoveTo 400, 300<!!BR!!>Kibo.Think \"Was steht heute an?\"<!!BR!!>"
                             "Kibo.SpeakWave \"/usr/share/sounds/gong.wav\"<!!BR!!>Kibo.PlayAni \"Wave\"<!!BR!!>"
                             "Kibo.StopAll<!!BR!!>")},
             {QStringLiteral("Neue Mail"), QStringLiteral("Kibo.SpeakIt \"Post ist da!\"<!!BR!!>")}});
        ablaufwerk::MainForm &window = bench.start(QStringLiteral("Guten Morgen"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        bench.lines()->setCurrentRow(1);

        const QImage shot = window.grab().toImage();
        QVERIFY(!shot.isNull());
        QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
        QVERIFY(shot.save(target, "PNG"));

        // Not one flat colour: the list, the frame and the tool bar are drawn.
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 7)
            for (int x = 0; x < shot.width(); x += 7)
                colours.insert(shot.pixel(x, y));
        QVERIFY2(colours.size() > 20, qPrintable(QString::number(colours.size())));
        QCOMPARE(shot.size(), window.size() * window.devicePixelRatio());
    }
};

QTEST_MAIN(TestEditorScreenshot)
#include "tst_editorscreenshot.moc"
