// The host with its settings pages, in process: pages found in a folder,
// connected and started in order, shown in the tree by their parents, kept
// for the whole run and closed at its end after the good-bye macro.

#include "host/HostApplication.h"
#include "host/SettingsPages.h"
#include "host/SettingsWindow.h"
#include "host/TrayIcon.h"

#include "common/MacroStore.h"
#include "plugins/PluginPage.h"
#include "support/AgentTestBench.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace tilvano;
using namespace tilvano::test;

namespace {

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    lines.removeAll(QString());
    return lines;
}

// "Parent/Caption" for every page node of the tree.
QStringList treeEntries(const QTreeWidget *tree)
{
    QStringList entries;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *parent = tree->topLevelItem(i);
        for (int j = 0; j < parent->childCount(); ++j)
            entries << parent->text(0) + QLatin1Char('/') + parent->child(j)->text(0);
    }
    return entries;
}

} // namespace

class TestHostPages : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        qunsetenv("TILVANO_PAGES_DIR");
        qunsetenv("TILVANO_CONTRACT_PAGE_LOG");
    }
    void cleanup()
    {
        qunsetenv("TILVANO_PAGES_DIR");
        qunsetenv("TILVANO_CONTRACT_PAGE_LOG");
        bench.reset();
    }

    void contractPageRunsFromStartToEnd()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(QStringLiteral(TILVANO_CONTRACT_PAGE), folder.filePath(QStringLiteral("TilvanoContractPage.tpx"))));
        QFile broken(folder.filePath(QStringLiteral("Kaputt.tpx")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("no library at all");
        broken.close();
        const QString log = folder.filePath(QStringLiteral("calls.log"));
        qputenv("TILVANO_PAGES_DIR", folder.path().toLocal8Bit());
        qputenv("TILVANO_CONTRACT_PAGE_LOG", log.toLocal8Bit());

        StoreMacro(0, QStringLiteral("Tschüss"), QStringLiteral("Kibo.SpeakIt \"Auf Wiedersehen\""));
        SaveSetting(settingsApplication(), QStringLiteral("Misc"), QStringLiteral("MacroGoodBye"), QStringLiteral("Tschüss"));

        host::HostApplication host;
        host.start();
        QCOMPARE(readLines(log), (QStringList{QStringLiteral("created"), QStringLiteral("Init"), QStringLiteral("PluginStart")}));
        QVERIFY(host.trayIcon()->settingsAction()->isEnabled());

        const QStringList entries = treeEntries(host.settingsWindow()->tree());
        QVERIFY2(entries.contains(QStringLiteral("Module/Vertrag")), qPrintable(entries.join(QLatin1Char(','))));
        QVERIFY(entries.contains(QStringLiteral("Nicht geladen/Kaputt.tpx")));

        // Closing the window keeps the page and its work.
        host.showSettingsWindow();
        host.settingsWindow()->close();
        PluginPage *page = host.settingsPages()->pages().constLast().page;
        if (!page)
            page = host.settingsPages()->pages().constFirst().page;
        QVERIFY(page);
        page->findChild<QLineEdit *>(QStringLiteral("txtName"))->setText(QStringLiteral("ungespeichert"));

        bench->dialogs.queueAnswer(DialogService::No);
        host.shutdown();
        QVERIFY(bench->control);
        QVERIFY(bench->control->calls().join(QLatin1Char('|')).contains(QStringLiteral("Auf Wiedersehen")));
        QCOMPARE(bench->dialogs.texts(), QStringList{QStringLiteral("Sollen die Änderungen gespeichert werden ?")});
        QCOMPARE(readLines(log).constLast(), QStringLiteral("teardown"));
        host.shutdown();
        QCOMPARE(bench->dialogs.shown().size(), 1);
    }

    void installedPagesAppearUnderTheirParents()
    {
        const QStringList expected = QStringLiteral(TILVANO_BUILT_PAGES).split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (expected.isEmpty())
            QSKIP("No settings pages are part of this build.");
        host::HostApplication host;
        host.start();
        const QStringList entries = treeEntries(host.settingsWindow()->tree());
        for (const QString &entry : expected)
            QVERIFY2(entries.contains(entry), qPrintable(entry + QStringLiteral(" missing in ") + entries.join(QLatin1Char(','))));
        for (const host::SettingsPage &page : host.settingsPages()->pages())
            QVERIFY2(page.page, qPrintable(page.file + QStringLiteral(": ") + page.problem));
    }

private:
    std::unique_ptr<AgentTestBench> bench;
};

QTEST_MAIN(TestHostPages)
#include "tst_HostPages.moc"
