#pragma once

#include <QWidget>

class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tilvano::host {

class SettingsPages;

// The window that shows the settings pages: a tree of nodes ("Einstellungen",
// "Module") with each page under its parent, the chosen page beside it, and
// the page's version, description and author. Pages that did not load are
// listed with what went wrong. Closing the window only hides it: the pages
// belong to the whole run.
class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    SettingsWindow();
    ~SettingsWindow() override;

    // Where pages are created, so that choosing one shows it.
    QWidget *pageParent() const;
    // Fills the tree from the loaded pages; call once after they started.
    void showPages(const SettingsPages &pages);

    QTreeWidget *tree() const { return m_tree; }
    QLabel *details() const { return m_details; }

public slots:
    void present();

private:
    void choose(QTreeWidgetItem *item);
    QTreeWidgetItem *parentNode(const QString &name);

    QTreeWidget *m_tree = nullptr;
    QStackedWidget *m_stack = nullptr;
    QLabel *m_details = nullptr;
    QWidget *m_emptyPage = nullptr;
};

} // namespace tilvano::host
