#include "Ablaufwerk/AboutBox.h"

#include "Ablaufwerk/EditorHelp.h"
#include "Ablaufwerk/EditorIcons.h"
#include "AgentCtl/Agent.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#ifndef TILVANO_ABLAUFWERK_VERSION
#define TILVANO_ABLAUFWERK_VERSION "0.0.0"
#endif

namespace tilvano::ablaufwerk {

AboutBox::AboutBox(Agent *kibo, QWidget *parent) : QDialog(parent), m_kibo(kibo)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Über Ablaufwerk"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(EditorIcons::emblem(96));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("Ablaufwerk - Version ") + versionText(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.2);
    Label1->setFont(heading);

    auto *purpose = new QLabel(QStringLiteral("Hier stellen Sie Makros für Tilvano zusammen: was Ihr Freund "
                                              "sagt, denkt, spielt und wohin er geht."),
                               this);
    purpose->setWordWrap(true);

    Label2 = new QLabel(EditorHelp::webPageAddress(), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setForegroundRole(QPalette::Link);
    QFont link = Label2->font();
    link.setUnderline(true);
    Label2->setFont(link);
    Label2->setToolTip(QStringLiteral("Die Seite des Projekts im Browser öffnen"));
    Label2->installEventFilter(this);

    btnHelp = new QPushButton(QStringLiteral("&Hilfe"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnClose = new QPushButton(QStringLiteral("&Schließen"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnHelp, &QPushButton::clicked, this, [] { EditorHelp::openHelpPage(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(btnHelp, QDialogButtonBox::HelpRole);
    buttons->addButton(btnClose, QDialogButtonBox::AcceptRole);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(18, 18, 18, 12);
    grid->setHorizontalSpacing(18);
    grid->addWidget(Image1, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(purpose, 1, 1);
    grid->addWidget(Label2, 2, 1);
    grid->addWidget(buttons, 3, 0, 1, 2);
    setFixedWidth(sizeHint().width() < 420 ? 420 : sizeHint().width());
}

QString AboutBox::versionText() { return QStringLiteral(TILVANO_ABLAUFWERK_VERSION); }

bool AboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == Image1) {
            pokeCharacter();
            return true;
        }
        if (watched == Label2) {
            EditorHelp::openWebPage();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutBox::pokeCharacter()
{
    if (!m_kibo)
        return;
    m_kibo->PlayAni(QStringLiteral("Surprised"));
    QString reaction = QStringLiteral("Ich grüße dich|Hihi|Aua!|Lass das");
    m_kibo->SpeakIt(reaction);
}

} // namespace tilvano::ablaufwerk
