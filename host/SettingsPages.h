#pragma once

#include "common/ErrorInfo.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QPluginLoader;
class QWidget;

namespace tilvano {
class Agent;
class PluginPage;
} // namespace tilvano

namespace tilvano::host {

// One .tpx library found in the plug-ins folder and, when it could be
// loaded, the page it created.
struct SettingsPage {
    QString file;
    QString classIdentifier;
    QString libraryDescription;
    QPointer<PluginPage> page;
    // Why the library gave no page, or what went wrong when it started;
    // empty when all is well.
    QString problem;
};

// The settings pages for the whole run: found and created at start, connected
// to the character, started, and closed at the end. A page keeps doing its
// background work (mail, chat, spoken-text rewriting) while no window shows it.
class SettingsPages {
public:
    SettingsPages();
    ~SettingsPages();
    SettingsPages(const SettingsPages &) = delete;
    SettingsPages &operator=(const SettingsPages &) = delete;

    // The folder pages come from: the pagesDir diagnostic option when set (extra pages,
    // tests), else the install's plug-ins folder.
    static QString pagesFolder();

    // Loads every .tpx of the folder in name order, creating each page as a
    // child of parent. Libraries that are no pages or fail to load are kept
    // with their problem. Returns the number of pages created.
    int load(const QString &folder, QWidget *parent);
    // Init(kibo) on every page, then PluginStart() on every page: a page's
    // start may rely on another page having read its settings.
    void start(Agent *kibo);
    // Asks each page about unsaved changes and lets it undo what it installed,
    // then destroys it. Runs once.
    void close();

    const QList<SettingsPage> &pages() const { return m_pages; }
    int workingPageCount() const;

private:
    QList<SettingsPage> m_pages;
    std::vector<std::unique_ptr<QPluginLoader>> m_loaders;
    bool m_closed = false;
};

} // namespace tilvano::host
