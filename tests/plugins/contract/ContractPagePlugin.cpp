#include "ContractPage.h"

#include "plugins/PagePlugin.h"

#include <QObject>

namespace tilvano::test {

class ContractPagePlugin : public QObject, public PagePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TilvanoPagePlugin_iid)
    Q_INTERFACES(tilvano::PagePlugin)
public:
    QString classIdentifier() const override { return QStringLiteral("TilvanoContractPage.Main"); }
    QString libraryDescription() const override { return QStringLiteral("Tilvano (Vertragsprüfung)"); }
    PluginPage *createMain(QWidget *parent) override { return new ContractPage(parent); }
};

} // namespace tilvano::test

#include "ContractPagePlugin.moc"
