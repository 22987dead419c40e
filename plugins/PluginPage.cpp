#include "plugins/PluginPage.h"

#include "AgentCtl/Agent.h"
#include "common/RuntimeErrors.h"
#include "MakroCombo/MacroBox.h"
#include "common/SettingsStore.h"
#include "common/Twips.h"
#include "plugins/AgentFailure.h"
#include "system/DialogService.h"
#include "system/SystemServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>

#include <algorithm>

namespace tilvano {

namespace {

constexpr int saveButtonRightGap = 1515;
constexpr int saveButtonBottomGap = 540;
constexpr int helpButtonRightGap = 465;
constexpr int helpButtonTop = 75;
// A control given more room keeps this much distance to its neighbours, in pixels.
constexpr int fittedGap = 2;
// Where a control's place from the page's design is kept, so that a later fit
// (another font, a shorter text) starts from it again.
constexpr char designGeometryProperty[] = "tilvanoDesignGeometry";
constexpr char designWrapsProperty[] = "tilvanoDesignWraps";

// The text of a control as drawn, one entry per line; a single "&" marks the
// access key of a button and is not shown.
QStringList shownLines(const QWidget &control)
{
    QString text;
    if (const auto *label = qobject_cast<const QLabel *>(&control))
        text = label->text();
    else if (const auto *button = qobject_cast<const QAbstractButton *>(&control))
        text = QString(button->text()).remove(QRegularExpression(QStringLiteral("&(?!&)")));
    text.remove(QLatin1Char('\r'));
    return text.split(QLatin1Char('\n'));
}

int widestLine(const QWidget &control)
{
    int widest = 0;
    for (const QString &line : shownLines(control))
        widest = std::max(widest, control.fontMetrics().horizontalAdvance(line));
    return widest;
}

// Gives the labels, check boxes and buttons of one page room for their texts,
// each as far as its neighbours allow: wider where there is room to its right,
// otherwise (a label of several words) on more lines where there is room above
// or below. Its left edge stays where the design put it.
class TextRoom {
public:
    explicit TextRoom(const QWidget &page) : m_page(page) {}

    void fit(QWidget &control) const
    {
        const int chrome = textChrome(control);
        if (chrome < 0)
            return;
        auto *label = qobject_cast<QLabel *>(&control);
        if (!control.property(designGeometryProperty).isValid()) {
            control.setProperty(designGeometryProperty, control.geometry());
            control.setProperty(designWrapsProperty, label && label->wordWrap());
        }
        const QRect design = control.property(designGeometryProperty).toRect();
        if (control.property(designWrapsProperty).toBool()) {
            // A text the design already wraps may need more lines: downwards first, where text goes on.
            if (!placeWrapped(*label, design, design.width(), {Keep::Top, Keep::Middle, Keep::Bottom}))
                place(control, design, true);
            return;
        }
        const int needed = widestLine(control) + chrome;
        const int room = freeRightEdge(design, control) - design.left();
        const bool mayWrap = label && label->text().contains(QLatin1Char(' '));
        if (needed <= design.width() || needed <= room || !mayWrap
            || !placeWrapped(*label, design, std::max(room, design.width()), {Keep::Middle, Keep::Top, Keep::Bottom}))
            place(control,
                  QRect(design.topLeft(), QSize(std::max(design.width(), std::min(needed, room)), design.height())),
                  false);
    }

private:
    // What a control needs beside the width of its text; -1 for controls
    // whose text is not fitted (labels the design wraps, icon buttons,
    // composite controls).
    static int textChrome(const QWidget &control)
    {
        if (const auto *label = qobject_cast<const QLabel *>(&control)) {
            if (label->text().isEmpty())
                return -1;
            return label->width() - label->contentsRect().width() + 2 * label->margin() + std::max(label->indent(), 0);
        }
        if (qobject_cast<const QCheckBox *>(&control))
            return control.sizeHint().width() - widestLine(control);
        if (const auto *button = qobject_cast<const QPushButton *>(&control)) {
            if (button->text().isEmpty())
                return -1;
            // Not the size hint: that asks every text button to be at least 80
            // pixels wide, and the page's short buttons were designed narrower.
            QStyleOptionButton option;
            option.initFrom(button);
            const QStyle *look = button->style();
            return 2 * look->pixelMetric(QStyle::PM_ButtonMargin, &option, button)
                + 2 * look->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
        }
        return -1;
    }

    // What stays where it was when a label grows in height.
    enum class Keep { Top, Middle, Bottom };

    // The label on as many lines as `width` asks for, where that room is free.
    bool placeWrapped(QLabel &label, const QRect &design, int width, std::initializer_list<Keep> tries) const
    {
        const int height = std::max(design.height(), wrappedHeight(label, width - textChrome(label)));
        const int grown = height - design.height();
        for (const Keep kept : tries) {
            const int top = kept == Keep::Top ? design.top() : kept == Keep::Middle ? design.top() - grown / 2
                                                                                       : design.top() - grown;
            const QRect wrapped(design.left(), top, width, height);
            if (isFree(wrapped, label)) {
                place(label, wrapped, true);
                return true;
            }
        }
        return false;
    }

