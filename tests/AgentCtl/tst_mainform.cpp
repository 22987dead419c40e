// The read-text window: its parts, the resize rule, the buttons and what is
// kept when the user closes it.

#include "AgentCtl/MainForm.h"
#include "AgentCtl/ReadTextLayout.h"
#include "support/AgentTestBench.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;

namespace {
QString readTextSetting(const QString &key)
{
    return GetSetting(settingsApplication(), QStringLiteral("frmReadText"), key, QStringLiteral("<absent>"));
}
void saveReadTextSetting(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), QStringLiteral("frmReadText"), key, value);
}
} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<AgentTestBench>(); }
    void cleanup() { bench.reset(); }

    void resizeRule_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QRect>("text");
        QTest::addColumn<QPoint>("speak");
        QTest::addColumn<QPoint>("close");
        QTest::newRow("3000 wide") << QSize(3000, 4500) << QRect(0, 0, 2880, 3360) << QPoint(1665, 3420) << QPoint(390, 3420);
        QTest::newRow("tiny") << QSize(60, 90) << QRect(0, 0, 0, 0) << QPoint(-1275, -990) << QPoint(-2550, -990);
    }
    void resizeRule()
    {
        QFETCH(QSize, outer);
        QFETCH(QRect, text);
        QFETCH(QPoint, speak);
        QFETCH(QPoint, close);
        const ReadTextLayout layout = ReadTextLayout::forOuterSize(outer);
        QCOMPARE(layout.text, text);
        QCOMPARE(layout.speakButton, speak);
        QCOMPARE(layout.closeButton, close);
    }

    void resizingTheWindowMovesItsParts()
    {
        Agent agent;
        MainForm *form = agent.readTextWindow();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->resize(200, 300);
        QTRY_COMPARE(form->size(), QSize(200, 300));
        // The rule's outer size is the client area with the classic frame around it, so the
        // buttons end flush with the client area's bottom right corner, whatever the frame.
        const QSize client = form->Text1()->parentWidget()->size();
        QVERIFY(client.height() < 300); // the menu bar takes its share
        QCOMPARE(form->btnSpeekText()->geometry(), QRect(client.width() - 81, client.height() - 26, 81, 26));
        QCOMPARE(form->btnClose()->pos(), QPoint(client.width() - 166, client.height() - 26));
        QCOMPARE(form->Text1()->geometry(), QRect(0, 0, client.width(), client.height() - 30));
    }

    void speakButtonReadsTheTextAloud()
    {
        auto agent = bench->agentWithCharacter();
        agent->setSpeed(-1);
        agent->setPitch(-1);
        agent->setVolume(-1);
        bench->character()->setVisibleState(true);
        MainForm *form = agent->readTextWindow();
        form->Text1()->setPlainText(QStringLiteral("Es war einmal"));
        // Before an Agent is handed over the button does nothing.
        form->btnSpeekText()->click();
        QVERIFY(bench->control->calls().isEmpty());

        bench->control->chooseCommand(QStringLiteral("speakTxt"));
        form->btnSpeekText()->click();
        QCOMPARE(bench->control->calls(),
                 (QStringList{"somebody.StopAll()", "somebody.Play(Read)", "somebody.Speak(Es war einmal, )",
                              "somebody.Play(ReadReturn)"}));
        QCOMPARE(bench->logMessages().mid(0, 2),
                 (QStringList{"MainForm_btnSpeekText_Click", "oAgentCtl_Command: speakTxt"}));
        QCOMPARE(form->Text1()->toPlainText(), QStringLiteral("Es war einmal"));
    }

    void closeButtonAndMenuHideWithoutStoring()
    {
        auto agent = bench->agentWithCharacter();
        bench->control->chooseCommand(QStringLiteral("speakTxt"));
        MainForm *form = agent->readTextWindow();
        form->Text1()->setPlainText(QStringLiteral("nicht speichern"));
        form->btnClose()->click();
        QVERIFY(!form->isVisible());
        bench->control->chooseCommand(QStringLiteral("speakTxt"));
        form->mnuExit()->trigger();
        QVERIFY(!form->isVisible());
        QCOMPARE(bench->control->calls(), (QStringList{"somebody.StopAll()", "somebody.StopAll()"}));
        QCOMPARE(bench->logMessages().count(QStringLiteral("MainForm_btnClose_Click")), 2);
        QCOMPARE(readTextSetting(QStringLiteral("ReadText")), QStringLiteral("<absent>"));
    }

    void closingKeepsTextAndGeometryAcrossARestart()
    {
        QRect storedOuter;
        {
            auto agent = bench->agentWithCharacter();
            bench->control->chooseCommand(QStringLiteral("speakTxt"));
            MainForm *form = agent->readTextWindow();
            QVERIFY(QTest::qWaitForWindowExposed(form));
            form->Text1()->setPlainText(QStringLiteral("Zeile eins\nZeile zwei"));
            form->move(40, 60);
            form->resize(420, 280);
            QVERIFY(form->close() == false); // the close is turned into hiding
            QVERIFY(!form->isVisible());
            QCOMPARE(bench->logMessages().last(), QStringLiteral("StopAll"));
            QVERIFY(bench->logMessages().contains(QStringLiteral("MainForm_Form_QueryUnload")));
            const QRect outer = form->frameGeometry();
            storedOuter = outer;
            QCOMPARE(readTextSetting(QStringLiteral("ReadText")), QStringLiteral("Zeile eins\nZeile zwei"));
            QCOMPARE(readTextSetting(QStringLiteral("Left")), QString::number(outer.x() * 15));
            QCOMPARE(readTextSetting(QStringLiteral("Width")), QString::number(outer.width() * 15));

            // Reopened in the same run: the same text.
            bench->control->chooseCommand(QStringLiteral("speakTxt"));
            QCOMPARE(form->Text1()->toPlainText(), QStringLiteral("Zeile eins\nZeile zwei"));
        }
        Agent restarted;
        MainForm *form = restarted.readTextWindow();
        QCOMPARE(form->Text1()->toPlainText(), QStringLiteral("Zeile eins\nZeile zwei"));
        QCOMPARE(form->frameGeometry(), storedOuter);
    }

    void storedGeometryIsAppliedWhenItFits()
    {
        saveReadTextSetting(QStringLiteral("Left"), QStringLiteral("1500"));
        saveReadTextSetting(QStringLiteral("Top"), QStringLiteral("3000"));
        saveReadTextSetting(QStringLiteral("Width"), QStringLiteral("6000"));
        saveReadTextSetting(QStringLiteral("Height"), QStringLiteral("4500"));
        {
            Agent agent;
            const QRect outer = agent.readTextWindow()->frameGeometry();
            QCOMPARE(outer.topLeft(), QPoint(100, 200));
            QCOMPARE(outer.size(), QSize(400, 300));
        }
        // A size that is no number leaves the size alone; one far beyond any
        // screen coordinate and a place off every screen are not taken.
        saveReadTextSetting(QStringLiteral("Width"), QStringLiteral("breit"));
        {
            Agent agent;
            QCOMPARE(agent.readTextWindow()->frameGeometry().topLeft(), QPoint(100, 200));
            QVERIFY(agent.readTextWindow()->width() != 400);
        }
        saveReadTextSetting(QStringLiteral("Left"), QStringLiteral("-300000"));
        saveReadTextSetting(QStringLiteral("Width"), QStringLiteral("1e30"));
        {
            Agent agent;
            QVERIFY(agent.readTextWindow()->frameGeometry().x() > -20000);
        }
    }

private:
    std::unique_ptr<AgentTestBench> bench;
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
