#include "Ablaufwerk/ActionFrame.h"

#include "Ablaufwerk/EditorIcons.h"
#include "Ablaufwerk/WalkPositionCheck.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <vector>

namespace tilvano::ablaufwerk {

namespace {

enum Column { LabelColumn, InputColumn, ToolColumn, SecondToolColumn, InsertColumn, ReplaceColumn };

QLabel *rowLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLabel *columnHeading(const QString &text)
{
    auto *heading = new QLabel(text);
    heading->setAlignment(Qt::AlignCenter);
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 0.8);
    heading->setFont(font);
    heading->setForegroundRole(QPalette::PlaceholderText);
    return heading;
}

// Focus that leaves because a box or menu opened, or the user went to another
// window, is not the user leaving the field.
bool userLeftField(const QEvent *event)
{
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

ActionFrame::ActionFrame(QWidget *parent) : QGroupBox(QStringLiteral(" Aktion "), parent)
{
    setObjectName(QStringLiteral("RightFrame"));
    buildRows();
    connectEnabledStates();
}

QToolButton *ActionFrame::makeButton(const char *name, const QString &caption, const QIcon &icon)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(caption);
    button->setAccessibleName(caption);
    button->setIcon(icon);
    button->setIconSize(QSize(18, 18));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRaise(false);
    return button;
}

QLineEdit *ActionFrame::makeField(const char *name, const QString &toolTip)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(name));
    field->setToolTip(toolTip);
    field->installEventFilter(this);
    return field;
}

void ActionFrame::buildRows()
{
    const QIcon insert = EditorIcons::insertLine();
    const QIcon replace = EditorIcons::replaceLine();
    QStyle *look = style();

    AniCombo = new QComboBox(this);
    AniCombo->setObjectName(QStringLiteral("AniCombo"));
    AniCombo->setMaxVisibleItems(20);
    btnTestAnimation = makeButton("btnTestAnimation", QStringLiteral("Die Animation testen"),
                                  look->standardIcon(QStyle::SP_MediaPlay));
    btnAddAnimation = makeButton("btnAddAnimation", QStringLiteral("Animation einfügen"), insert);
    btnTakeAni = makeButton("btnTakeAni", QStringLiteral("aktuelle Zeile durch Animation ersetzen"), replace);

    txtToSpeak = makeField("txtToSpeak");
    btnAddSpeak = makeButton("btnAddSpeak", QStringLiteral("\"Sprechen\" einfügen"), insert);
    btnTakeSpeak = makeButton("btnTakeSpeak", QStringLiteral("aktuelle Zeile durch \"Sprechen\" ersetzen"), replace);

    txtToThink = makeField("txtToThink");
    btnAddThink = makeButton("btnAddThink", QStringLiteral("\"Denken\" einfügen"), insert);
    btnTakeThink = makeButton("btnTakeThink", QStringLiteral("aktuelle Zeile durch \"Denken\" ersetzen"), replace);

    txtWaveFile = makeField("txtWaveFile");
    btnOpenWave = makeButton("btnOpenWave", QStringLiteral("Eine Wave-Datei öffnen"),
                             look->standardIcon(QStyle::SP_DialogOpenButton));
    btnPlayWave = makeButton("btnPlayWave", QStringLiteral("Spielt die gewählte Wave-Datei"),
                             look->standardIcon(QStyle::SP_MediaVolume));
    btnAddWave = makeButton("btnAddWave", QStringLiteral("\"Wave sprechen\" einfügen"), insert);
    btnTakeWave = makeButton("btnTakeWave", QStringLiteral("aktuelle Zeile durch \"Wave sprechen\" ersetzen"), replace);

    txtLeft = makeField("txtLeft", QStringLiteral("Die Position von links"));
    txtTop = makeField("txtTop", QStringLiteral("Die Position von oben"));
    btnAddMove = makeButton("btnAddMove", QStringLiteral("\"Gehe nach\" einfügen"), insert);
    btnTakeMove = makeButton("btnTakeMove", QStringLiteral("aktuelle Zeile durch \"Gehe nach\" ersetzen"), replace);

    btnAddStop = makeButton("btnAddStop", QStringLiteral("Stopp einfügen"), insert);
    btnTakeStop = makeButton("btnTakeStop", QStringLiteral("aktuelle Zeile durch \"Stop\" ersetzen"), replace);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 8, 10, 10);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(InputColumn, 1);
    grid->setColumnMinimumWidth(LabelColumn, 70);

    int row = 0;
    grid->addWidget(columnHeading(QStringLiteral("anhängen")), row, InsertColumn);
    grid->addWidget(columnHeading(QStringLiteral("ersetzen")), row, ReplaceColumn);

    ++row;
    grid->addWidget(rowLabel(QStringLiteral("Animation")), row, LabelColumn);
    grid->addWidget(AniCombo, row, InputColumn);
    grid->addWidget(btnTestAnimation, row, SecondToolColumn);
    grid->addWidget(btnAddAnimation, row, InsertColumn);
    grid->addWidget(btnTakeAni, row, ReplaceColumn);

    ++row;
    grid->addWidget(rowLabel(QStringLiteral("Sprechen")), row, LabelColumn);
    grid->addWidget(txtToSpeak, row, InputColumn, 1, 3);
    grid->addWidget(btnAddSpeak, row, InsertColumn);
    grid->addWidget(btnTakeSpeak, row, ReplaceColumn);

    ++row;
    grid->addWidget(rowLabel(QStringLiteral("Denken")), row, LabelColumn);
    grid->addWidget(txtToThink, row, InputColumn, 1, 3);
    grid->addWidget(btnAddThink, row, InsertColumn);
    grid->addWidget(btnTakeThink, row, ReplaceColumn);

    ++row;
    grid->addWidget(rowLabel(QStringLiteral("Wave-Datei")), row, LabelColumn);
    grid->addWidget(txtWaveFile, row, InputColumn);
    grid->addWidget(btnOpenWave, row, ToolColumn);
    grid->addWidget(btnPlayWave, row, SecondToolColumn);
    grid->addWidget(btnAddWave, row, InsertColumn);
    grid->addWidget(btnTakeWave, row, ReplaceColumn);

    ++row;
    auto *position = new QHBoxLayout;
    position->setSpacing(4);
    txtLeft->setMaximumWidth(70);
    txtTop->setMaximumWidth(70);
    txtLeft->setPlaceholderText(QStringLiteral("links"));
    txtTop->setPlaceholderText(QStringLiteral("oben"));
    position->addWidget(txtLeft);
    position->addWidget(new QLabel(QStringLiteral(",")));
    position->addWidget(txtTop);
    position->addStretch(1);
    grid->addWidget(rowLabel(QStringLiteral("Gehe nach")), row, LabelColumn);
    grid->addLayout(position, row, InputColumn, 1, 3);
    grid->addWidget(btnAddMove, row, InsertColumn);
    grid->addWidget(btnTakeMove, row, ReplaceColumn);

    ++row;
    grid->addWidget(rowLabel(QStringLiteral("Stoppe alles")), row, LabelColumn);
    grid->addWidget(btnAddStop, row, InsertColumn);
    grid->addWidget(btnTakeStop, row, ReplaceColumn);

    ++row;
    grid->setRowStretch(row, 1);

    // Nothing is typed yet and no macro is chosen: the rows wait for one.
    for (QWidget *idle : std::initializer_list<QWidget *>{
             AniCombo, btnAddAnimation, btnTakeAni, txtToSpeak, btnAddSpeak, btnTakeSpeak, txtToThink, btnAddThink,
             btnTakeThink, btnPlayWave, btnAddWave, btnTakeWave, btnAddStop, btnTakeStop})
        idle->setEnabled(false);
}

