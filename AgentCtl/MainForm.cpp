#include "AgentCtl/MainForm.h"

#include "AgentCtl/Agent.h"
#include "AgentCtl/ReadTextLayout.h"
#include "common/ErrorLog.h"
#include "common/SettingsStore.h"
#include "system/DialogService.h"
#include "platform/script/ScriptEngine.h"
#include "system/SystemServices.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <cmath>
#include <limits>
#include <optional>

namespace tilvano {

namespace {

const QString kSection = QStringLiteral("frmReadText");

void Log(const QString &message) { WriteLog(writer::tilvano(), message); }

QString readSetting(const QString &key, const QString &defaultValue)
{
    return GetSetting(settingsApplication(), kSection, key, defaultValue);
}

void storeSetting(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), kSection, key, value);
}

// Single-precision numbers in the user's locale form, without group separators
// so that they read back.
QString twipsText(int pixels)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(double(float(pixels) * TwipsPerPixel), 'g', 7);
}

// A stored value in twips as whole pixels; nothing for a text that is no
// number or lies beyond what a window coordinate can be.
std::optional<int> pixelsOf(const QString &twips)
{
    const std::optional<double> value = settingToDouble(twips);
    if (!value)
        return std::nullopt;
    const double pixels = std::round(*value / TwipsPerPixel);
    if (pixels < std::numeric_limits<qint16>::min() || pixels > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return int(pixels);
}

int pixelsOfTwips(int twips) { return twips / TwipsPerPixel; }

QRect desktopGeometry()
{
    QRect united;
    for (const QScreen *screen : QGuiApplication::screens())
        united = united.united(screen->geometry());
    return united;
}

} // namespace

MainForm::MainForm() : m_scriptControl(std::make_unique<script::ScriptEngine>())
{
    setWindowTitle(QStringLiteral("Text sprechen"));
    m_pendingText = QStringLiteral("Geben Sie hier einen Text ein");
    // The client area's design size; the menu bar's height is added once the parts exist.
    resize(5715 / TwipsPerPixel, 3540 / TwipsPerPixel);
}

void MainForm::ensureParts()
{
    if (m_text)
        return;
    // Made with the parts, not with the window: the character's start hosts
    // its control on this window, and a menu bar loads the style's icons and
    // with them every image plug-in, which the character does not need.
    QMenu *fileMenu = menuBar()->addMenu(QStringLiteral("&Datei"));
    m_exitAction = fileMenu->addAction(QStringLiteral("&Beenden"));
    m_exitAction->setObjectName(QStringLiteral("mnuExit"));
    connect(m_exitAction, &QAction::triggered, this, [this] { btnClose_Click(); });

    // The parts sit where the layout rule puts them; no layout manager moves them.
    auto *client = new QWidget(this);
    m_client = client;
    client->installEventFilter(this);
    setCentralWidget(client);
    m_text = new QPlainTextEdit(client);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setPlainText(m_pendingText);
    m_text->setGeometry(0, 0, 5715 / TwipsPerPixel, 3090 / TwipsPerPixel);

    m_speakButton = new QPushButton(QStringLiteral("&Sprechen"), client);
    m_speakButton->setObjectName(QStringLiteral("btnSpeekText"));
    m_speakButton->setToolTip(QStringLiteral("Lässt mich den Text vorlesen"));
    m_speakButton->setGeometry(4500 / TwipsPerPixel, 3150 / TwipsPerPixel, 1215 / TwipsPerPixel,
                               390 / TwipsPerPixel);
    connect(m_speakButton, &QPushButton::clicked, this, [this] { btnSpeekText_Click(); });

    m_closeButton = new QPushButton(QStringLiteral("&Schließen"), client);
    m_closeButton->setObjectName(QStringLiteral("btnClose"));
    m_closeButton->setToolTip(QStringLiteral("Schließt dieses Fenster"));
    m_closeButton->setGeometry(3225 / TwipsPerPixel, 3150 / TwipsPerPixel, 1215 / TwipsPerPixel,
                               390 / TwipsPerPixel);
    connect(m_closeButton, &QPushButton::clicked, this, [this] { btnClose_Click(); });

    client->setMinimumSize(1, 1);
    // Still at the design size (no stored geometry moved it): make room for the menu bar.
    if (size() == QSize(5715 / TwipsPerPixel, 3540 / TwipsPerPixel))
        resize(5715 / TwipsPerPixel, 3540 / TwipsPerPixel + menuBar()->sizeHint().height());
    Form_Resize();
}

QPlainTextEdit *MainForm::Text1()
{
    ensureParts();
    return m_text;
}

QPushButton *MainForm::btnSpeekText()
{
    ensureParts();
    return m_speakButton;
}

QPushButton *MainForm::btnClose()
{
    ensureParts();
    return m_closeButton;
}

MainForm::~MainForm()
{
    // The control goes first, while the window it lives on is still whole.
    m_agentControl.reset();
}

