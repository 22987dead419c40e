// The built library as the host meets it: loaded by file, asked for its
// class, and made to create its page.

#include "plugins/PagePlugin.h"
#include "plugins/PluginPage.h"
#include "system/InstallLayout.h"
#include "support/AgentTestBench.h"

#include <QPluginLoader>
#include <QtTest>

using namespace tilvano;

class TestFreundPlugin : public QObject {
    Q_OBJECT
private slots:
    void hostLoadsTheLibraryAndCreatesThePage()
    {
        test::AgentTestBench bench;
        QPluginLoader loader(InstallLayout::pluginDir() + QStringLiteral("/TilvanoAgentOptions.tpx"));
        auto *plugin = qobject_cast<PagePlugin *>(loader.instance());
        QVERIFY2(plugin, qPrintable(loader.errorString()));
        QCOMPARE(plugin->classIdentifier(), QStringLiteral("TilvanoAgentOptions.Main"));
        QCOMPARE(plugin->libraryDescription(), QStringLiteral("Tilvano (Einstellungen Freund)"));

        auto kibo = bench.agentWithCharacter();
        std::unique_ptr<PluginPage> page(plugin->createMain(nullptr));
        QVERIFY(page);
        QCOMPARE(page->PluginCaption(), QStringLiteral("Freund"));
        QCOMPARE(page->PluginVersion(), PluginPage::formatVersion(QStringLiteral(TILVANO_VERSION_TEXT)));
        page->Init(kibo.get());
        QVERIFY(page->PluginStart());
        QVERIFY(!page->PageChanged());
        page.reset();
        QVERIFY(bench.dialogs.shown().isEmpty());
    }
};

QTEST_MAIN(TestFreundPlugin)
#include "tst_freundplugin.moc"
