#include "host/SettingsWindow.h"

#include "host/SettingsPages.h"
#include "plugins/PluginPage.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace tilvano::host {

namespace {

constexpr int pageRole = Qt::UserRole;
constexpr int detailsRole = Qt::UserRole + 1;

QString detailsOf(const SettingsPage &entry)
{
    QStringList lines;
    if (entry.page) {
        lines << QStringLiteral("<b>%1</b>").arg(entry.page->PluginCaption().toHtmlEscaped())
              << QStringLiteral("Version %1").arg(entry.page->PluginVersion().toHtmlEscaped())
              << entry.page->PluginDescription().toHtmlEscaped()
              << QStringLiteral("Autor: %1").arg(entry.page->PluginAuthor().toHtmlEscaped());
    } else {
        lines << QStringLiteral("<b>%1</b>").arg(entry.file.toHtmlEscaped());
    }
    if (!entry.problem.isEmpty())
        lines << QStringLiteral("<span style=\"color:#b00000\">%1</span>").arg(entry.problem.toHtmlEscaped());
    return lines.join(QStringLiteral("<br>"));
}

} // namespace

SettingsWindow::SettingsWindow()
{
    setWindowTitle(QStringLiteral("Tilvano – Einstellungen"));
    setObjectName(QStringLiteral("SettingsWindow"));

    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumWidth(160);
    m_tree->setMaximumWidth(220);

    m_details = new QLabel(this);
    m_details->setTextFormat(Qt::RichText);
    m_details->setWordWrap(true);

    m_stack = new QStackedWidget(this);
    m_emptyPage = new QLabel(QStringLiteral("Bitte links eine Seite wählen."), m_stack);
    m_stack->addWidget(m_emptyPage);
    // The pages are designed for this size; the window may grow beyond it.
    m_stack->setMinimumSize(PluginPage::designWidthTwips / 15, PluginPage::designHeightTwips / 15);

    auto *right = new QVBoxLayout;
    right->addWidget(m_details);
    right->addWidget(m_stack, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addLayout(right, 1);

    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { choose(item); });
}

SettingsWindow::~SettingsWindow() = default;

QWidget *SettingsWindow::pageParent() const
{
    return m_stack;
}

QTreeWidgetItem *SettingsWindow::parentNode(const QString &name)
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        if (m_tree->topLevelItem(i)->text(0) == name)
            return m_tree->topLevelItem(i);
    }
    auto *node = new QTreeWidgetItem(m_tree, {name});
    node->setExpanded(true);
    return node;
}

void SettingsWindow::showPages(const SettingsPages &pages)
{
    m_tree->clear();
    // The usual two nodes first, in this order, even before a page names them.
    parentNode(QStringLiteral("Einstellungen"));
    parentNode(QStringLiteral("Module"));
    for (const SettingsPage &entry : pages.pages()) {
        QTreeWidgetItem *item = nullptr;
        if (entry.page) {
            item = new QTreeWidgetItem(parentNode(entry.page->TreeParent()), {entry.page->PluginCaption()});
            item->setData(0, pageRole, QVariant::fromValue(static_cast<QObject *>(entry.page.data())));
            m_stack->addWidget(entry.page);
        } else {
            item = new QTreeWidgetItem(parentNode(QStringLiteral("Nicht geladen")),
                                       {QFileInfo(entry.file).fileName()});
        }
        item->setData(0, detailsRole, detailsOf(entry));
    }
    m_tree->expandAll();
}

void SettingsWindow::choose(QTreeWidgetItem *item)
{
    auto *page = item ? qobject_cast<QWidget *>(item->data(0, pageRole).value<QObject *>()) : nullptr;
    m_stack->setCurrentWidget(page ? page : m_emptyPage);
    m_details->setText(item ? item->data(0, detailsRole).toString() : QString());
}

void SettingsWindow::present()
{
    if (!m_tree->currentItem()) {
        // Open on the first page there is.
        for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
            if ((*it)->data(0, pageRole).value<QObject *>()) {
                m_tree->setCurrentItem(*it);
                break;
            }
        }
    }
    show();
    raise();
    activateWindow();
}

} // namespace tilvano::host