bool MainForm::Init()
{
    Log(QStringLiteral("MainForm.Init"));
    // Putting the control on the window is the window's first touch.
    ensureLoaded();
    m_agentControl = createAgentControl(this);
    if (!m_agentControl) {
        SystemServices::dialogs().messageBox(
            QStringLiteral("Der Microsoft Agent konnte nicht erstellt werden!\r\n"
                           "Bitte installieren Sie alle Systemvorrausetzungen.\r\n"),
            QStringLiteral("Tilvano - Fehler!"), DialogService::OkOnly | DialogService::Critical);
        return false;
    }
    return true;
}

void MainForm::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
}

void MainForm::Form_Load()
{
    Log(QStringLiteral("MainForm.Form_Load"));
    m_pendingText = readSetting(QStringLiteral("ReadText"), QString());
    if (m_text)
        m_text->setPlainText(m_pendingText);
    applyStoredGeometry();
}

void MainForm::applyStoredGeometry()
{
    // The stored values are outer ones (frame included); the frame is known
    // once the window manager has put the window into it and it is exposed.
    create();
    windowHandle()->installEventFilter(this);
    const QRect outer = frameGeometry();
    const std::optional<int> left = pixelsOf(readSetting(QStringLiteral("Left"), twipsText(outer.x())));
    const std::optional<int> top = pixelsOf(readSetting(QStringLiteral("Top"), twipsText(outer.y())));
    const std::optional<int> width = pixelsOf(readSetting(QStringLiteral("Width"), twipsText(outer.width())));
    const std::optional<int> height = pixelsOf(readSetting(QStringLiteral("Height"), twipsText(outer.height())));
    // A stored value that does not convert ends the restoring; what was set stays.
    if (!left || !top)
        return;
    // A window stored on a screen that is gone would be out of reach: it then
    // keeps the place the system gives it.
    if (desktopGeometry().intersects(QRect(*left, *top, std::max(1, width.value_or(1)),
                                           std::max(1, height.value_or(1)))))
        move(*left, *top);
    if (!width || !height)
        return;
    m_outerSizeToRestore = QSize(*width, *height);
    m_frameFitted = QSize(-1, -1);
    fitStoredOuterSize();
}

void MainForm::fitStoredOuterSize()
{
    if (!m_outerSizeToRestore)
        return;
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame == m_frameFitted)
        return;
    m_frameFitted = frame;
    resize(std::max(1, m_outerSizeToRestore->width() - frame.width()),
           std::max(1, m_outerSizeToRestore->height() - frame.height()));
    // Once a real frame was taken off, the size is met; later changes are the user's.
    if (!frame.isEmpty())
        m_outerSizeToRestore.reset();
}

bool MainForm::eventFilter(QObject *watched, QEvent *event)
{
    // The parts follow the client area, which the menu bar and the frame leave over.
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    else if (watched == windowHandle() && event->type() == QEvent::Expose)
        fitStoredOuterSize();
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitStoredOuterSize(); // a window manager moves the window into its new frame
}

void MainForm::showEvent(QShowEvent *event)
{
    ensureLoaded();
    ensureParts();
    QMainWindow::showEvent(event);
}

void MainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitStoredOuterSize();
}

void MainForm::Form_Resize()
{
    if (!m_text)
        return;
    const QSize client = m_client->size();
    const ReadTextLayout layout =
        ReadTextLayout::forClientSize(QSize(client.width() * TwipsPerPixel, client.height() * TwipsPerPixel));
    m_text->setGeometry(0, 0, pixelsOfTwips(layout.text.width()), pixelsOfTwips(layout.text.height()));
    m_speakButton->move(pixelsOfTwips(layout.speakButton.x()), pixelsOfTwips(layout.speakButton.y()));
    m_closeButton->move(pixelsOfTwips(layout.closeButton.x()), pixelsOfTwips(layout.closeButton.y()));
}

void MainForm::btnSpeekText_Click()
{
    Log(QStringLiteral("MainForm_btnSpeekText_Click"));
    if (!m_agent)
        return;
    m_agent->StopAll();
    m_agent->PlayAni(QStringLiteral("Read"));
    QString text = Text1()->toPlainText();
    m_agent->SpeakIt(text);
    m_agent->PlayAni(QStringLiteral("ReadReturn"));
}

void MainForm::btnClose_Click()
{
    Log(QStringLiteral("MainForm_btnClose_Click"));
    if (m_agent)
        m_agent->StopAll();
    hide();
}

void MainForm::storeTextAndGeometry()
{
    const QRect outer = frameGeometry();
    storeSetting(QStringLiteral("ReadText"), m_text ? m_text->toPlainText() : m_pendingText);
    storeSetting(QStringLiteral("Left"), twipsText(outer.x()));
    storeSetting(QStringLiteral("Top"), twipsText(outer.y()));
    storeSetting(QStringLiteral("Width"), twipsText(outer.width()));
    storeSetting(QStringLiteral("Height"), twipsText(outer.height()));
}

void MainForm::closeEvent(QCloseEvent *event)
{
    Log(QStringLiteral("MainForm_Form_QueryUnload"));
    m_outerSizeToRestore.reset(); // what is stored now is the size as it is
    storeTextAndGeometry();
    if (m_agent)
        m_agent->StopAll();
    // The window lives as long as its Agent: closing only hides it.
    event->ignore();
    hide();
}

} // namespace tilvano