    static int wrappedHeight(const QLabel &label, int textWidth)
    {
        const QRect text = label.fontMetrics().boundingRect(QRect(0, 0, std::max(textWidth, 1), 100000),
                                                            Qt::TextWordWrap, shownLines(label).join(QLatin1Char('\n')));
        return text.height() + label.height() - label.contentsRect().height() + 2 * label.margin();
    }

    // How far right the control may reach without covering another one.
    int freeRightEdge(const QRect &own, const QWidget &control) const
    {
        int edge = m_page.width();
        for (const QWidget *other : neighbours(control)) {
            const QRect theirs = other->geometry();
            const bool besideIt = theirs.top() <= own.bottom() && theirs.bottom() >= own.top();
            if (besideIt && theirs.left() > own.left())
                edge = std::min(edge, theirs.left() - fittedGap);
        }
        return edge;
    }

    bool isFree(const QRect &area, const QWidget &control) const
    {
        if (!m_page.rect().contains(area))
            return false;
        const QRect withGap = area.adjusted(0, -fittedGap, 0, fittedGap);
        const QList<const QWidget *> others = neighbours(control);
        return std::none_of(others.begin(), others.end(),
                            [&](const QWidget *other) { return other->geometry().intersects(withGap); });
    }

    QList<const QWidget *> neighbours(const QWidget &control) const
    {
        QList<const QWidget *> others;
        for (const QWidget *other : m_page.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other != &control && !other->isHidden())
                others.append(other);
        }
        return others;
    }

    // Changes only what differs: each change to a shown control asks the page
    // for a new fit, which must come to rest.
    static void place(QWidget &control, const QRect &area, bool wrapped)
    {
        if (auto *label = qobject_cast<QLabel *>(&control); label && label->wordWrap() != wrapped)
            label->setWordWrap(wrapped);
        if (control.geometry() != area)
            control.setGeometry(area);
    }

    const QWidget &m_page;
};

} // namespace

PluginPage::PluginPage(const PageIdentity &identity, QWidget *parent)
    : QWidget(parent)
    , m_identity(identity)
{
    resize(twipsSize(designWidthTwips, designHeightTwips));

    m_caption = new QLabel(m_identity.heading, this);
    m_caption->setObjectName(QStringLiteral("lblCaption"));
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    m_caption->setGeometry(twipsRect(120, 45, m_identity.headingWidth, 255));

    m_save = new QPushButton(QStringLiteral("&Speichern"), this);
    m_save->setObjectName(QStringLiteral("cmdSave"));
    m_save->setGeometry(twipsRect(5700, 6225, 1365, 390));
    connect(m_save, &QPushButton::clicked, this, &PluginPage::savePage);

    if (m_identity.hasHelpButton) {
        m_help = new QToolButton(this);
        m_help->setObjectName(QStringLiteral("btnHelp"));
        m_help->setToolTip(QStringLiteral("Hilfe zum Plugin"));
        m_help->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
        m_help->setAutoRaise(true);
        m_help->setGeometry(twipsRect(6750, helpButtonTop, 390, 315));
        connect(m_help, &QToolButton::clicked, this, &PluginPage::showHelp);
    }

    if (auto *application = qobject_cast<QApplication *>(QCoreApplication::instance()))
        m_focusWatch = connect(application, &QApplication::focusChanged, this, &PluginPage::focusMoved);
}

PluginPage::~PluginPage()
{
    // The children about to go move the focus, and nothing of the page may
    // answer that any more.
    disconnect(m_focusWatch);
}

QString PluginPage::formatVersion(const QString &version)
{
    QStringList parts = version.split(QLatin1Char('.'));
    for (QString &part : parts) {
        bool ok = false;
        const qulonglong number = part.trimmed().toULongLong(&ok);
        if (ok)
            part = QString::number(number);
    }
    return parts.join(QLatin1Char('.'));
}

QString PluginPage::PluginVersion() const
{
#ifdef TILVANO_PAGE_VERSION
    const QString ownVersion = QStringLiteral(TILVANO_PAGE_VERSION);
#else
    const QString ownVersion;
#endif
    return formatVersion(m_identity.version.isEmpty() ? ownVersion : m_identity.version);
}

QString PluginPage::PluginAuthor() const
{
    return QStringLiteral("Lorvat – das Tilvano-Team");
}

bool PluginPage::PluginStart()
{
    return true;
}

void PluginPage::Init(Agent *fri)
{
    m_kibo = fri;
    connectKibo(fri);
    for (qsizetype i = 0; i < m_pickers.size(); ++i) {
        m_pickers[i]->Init(fri);
        m_pickers[i]->setText(readSetting(m_pickerKeys[i]));
    }
    loadSettings();
    m_pageChanged = false;
}

