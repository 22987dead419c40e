// The voice library as the host sees it: found, loaded and asked for its page.

#include "plugins/PagePlugin.h"
#include "plugins/PluginPage.h"
#include "common/Twips.h"
#include "support/AgentTestBench.h"

#include <QLabel>
#include <QPushButton>

#include <QPluginLoader>
#include <QtTest>

using namespace tilvano;

class TestVoicePlugin : public QObject {
    Q_OBJECT
private slots:
    void libraryCreatesTheVoicePage()
    {
        test::AgentTestBench bench;
        QPluginLoader loader(qEnvironmentVariable("TILVANO_VOICE_PAGE"));
        QObject *instance = loader.instance();
        QVERIFY2(instance, qPrintable(loader.errorString()));
        auto *plugin = qobject_cast<PagePlugin *>(instance);
        QVERIFY(plugin);
        QCOMPARE(plugin->classIdentifier(), QStringLiteral("TilvanoVoice.Main"));
        QCOMPARE(plugin->libraryDescription(), QStringLiteral("Tilvano (Sprache)"));

        std::unique_ptr<PluginPage> page(plugin->createMain(nullptr));
        QCOMPARE(page->PluginCaption(), QStringLiteral("Sprache"));
        QCOMPARE(page->PluginDescription(), QStringLiteral("Plugin zur Einstellung der Sprache"));
        QCOMPARE(page->captionLabel()->text(), QStringLiteral("Einstellungen Sprache"));
        page->show();
        page->resize(twipsSize(10000, 8000));
        QCOMPARE(page->saveButton()->pos(), twipsPoint(8485, 7460));
        page.reset();
        QVERIFY(bench.dialogs.shown().isEmpty());
    }
};

QTEST_MAIN(TestVoicePlugin)
#include "tst_voiceplugin.moc"
