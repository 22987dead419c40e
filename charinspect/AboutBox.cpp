#include "AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tilvano::charinspect {

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Charinspect"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel(QStringLiteral("<b>Charinspect</b>"), this);
    auto *version = new QLabel(versionText(), this);
    version->setObjectName(QStringLiteral("versionLabel"));
    auto *about = new QLabel(QStringLiteral("Shows the properties of a desktop character, plays its animations "
                                            "and lists the installed text-to-speech voices."),
                             this);
    about->setWordWrap(true);
    // Links open in the user's browser; the voices come from eSpeak NG.
    auto *links = new QLabel(QStringLiteral("<a href=\"https://github.com/espeak-ng/espeak-ng\">eSpeak NG voices</a>"), this);
    links->setOpenExternalLinks(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(heading);
    layout->addWidget(version);
    layout->addWidget(about);
    layout->addWidget(links);
    layout->addWidget(buttons);
}

} // namespace tilvano::charinspect