void ActionFrame::connectEnabledStates()
{
    auto followText = [](QLineEdit *field, std::initializer_list<QToolButton *> buttons, bool trimmed) {
        QObject::connect(field, &QLineEdit::textChanged, field, [buttons = std::vector<QToolButton *>(buttons),
                                                                 trimmed](const QString &text) {
            const bool hasText = !(trimmed ? text.trimmed() : text).isEmpty();
            for (QToolButton *button : buttons)
                button->setEnabled(hasText);
        });
    };
    followText(txtToSpeak, {btnAddSpeak, btnTakeSpeak}, true);
    followText(txtToThink, {btnAddThink, btnTakeThink}, true);
    followText(txtWaveFile, {btnPlayWave}, false);
}

void ActionFrame::fill(QLineEdit *field, const QString &text)
{
    field->setText(text);
    field->setModified(false);
    field->setCursorPosition(0); // a long text shows its beginning

}

bool ActionFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (!userLeftField(event))
        return QGroupBox::eventFilter(watched, event);
    if (watched == txtToSpeak)
        emit speakFieldLeft();
    else if (watched == txtToThink)
        emit thinkFieldLeft();
    else if (watched == txtLeft || watched == txtTop) {
        // A walk target must be a number: the user stays in the field until it is one.
        auto *field = static_cast<QLineEdit *>(watched);
        if (!field->text().isEmpty() && !isWholeNumberText(field->text()))
            QTimer::singleShot(0, field, [field] { field->setFocus(Qt::OtherFocusReason); });
    }
    return QGroupBox::eventFilter(watched, event);
}

} // namespace tilvano::ablaufwerk
