// The Word page: finding Word, keeping the character's template in Word's
// start-up folder while the box is ticked, and taking it away at the end.

#include "plugins/Word/Main.h"
#include "support/AgentTestBench.h"
#include "support/FailingRegistry.h"

#include "common/Twips.h"
#include "common/basRegistry.h"
#include "system/InstallLayout.h"
#include "system/SettingsSection.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;
using tilvano::word::Main;

namespace {

void setWordDir(const QString &version, const QString &dir)
{
    WriteRegValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Office\\%1\\Word\\Options").arg(version),
                  QStringLiteral("PROGRAMDIR"), dir);
}

QString active()
{
    return GetSetting(settingsApplication(), QStringLiteral("Word"), QStringLiteral("Active"), QStringLiteral("<absent>"));
}

void saveActive(const QString &value)
{
    SaveSetting(settingsApplication(), QStringLiteral("Word"), QStringLiteral("Active"), value);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestWordPage : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        wordDir = bench->home->path() + QStringLiteral("/Office/");
        QVERIFY(QDir().mkpath(wordDir + QStringLiteral("Startup")));
        installed = wordDir + QStringLiteral("Startup/Tilvano.dot");
        QVERIFY(writeFile(bench->installPath + QStringLiteral("Tilvano.dot"), "Vorlage"));
    }
    void cleanup() { bench.reset(); }

    void withoutWordThePageSaysSoAndStoresCleared()
    {
        saveActive(QStringLiteral("1"));
        // Without Word's folder the template's place is unknown: a file of
        // that name where the host happens to run is none of the page's.
        const QString previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(bench->home->path()));
        const auto restoreDir = qScopeGuard([&] { QDir::setCurrent(previousDir); });
        QVERIFY(QDir().mkpath(QStringLiteral("Startup")));
        QVERIFY(writeFile(QStringLiteral("Startup/Tilvano.dot"), "fremd"));
        {
            Main page;
            QCOMPARE(page.errorLabel()->text(),
                     QStringLiteral("Microsotft Word scheint auf diesem \r\nRechner nicht installiert zu sein..."));
            QCOMPARE(page.errorLabel()->palette().color(QPalette::WindowText), QColor(Qt::red));
            QVERIFY(!page.activeBox()->isEnabled());
            QVERIFY(!page.activeBox()->isChecked());
            QVERIFY(!page.saveButton()->isEnabled());
            page.Init(nullptr);
            QVERIFY(page.PluginStart());
        }
        QCOMPARE(active(), QStringLiteral("0"));
        QVERIFY(QFile::exists(QStringLiteral("Startup/Tilvano.dot")));
    }

    void wordFolderComesFromTheOlderWordFirst_data()
    {
        QTest::addColumn<QString>("word97");
        QTest::addColumn<QString>("word2000");
        QTest::addColumn<QString>("expected");
        const QString a = QStringLiteral("/opt/Word97/");
        const QString b = QStringLiteral("/opt/Word2000/");
        QTest::newRow("only 2000") << QString() << b << b;
        QTest::newRow("both") << a << b << a;
        QTest::newRow("no trailing separator") << QString() << QStringLiteral("/opt/Word2000") << b;
    }

    void wordFolderComesFromTheOlderWordFirst()
    {
        QFETCH(QString, word97);
        QFETCH(QString, word2000);
        QFETCH(QString, expected);
        if (!word97.isEmpty())
            setWordDir(QStringLiteral("8.0"), word97);
        setWordDir(QStringLiteral("9.0"), word2000);
        Main page;
        QCOMPARE(page.WordProgramDir(), expected);
        QVERIFY(page.activeBox()->isEnabled());
        QCOMPARE(page.errorLabel()->text(), QString());
    }

    void storedStateOrALeftTemplateTicksTheBox_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("leftInPlace");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QByteArray>("inPlace");
        QTest::newRow("1 installs") << QStringLiteral("1") << QByteArray() << true << QByteArray("Vorlage");
        QTest::newRow("0 with a template left") << QStringLiteral("0") << QByteArray("alt") << true << QByteArray("alt");
        QTest::newRow("only the text 1 counts") << QStringLiteral("True") << QByteArray() << false << QByteArray("<missing>");
    }

    void storedStateOrALeftTemplateTicksTheBox()
    {
        QFETCH(QString, stored);
        QFETCH(QByteArray, leftInPlace);
        QFETCH(bool, ticked);
        QFETCH(QByteArray, inPlace);
        setWordDir(QStringLiteral("9.0"), wordDir);
        saveActive(stored);
        if (!leftInPlace.isEmpty())
            QVERIFY(writeFile(installed, leftInPlace));
        {
            Main page;
            QCOMPARE(page.activeBox()->isChecked(), ticked);
            QCOMPARE(readFile(installed), inPlace);
            auto kibo = bench->agentWithCharacter();
            page.Init(kibo.get());
            QVERIFY(!page.PageChanged());
        }
        QCOMPARE(active(), ticked ? QStringLiteral("1") : QStringLiteral("0"));
        QVERIFY(!QFile::exists(installed));
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    void theBoxActsAtOnceAndNeverCountsAsAnEdit()
    {
        setWordDir(QStringLiteral("9.0"), wordDir);
        {
            Main page;
            page.activeBox()->click();
            QCOMPARE(readFile(installed), QByteArray("Vorlage"));
            page.activeBox()->click();
            QVERIFY(!QFile::exists(installed));
            QVERIFY(!page.PageChanged());
        }
        QCOMPARE(active(), QStringLiteral("0"));
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    // A store that refuses the ticked box at the end costs nothing: the template stays,
    // and the next start ticks the box from it.
    void aRefusedStoreAtTheEndKeepsTheBoxTicked()
    {
        setWordDir(QStringLiteral("9.0"), wordDir);
        {
            FailingRegistry store(SystemServices::registry());
            store.failValue(SettingsSection::keyPathOf(QStringLiteral("Word")), QStringLiteral("Active"));
            Main page;
            page.activeBox()->click();
            ServiceRegistry::replace<Registry>(&store);
            const auto restore = qScopeGuard([] { ServiceRegistry::replace<Registry>(nullptr); });
            page.closePage();
            QCOMPARE(store.refusals(), 1);
            QCOMPARE(page.LastError().number, 75);
        }
        QCOMPARE(readFile(installed), QByteArray("Vorlage"));
        Main next;
        QVERIFY(next.activeBox()->isChecked());
    }

    void theTemplateComesFromTheInstallation()
    {
        setWordDir(QStringLiteral("9.0"), wordDir);
        QVERIFY(QFile::remove(bench->installPath + QStringLiteral("Tilvano.dot")));
        {
            Main page;
            page.activeBox()->click(); // nothing to copy: ticked all the same
            QVERIFY(page.activeBox()->isChecked());
            QVERIFY(!QFile::exists(installed));
        }
        QCOMPARE(active(), QStringLiteral("1"));

        // With no InstallPath stored, the copy this build ships is used.
        AgentTestBench::saveStored(QStringLiteral("InstallPath"), QString());
        const QString shipped = InstallLayout::installPath() + QStringLiteral("Tilvano.dot");
        QVERIFY(QFile::exists(shipped));
        Main page;
        QCOMPARE(readFile(installed), readFile(shipped));
    }

    void pageFrameAndHelp()
    {
        Main page;
        QCOMPARE(page.activeBox()->geometry(), twipsRect(375, 525, 2940, 240));
        QCOMPARE(page.errorLabel()->geometry(), twipsRect(1125, 1800, 4965, 840));
        QList<QWidget *> tabbing;
        for (QWidget *w = page.nextInFocusChain(); w != &page; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus)
                tabbing << w;
        QCOMPARE(tabbing, (QList<QWidget *>{page.activeBox(), page.saveButton(), page.helpButton()}));

        page.helpButton()->click();
        QCOMPARE(bench->dialogs.shown().size(), 1);
        const ScriptedDialogService::Shown box = bench->dialogs.shown().first();
        QCOMPARE(box.text, QStringLiteral("Das Word-Plugin ist eine Erweiterung\r\ndes Programms für MS Word 2000(R).\r\n\r\n"
                                          "Aktivieren Sie das Aktiv-Kästchen, um die\r\nUnterstützung des Freundes auch in Word\r\n"
                                          "zu haben.\r\n\r\n"));
        QCOMPARE(box.title, QStringLiteral("Tilvano Word-Plugin"));
        QCOMPARE(box.style, DialogService::OkOnly);
    }

private:
    std::unique_ptr<AgentTestBench> bench;
    QString wordDir;
    QString installed;
};

QTEST_MAIN(TestWordPage)
#include "tst_wordpage.moc"