bool PluginPage::savePage()
{
    m_saveFailed = false;
    // A value the page could not hand the character first ends the save; the
    // page has reported why.
    if (!beforeSaving())
        return false;
    // When the character's own save fails, the page's keys would fail alike
    // or, worse, land without the values they go with: the save ends there.
    if (m_kibo) {
        if (const ErrorInfo failure = failureOf(*m_kibo, [this] { m_kibo->SaveAll(); }); failure.isError()) {
            setLastError(failure);
            return false;
        }
    }
    for (qsizetype i = 0; i < m_pickers.size(); ++i)
        writeSetting(m_pickerKeys[i], m_pickers[i]->Text());
    saveSettings();
    if (!m_saveFailed)
        m_pageChanged = false;
    return !m_saveFailed;
}

void PluginPage::closePage()
{
    if (m_closed)
        return;
    m_closed = true;
    // From here on the page is going: the focus moving (to the box below, or
    // away from controls being destroyed) no longer concerns it.
    disconnect(m_focusWatch);
    if (m_pageChanged) {
        const int answer = SystemServices::dialogs().messageBox(
            QStringLiteral("Sollen die Änderungen gespeichert werden ?"), m_identity.closingTitle,
            DialogService::YesNo);
        if (answer == DialogService::Yes)
            savePage();
    }
    teardown();
}

QLabel *PluginPage::addLabel(const QString &name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

void PluginPage::addMacroPicker(MacroBox *picker, const QString &key)
{
    m_pickers.append(picker);
    m_pickerKeys.append(key);
    connect(picker, &MacroBox::Click, this, [this] { markChanged(); });
}

void PluginPage::watchForEdits(QCheckBox *box)
{
    // A click, and a value set while loading: Init clears the flag afterwards.
    connect(box, &QCheckBox::toggled, this, [this] { markChanged(); });
}

void PluginPage::watchForEdits(QLineEdit *field)
{
    connect(field, &QLineEdit::textChanged, this, [this] { markChanged(); });
}

void PluginPage::connectKibo(Agent *)
{
}

void PluginPage::loadSettings()
{
}

bool PluginPage::beforeSaving()
{
    return true;
}

void PluginPage::saveSettings()
{
}

void PluginPage::teardown()
{
}

PageHelp PluginPage::help() const
{
    return {};
}

void PluginPage::focusArrived()
{
}

void PluginPage::focusMoved(QWidget *old, QWidget *now)
{
    const auto inside = [this](const QWidget *widget) { return widget && (widget == this || isAncestorOf(widget)); };
    if (inside(now) && old && !inside(old) && old->window() == window())
        focusArrived();
}

QString PluginPage::readSetting(const QString &key, const QString &defaultValue) const
{
    return GetSetting(settingsApplication(), m_identity.section, key, defaultValue);
}

bool PluginPage::writeSetting(const QString &key, const QString &value)
{
    if (SaveSetting(settingsApplication(), m_identity.section, key, value))
        return true;
    storeRefused();
    return false;
}

void PluginPage::storeRefused()
{
    setLastError(runtime::pathFileAccess());
    saveFailed();
}

QString PluginPage::checkBoxValue(const QCheckBox *box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void PluginPage::showErrorState(QLabel *errorLabel, const QString &text, const QList<QWidget *> &alsoDisable)
{
    for (MacroBox *picker : std::as_const(m_pickers))
        picker->setEnabledFlag(false);
    for (QWidget *widget : alsoDisable)
        widget->setEnabled(false);
    m_save->setEnabled(false);
    QPalette red = errorLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    errorLabel->setPalette(red);
    errorLabel->setText(text);
    errorLabel->setVisible(true);
}

void PluginPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QSize twips = pixelsToTwips(event->size());
    m_save->move(twipsPoint(twips.width() - saveButtonRightGap, twips.height() - saveButtonBottomGap));
    if (m_help)
        m_help->move(twipsPoint(twips.width() - helpButtonRightGap, helpButtonTop));
}

bool PluginPage::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::LayoutRequest: // a control's text changed while shown
        fitTexts();
        break;
    default:
        break;
    }
    return handled;
}

void PluginPage::fitTexts()
{
    // Giving a control room may itself ask for a new fit.
    if (m_fittingTexts)
        return;
    m_fittingTexts = true;
    ensurePolished();
    const TextRoom room(*this);
    for (QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        room.fit(*control);
    m_fittingTexts = false;
}

void PluginPage::showHelp()
{
    const PageHelp box = help();
    QString text;
    for (const QString &line : box.lines)
        text += line + QStringLiteral("\r\n");
    SystemServices::dialogs().messageBox(text, box.title, DialogService::OkOnly | box.icon);
}

} // namespace tilvano
