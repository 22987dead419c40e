// The read-text window under a real window manager (openbox on an Xvfb display of the test's
// own): there the frame is drawn around the window, which no offscreen test can see.

#include "AgentCtl/Agent.h"
#include "AgentCtl/MainForm.h"
#include "common/SettingsStore.h"
#include "support/AgentTestBench.h"
#include "support/PrivateDesktop.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cstdio>

using namespace tilvano;
using namespace tilvano::test;

namespace {

constexpr int kWindowManagerMs = 20000;

QString storedReadText(const QString &key)
{
    return GetSetting(settingsApplication(), QStringLiteral("frmReadText"), key, QStringLiteral("<absent>"));
}

bool isFramed(const QWidget *window) { return window->frameGeometry().size() != window->size(); }

void saveScreenshot(const QString &name)
{
    const QString folder = qEnvironmentVariable("TILVANO_TEST_OUTPUT");
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return;
    QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class ReadTextFrameTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<AgentTestBench> m_bench;

    // The window of a new Agent, shown and framed by the window manager.
    static MainForm *shownWindow(Agent &agent)
    {
        MainForm *form = agent.readTextWindow();
        form->show();
        if (!QTest::qWaitForWindowExposed(form) || !QTest::qWaitFor([form] { return isFramed(form); }, kWindowManagerMs))
            return nullptr;
        return form;
    }

private slots:
    void initTestCase()
    {
        // openbox takes a moment to start; a window mapped before it runs may stay unframed,
        // so new probes are shown until one gets its frame.
        const QDeadlineTimer deadline(kWindowManagerMs);
        bool framed = false;
        while (!framed && !deadline.hasExpired()) {
            QWidget probe;
            probe.show();
            framed = QTest::qWaitFor([&probe] { return isFramed(&probe); }, 500);
        }
        QVERIFY2(framed, "openbox must frame the windows of the private display");
    }

    void init() { m_bench = std::make_unique<AgentTestBench>(); }
    void cleanup() { m_bench.reset(); }

    void theButtonsLieInTheClientArea()
    {
        Agent agent;
        MainForm *form = shownWindow(agent);
        QVERIFY(form);
        for (const QSize size : {QSize(381, 260), QSize(300, 200), QSize(640, 420)}) {
            form->resize(size);
            QTRY_COMPARE(form->size(), size);
            const QRect client = form->Text1()->parentWidget()->rect();
            for (const QWidget *part : {static_cast<QWidget *>(form->btnSpeekText()),
                                        static_cast<QWidget *>(form->btnClose()), static_cast<QWidget *>(form->Text1())})
                QVERIFY2(client.contains(part->geometry()), qPrintable(part->objectName()));
            QCOMPARE(form->btnSpeekText()->geometry().bottomRight(), client.bottomRight());
        }
        // The picture is for people to look at: it waits for the last size to be painted.
        form->Text1()->setPlainText(QStringLiteral("Geben Sie hier einen Text ein"));
        form->repaint();
        QTest::qWait(300);
        saveScreenshot(QStringLiteral("readtext-framed"));
    }

    void theStoredSizeSurvivesRestarts()
    {
        // Each round is a start of the program: a new window that takes the stored geometry,
        // shown, then closed by its title bar, which stores it again.
        QSize firstOuter;
        QString width, height;
        for (int round = 0; round < 3; ++round) {
            Agent agent;
            MainForm *form = shownWindow(agent);
            QVERIFY(form);
            if (round == 0) {
                form->resize(420, 300);
                QTRY_COMPARE(form->size(), QSize(420, 300));
                firstOuter = form->frameGeometry().size();
            }
            QTRY_COMPARE(form->frameGeometry().size(), firstOuter);
            form->close();
            if (round == 0) {
                width = storedReadText(QStringLiteral("Width"));
                height = storedReadText(QStringLiteral("Height"));
                QCOMPARE(width, QString::number(firstOuter.width() * 15));
            }
            QCOMPARE(storedReadText(QStringLiteral("Width")), width);
            QCOMPARE(storedReadText(QStringLiteral("Height")), height);
        }
    }
};

int main(int argc, char **argv)
{
    PrivateDesktop desktop;
    QString error;
    if (!desktop.start(&error)) {
        std::fprintf(stderr, "FAIL: %s\n", qPrintable(error));
        return 1;
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        ReadTextFrameTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    desktop.stop();
    return result;
}

#include "tst_readtextframe.moc"
