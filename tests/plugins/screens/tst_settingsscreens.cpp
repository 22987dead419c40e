// The settings window with its six pages as a user sees them: loaded from the
// built libraries as the host loads them, on an X server with a window
// manager, Qt's German texts and DejaVu Sans. Pictures of each page for a
// person to look at, and every text with room enough, without covering a
// neighbour.

#include "host/SettingsPages.h"
#include "host/SettingsWindow.h"
#include "plugins/PluginPage.h"
#include "support/AgentTestBench.h"
#include "support/DesktopShots.h"
#include "support/TextFit.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;

namespace {

// Controls of the page that cover one another; the one pixel that rounding
// twips may give is no cover.
QStringList overlaps(const PluginPage &page)
{
    QStringList found;
    const QList<QWidget *> controls = page.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            const QRect common = controls[i]->geometry().intersected(controls[j]->geometry());
            if (controls[i]->isVisible() && controls[j]->isVisible() && common.width() > 1 && common.height() > 1)
                found << controls[i]->objectName() + QStringLiteral(" / ") + controls[j]->objectName();
        }
    }
    return found;
}

} // namespace

class TestSettingsScreens : public QObject {
    Q_OBJECT
private slots:
    void everyPageShowsItsWholeTexts()
    {
        AgentTestBench bench;
        bench.profile.description = QStringLiteral("Ein freundlicher Zauberer, der gern erklärt und Post ankündigt.");
        auto kibo = bench.agentWithCharacter();
        host::SettingsWindow window;
        host::SettingsPages pages;
        pages.load(host::SettingsPages::pagesFolder(), window.pageParent());
        QCOMPARE(pages.workingPageCount(), 6);
        pages.start(kibo.get());
        window.showPages(pages);
        window.present();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QStringList problems;
        int shown = 0;
        for (QTreeWidgetItemIterator it(window.tree()); *it; ++it) {
            auto *page = qobject_cast<PluginPage *>((*it)->data(0, Qt::UserRole).value<QObject *>());
            if (!page)
                continue;
            window.tree()->setCurrentItem(*it);
            QTRY_VERIFY(page->isVisible());
            const QString name = page->PluginCaption().toLower();
            const QImage picture = grabWithFrame(window);
            QVERIFY(!saveScreenshot(picture, QStringLiteral("einstellungen-") + name).isEmpty());
            QVERIFY(!saveScreenshot(page->grab().toImage(), QStringLiteral("seite-") + name).isEmpty());
            QVERIFY2(looksDrawn(picture), qPrintable(name));
            for (const QString &cut : cutTexts(*page))
                problems << page->PluginCaption() + QStringLiteral(": ") + cut;
            for (const QString &covered : overlaps(*page))
                problems << page->PluginCaption() + QStringLiteral(": ") + covered + QStringLiteral(" overlap");
            // The frame keeps its place in twips; only widths grow.
            QCOMPARE(page->captionLabel()->pos(), QPoint(120 / 15, 45 / 15));
            ++shown;

            if (page->PluginCaption() == QLatin1String("Freund")) {
                // A caption that changes while shown gets its room as well.
                emit bench.control->shown(QStringLiteral("somebody"), 1);
                auto *showHide = page->findChild<QPushButton *>(QStringLiteral("btnShowHide"));
                QCOMPARE(showHide->text(), QStringLiteral("&Verstecken"));
                QTRY_VERIFY(showHide->width() >= showHide->fontMetrics().horizontalAdvance(QStringLiteral("Verstecken")));
                for (const QString &cut : cutTexts(*page))
                    problems << QStringLiteral("Freund, hiding: ") + cut;
                QVERIFY(!saveScreenshot(page->grab().toImage(), QStringLiteral("seite-freund-verstecken")).isEmpty());
            }
        }
        QCOMPARE(shown, 6);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        pages.close();
    }
};

TILVANO_X11_TEST_MAIN(TestSettingsScreens)
#include "tst_settingsscreens.moc"
