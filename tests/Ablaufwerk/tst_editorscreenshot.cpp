// The editor as a user sees it, on an X server with a window manager, Qt's
// German texts and DejaVu Sans: pictures of the window and of its file dialog
// for a person to look at, every text with room enough, and Qt's own dialog
// and menus in German.

#include "EditorTestBench.h"
#include "system/DialogService.h"
#include "system/ServiceRegistry.h"
#include "support/DesktopShots.h"
#include "support/TextFit.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;

namespace {

QStringList textsOf(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *action : actions)
        texts << action->text().section(QLatin1Char('\t'), 0, 0); // without the shortcut
    return texts;
}

} // namespace

class TestEditorScreenshot : public QObject {
    Q_OBJECT
private slots:
    void editorWithALoadedMacro()
    {
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

        const QImage shot = grabWithFrame(window);
        QVERIFY(!saveScreenshot(shot, QStringLiteral("ablaufwerk")).isEmpty());
        QVERIFY(looksDrawn(shot));
        QVERIFY(shot.height() > window.height()); // with the window manager's title bar
        const QStringList cut = cutTexts(window);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));

        // The right-click menu of a text field is Qt's, in German.
        const std::unique_ptr<QMenu> menu(bench.field("txtToSpeak")->createStandardContextMenu());
        const QStringList entries = textsOf(menu->actions());
        QVERIFY2(entries.contains(QStringLiteral("&Rückgängig")) && entries.contains(QStringLiteral("&Ausschneiden")),
                 qPrintable(entries.join(QStringLiteral(", "))));
    }

    void theWaveFileDialogIsGerman()
    {
        EditorTestBench bench;
        ablaufwerk::MainForm &window = bench.start();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ServiceRegistry::replace<DialogService>(nullptr); // the program's own dialogs, not the scripted ones

        QStringList buttons;
        QStringList labels;
        QString title;
        QString shotPath;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            title = dialog->windowTitle();
            for (const QPushButton *button : dialog->findChildren<QPushButton *>())
                buttons << button->text();
            for (const QLabel *label : dialog->findChildren<QLabel *>())
                labels << label->text();
            shotPath = saveScreenshot(grabWithFrame(*dialog), QStringLiteral("ablaufwerk-wave-datei"));
            const QStringList cut = cutTexts(*dialog);
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
            dialog->reject();
        });
        bench.click("btnOpenWave");

        QCOMPARE(title, QStringLiteral("Wave-Datei auswählen"));
        QVERIFY2(buttons.contains(QStringLiteral("Abbrechen")), qPrintable(buttons.join(QStringLiteral(", "))));
        QVERIFY2(buttons.contains(QStringLiteral("&Öffnen")), qPrintable(buttons.join(QStringLiteral(", "))));
        QVERIFY2(labels.contains(QStringLiteral("Datei&name:")) && labels.contains(QStringLiteral("Suchen in:")),
                 qPrintable(labels.join(QStringLiteral(", "))));
        QVERIFY(!shotPath.isEmpty());
        // Cancelled: nothing was taken.
        QCOMPARE(bench.field("txtWaveFile")->text(), QString());
    }
};

TILVANO_X11_TEST_MAIN(TestEditorScreenshot)
#include "tst_editorscreenshot.moc"
