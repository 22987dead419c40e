#pragma once

#include <QString>
#include <QtPlugin>

class QWidget;

namespace tilvano {

class PluginPage;

// What a .tpx library offers its host: the one class it creates, Main.
// Each page library has one QObject implementing this, declared with
// Q_PLUGIN_METADATA(IID TilvanoPagePlugin_iid) and
// Q_INTERFACES(tilvano::PagePlugin).
class PagePlugin {
public:
    virtual ~PagePlugin() = default;
    // The class identifier, e.g. "TilvanoOutlookPlugin.Main".
    virtual QString classIdentifier() const = 0;
    // The library's description, e.g. "Tilvano (Outlook 2000)".
    virtual QString libraryDescription() const = 0;
    // A new page; the caller owns it (through the parent when one is given).
    virtual PluginPage *createMain(QWidget *parent) = 0;
};

} // namespace tilvano

#define TilvanoPagePlugin_iid "org.lorvat.Tilvano.PagePlugin/1"
Q_DECLARE_INTERFACE(tilvano::PagePlugin, TilvanoPagePlugin_iid)
