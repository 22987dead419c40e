#pragma once

#include "plugins/PluginPage.h"
#include "system/ServiceRegistry.h"
#include "system/SettingsSection.h"
#include "system/SystemServices.h"
#include "support/FailingRegistry.h"

#include <QScopeGuard>
#include <QtTest>

namespace tilvano::test {

// For the settings pages' tests. The columns of a save-refusal row: the value the store refuses (section and
// key of the page's application), or, with an empty key, the n-th write of the
// save (the character's own settings come first).
inline void addRefusalColumns()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("nthWrite");
}

// Saves a page with unsaved edits while the settings store refuses the row's
// write, then once more with a store that takes everything. The refused save
// must say so (false, the file-access error in LastError) and leave the edits
// unsaved, so that closing the page still asks about them; the second save
// must go through and store the value that was refused.
inline void checkRefusedSave(PluginPage &page)
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, nthWrite);
    QVERIFY(page.PageChanged());
    const QString keyPath = SettingsSection::keyPathOf(section);
    {
        FailingRegistry store(SystemServices::registry());
        if (key.isEmpty())
            store.failWrite(nthWrite);
        else
            store.failValue(keyPath, key);
        ServiceRegistry::replace<Registry>(&store);
        const auto restore = qScopeGuard([] { ServiceRegistry::replace<Registry>(nullptr); });
        QVERIFY2(!page.savePage(), "a refused write must fail the save");
        QCOMPARE(store.refusals(), 1);
    }
    QCOMPARE(page.LastError().number, 75);
    QVERIFY(page.PageChanged());

    QVERIFY(page.savePage());
    QVERIFY(!page.PageChanged());
    if (!key.isEmpty())
        QVERIFY2(SystemServices::registry().value(keyPath, key), qPrintable(section + QLatin1Char('\\') + key));
}

} // namespace tilvano::test
