#include "Ablaufwerk/MainForm.h"

#include "Ablaufwerk/AboutBox.h"
#include "Ablaufwerk/ActionFrame.h"
#include "Ablaufwerk/EditorHelp.h"
#include "Ablaufwerk/EditorIcons.h"
#include "Ablaufwerk/EditorSettings.h"
#include "Ablaufwerk/MacroLineEditing.h"
#include "Ablaufwerk/MacroListController.h"
#include "Ablaufwerk/WalkPositionCheck.h"
#include "AgentCtl/Agent.h"
#include "common/Twips.h"
#include "system/DialogService.h"
#include "system/SingleInstance.h"
#include "system/SystemServices.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <utility>

namespace tilvano::ablaufwerk {

namespace {

QString welcomeText()
{
    return QStringLiteral("Willkommen zum Ablaufwerk! Sie können meine Hilfe im Programm unter \"Hilfe\" aus- und "
                          "einschalten");
}

QToolButton *lineButton(QWidget *parent, const char *name, const QString &toolTip, QStyle::StandardPixmap icon)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setIconSize(QSize(16, 16));
    return button;
}

QRect twipsOf(const QWidget &window)
{
    return {pixelsToTwips(window.x()), pixelsToTwips(window.y()), pixelsToTwips(window.width()),
            pixelsToTwips(window.height())};
}

} // namespace

MainForm::MainForm(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(windowTitleText());
    setWindowIcon(QIcon(EditorIcons::emblem(64)));
    buildControls();
    buildToolBar();
    buildMenus();
    m_macroList = new MacroListController(
        MakroCombo, [this](const QString &text, bool showBox) { Inform(text, showBox); }, this);
    connectControls();
    m_geometry = designControlGeometry();
    resize(twipsSize(designWindowSize().width(), designWindowSize().height()));
    applyControlGeometry();
    updateStatus();
    qApp->installEventFilter(this);
}

MainForm::~MainForm()
{
    qApp->removeEventFilter(this);
}

// ---------------------------------------------------------------- building

void MainForm::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Datei"));
    mnuClose = file->addAction(QStringLiteral("&Beenden"), this, &QWidget::close);
    mnuClose->setObjectName(QStringLiteral("mnuClose"));

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    mnuKiboActive = help->addAction(QStringLiteral("&Tilvano hilft im Programm"));
    mnuKiboActive->setObjectName(QStringLiteral("mnuKiboActive"));
    mnuKiboActive->setCheckable(true);
    mnuKiboActive->setChecked(true);
    help->addSeparator();
    cmdHelpIndex = help->addAction(QStringLiteral("&Ablaufwerk"), this, &MainForm::openHelp);
    cmdHelpIndex->setObjectName(QStringLiteral("cmdHelpIndex"));
    cmdHelpIndex->setShortcut(QKeySequence::HelpContents);
    cmdAbout = help->addAction(QStringLiteral("&Über..."), this, &MainForm::showAbout);
    cmdAbout->setObjectName(QStringLiteral("cmdAbout"));

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    m_statusText = new QLabel(statusBar());
    statusBar()->addWidget(m_statusText, 1);
}

void MainForm::buildToolBar()
{
    Toolbar1 = new QToolBar(m_area);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setIconSize(QSize(20, 20));
    Toolbar1->setMovable(false);
    auto add = [this](const QString &tag, const QString &toolTip, QStyle::StandardPixmap icon) {
        QAction *action = Toolbar1->addAction(style()->standardIcon(icon), toolTip);
        action->setObjectName(tag);
        action->setData(tag);
        action->setToolTip(toolTip);
        return action;
    };
    m_newAction = add(QStringLiteral("new"), QStringLiteral("Neues Makro"), QStyle::SP_FileIcon);
    m_saveAction = add(QStringLiteral("save"), QStringLiteral("Das Makro speichern"), QStyle::SP_DialogSaveButton);
    m_runAction = add(QStringLiteral("run"), QStringLiteral("Das Makro ausführen (F5)"), QStyle::SP_MediaPlay);
    Toolbar1->move(0, 0);
    Toolbar1->resize(Toolbar1->sizeHint());
}

void MainForm::buildControls()
{
    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("workingArea"));
    setCentralWidget(m_area);

    MakroCombo = new QComboBox(m_area);
    MakroCombo->setObjectName(QStringLiteral("MakroCombo"));
    MakroCombo->setToolTip(QStringLiteral("vorhandenes Makro wählen"));
    MakroCombo->setMaxVisibleItems(25);
    btnDeleteMacro = lineButton(m_area, "btnDeleteMacro", QStringLiteral("ausgwähltes Makro löschen"),
                                QStyle::SP_TrashIcon);

    lstMacro = new QListWidget(m_area);
    lstMacro->setObjectName(QStringLiteral("lstMacro"));
    lstMacro->setToolTip(QStringLiteral("Die Zeilen des Makros"));
    lstMacro->setAlternatingRowColors(true);
    btnOrderUp = lineButton(m_area, "btnOrderUp", QStringLiteral("Zeile eine Position nach oben schieben"),
                            QStyle::SP_ArrowUp);
    btnOrderDown = lineButton(m_area, "btnOrderDown", QStringLiteral("Zeile eine Position nach unten schieben"),
                              QStyle::SP_ArrowDown);
    btnDeleteLine = lineButton(m_area, "btnDeleteLine", QStringLiteral("Zeile löschen"), QStyle::SP_DialogDiscardButton);
    for (QToolButton *button : {btnOrderUp, btnOrderDown, btnDeleteLine})
        button->setEnabled(false);

    RightFrame = new ActionFrame(m_area);
}

void MainForm::connectControls()
{
    connect(m_newAction, &QAction::triggered, m_macroList, &MacroListController::newMacro);
    connect(m_saveAction, &QAction::triggered, this, &MainForm::SaveMacro);
    connect(m_runAction, &QAction::triggered, this, &MainForm::RunMacro);
    connect(MakroCombo, &QComboBox::activated, m_macroList, &MacroListController::selectEntry);
    connect(btnDeleteMacro, &QToolButton::clicked, m_macroList, &MacroListController::deleteMacro);
    connect(m_macroList, &MacroListController::macroSelected, this, &MainForm::showSelectedMacro);
    connect(m_macroList, &MacroListController::newMacroBegun, this, [this] { showEmptiedMacro(true); });
    connect(m_macroList, &MacroListController::macroDeleted, this, [this] { showEmptiedMacro(false); });
    connect(m_macroList, &MacroListController::macroStored, this, &MainForm::updateStatus);

    connect(lstMacro, &QListWidget::currentRowChanged, this, [this] {
        if (!m_fillingLines)
            onLineSelected();
    });
    connect(lstMacro, &QListWidget::itemClicked, this, &MainForm::onLineSelected);
    connect(btnDeleteLine, &QToolButton::clicked, this, &MainForm::deleteLine);
    connect(btnOrderUp, &QToolButton::clicked, this, [this] { moveLine(-1); });
    connect(btnOrderDown, &QToolButton::clicked, this, [this] { moveLine(+1); });

    ActionFrame *frame = RightFrame;
    auto both = [this](QToolButton *insert, QToolButton *replace, void (MainForm::*take)(bool)) {
        connect(insert, &QToolButton::clicked, this, [this, take] { (this->*take)(false); });
        connect(replace, &QToolButton::clicked, this, [this, take] { (this->*take)(true); });
    };
    both(frame->btnAddAnimation, frame->btnTakeAni, &MainForm::takeAnimation);
    both(frame->btnAddSpeak, frame->btnTakeSpeak, &MainForm::takeSpeech);
    both(frame->btnAddThink, frame->btnTakeThink, &MainForm::takeThought);
    both(frame->btnAddWave, frame->btnTakeWave, &MainForm::takeWave);
    both(frame->btnAddMove, frame->btnTakeMove, &MainForm::takeWalk);
    both(frame->btnAddStop, frame->btnTakeStop, &MainForm::takeStop);
    connect(frame->btnTestAnimation, &QToolButton::clicked, this, &MainForm::testAnimation);
    connect(frame->btnPlayWave, &QToolButton::clicked, this, &MainForm::playWave);
    connect(frame->btnOpenWave, &QToolButton::clicked, this, &MainForm::openWave);
    connect(frame, &ActionFrame::speakFieldLeft, this, [this] { askApplyText(true); });
    connect(frame, &ActionFrame::thinkFieldLeft, this, [this] { askApplyText(false); });
}

// ---------------------------------------------------------------- start and close

bool MainForm::start(const QString &commandLine)
{
    // Two editors would each compact and overwrite the same macro slots.
    m_instance = std::make_unique<SingleInstance>(windowTitleText().toCaseFolded());
    switch (m_instance->acquire()) {
    case SingleInstance::Acquisition::Acquired:
        break;
    case SingleInstance::Acquisition::HeldElsewhere:
        m_instance.reset();
        SystemServices::dialogs().messageBox(QStringLiteral("Der Tilvano-Ablaufwerk läuft bereits"),
                                             QStringLiteral("Tilvano-Ablaufwerk"),
                                             DialogService::OkOnly | DialogService::Information);
        return false;
    case SingleInstance::Acquisition::Unavailable:
        // Nothing says another editor runs: refusing to start would lock the
        // user out for good. They are told what is wrong and asked to take care.
        SystemServices::dialogs().messageBox(
            QStringLiteral("Ob schon ein Ablaufwerk läuft, lässt sich nicht prüfen. ") + m_instance->lockProblem() +
                QStringLiteral("\r\nDas Ablaufwerk startet trotzdem. Bitte öffnen Sie es nicht ein zweites Mal, "
                               "sonst überschreiben sich die Makros gegenseitig."),
            QStringLiteral("Tilvano-Ablaufwerk"), DialogService::OkOnly | DialogService::Exclamation);
        m_instance.reset();
        break;
    }
    placeWindow();
    mnuKiboActive->setChecked(EditorSettings::helpingCharacter(mnuKiboActive->isChecked()));

    m_kibo = std::make_unique<Agent>();
    m_kibo->InitLastAgent();
    m_kibo->setMenuCaption(QStringLiteral("Ablaufwerk-Menü"));
    // Dragging the character to a place makes that place the walk target.
    connect(m_kibo.get(), &Agent::MoveEvent, this, [this](qint16 &x, qint16 &y, qint16 &) {
        RightFrame->txtLeft->setText(QString::number(x));
        RightFrame->txtTop->setText(QString::number(y));
    });

    const int wanted = m_macroList->loadStore(commandLine);
    fillAnimationList();
    if (wanted >= 0)
        m_macroList->selectEntry(wanted);
    if (RightFrame->AniCombo->count() > 0)
        RightFrame->AniCombo->setCurrentIndex(0);
    m_macroList->currentMacro()->setChanged(false);
    m_started = true;
    updateStatus();
    Inform(welcomeText(), false);
    return true;
}

void MainForm::placeWindow()
{
    const QRect stored = EditorSettings::placement(twipsOf(*this));
    // A size the window cannot take keeps the design size.
    const QSize storedSize = twipsSize(stored.width(), stored.height());
    if (storedSize.width() > 0 && storedSize.height() > 0 && storedSize.width() <= QWIDGETSIZE_MAX
        && storedSize.height() <= QWIDGETSIZE_MAX)
        resize(storedSize);
    // Where no place is stored yet, the window stands in the middle of the screen.
    const QPoint centred = screen()->availableGeometry().center() - QPoint(width() / 2, height() / 2);
    const QRect placed = EditorSettings::placement(
        QRect(pixelsToTwips(centred.x()), pixelsToTwips(centred.y()), stored.width(), stored.height()));
    move(twipsPoint(placed.left(), placed.top()));
    m_geometry = applyResizeRule(m_geometry, pixelsToTwips(this->size()));
    applyControlGeometry();
}

bool MainForm::CloseEditor() { return m_macroList->CloseEditor(); }

void MainForm::closeEvent(QCloseEvent *event)
{
    if (!m_started) {
        event->accept();
        return;
    }
    if (!CloseEditor()) {
        event->ignore();
        return;
    }
    saveSettings();
    m_started = false;
    m_kibo.reset();
    m_instance.reset();
    event->accept();
    emit editorClosed();
}

void MainForm::saveSettings()
{
    EditorSettings::saveAtClose(twipsOf(*this), mnuKiboActive->isChecked(), QCoreApplication::applicationFilePath());
}

bool MainForm::helpingCharacter() const { return mnuKiboActive->isChecked(); }

// ---------------------------------------------------------------- layout

void MainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    m_geometry = applyResizeRule(m_geometry, pixelsToTwips(size()));
    applyControlGeometry();
}

void MainForm::applyControlGeometry()
{
    const std::pair<QWidget *, QRect> placed[] = {
        {MakroCombo, m_geometry.makroCombo},   {btnDeleteMacro, m_geometry.btnDeleteMacro},
        {lstMacro, m_geometry.lstMacro},       {btnOrderUp, m_geometry.btnOrderUp},
        {btnOrderDown, m_geometry.btnOrderDown}, {btnDeleteLine, m_geometry.btnDeleteLine},
        {RightFrame, m_geometry.rightFrame},
    };
    for (const auto &[widget, rect] : placed)
        widget->setGeometry(twipsRect(rect.left(), rect.top(), rect.width(), rect.height()));
}

// ---------------------------------------------------------------- messages and running

void MainForm::Inform(const QString &text, bool showBox)
{
    if (mnuKiboActive->isChecked()) {
        QString spoken = text;
        // A message the character could not speak must not get lost.
        const bool said = m_kibo && m_kibo->SpeakIt(spoken);
        if (said || !showBox)
            return;
    }
    if (showBox)
        SystemServices::dialogs().messageBox(text, MacroListController::boxTitle(), DialogService::OkOnly);
}

void MainForm::RunMacro()
{
    if (!m_kibo)
        return;
    QString script = m_macroList->currentMacro()->Script();
    m_kibo->RunMacroText(script);
}

bool MainForm::SaveMacro() { return m_macroList->SaveMacro(); }

bool MainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F5 && !key->isAutoRepeat()) {
            RunMacro();
            return true; // once, not again for every parent it would travel to
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::fillAnimationList()
{
    RightFrame->AniCombo->clear();
    if (m_kibo)
        RightFrame->AniCombo->addItems(m_kibo->AnimationNames());
}

void MainForm::updateStatus()
{
    const auto &macro = m_macroList->currentMacro();
    const int lines = macro->colMacroLines()->Count();
    const QString name = macro->Key().isEmpty() ? QStringLiteral("Neues Makro")
                                                : QStringLiteral("Makro \u201e%1\u201c").arg(macro->Key());
    m_statusText->setText(QStringLiteral("%1 \u2013 %2 %3").arg(name).arg(lines).arg(lines == 1 ? QStringLiteral("Zeile")
                                                                                                   : QStringLiteral("Zeilen")));
}

// ---------------------------------------------------------------- the line list

void MainForm::RefreshLineList()
{
    const int remembered = lstMacro->currentRow();
    m_fillingLines = true;
    lstMacro->clear();
    for (const auto &line : *m_macroList->currentMacro()->colMacroLines())
        lstMacro->addItem(line->ShowLine());
    m_fillingLines = false;
    if (remembered >= 0 && remembered < lstMacro->count())
        selectLine(remembered);
    else
        onLineSelected();
    updateStatus();
}

int MainForm::selectedPosition() const { return lstMacro->currentRow() + 1; }

void MainForm::selectLine(int row)
{
    m_fillingLines = true;
    lstMacro->setCurrentRow(row);
    m_fillingLines = false;
    onLineSelected();
}

void MainForm::onLineSelected()
{
    const int row = lstMacro->currentRow();
    const auto line = m_macroList->currentMacro()->colMacroLines()->Item(row + 1);
    const bool selected = row >= 0 && line;
    for (QToolButton *button : {btnDeleteLine, btnOrderDown, btnOrderUp})
        button->setEnabled(selected);
    if (!selected)
        return;
    ActionFrame &frame = *RightFrame;
    ActionFrame::fill(frame.txtToSpeak, QString());
    ActionFrame::fill(frame.txtToThink, QString());
    ActionFrame::fill(frame.txtWaveFile, QString());
    const QString shown = lstMacro->item(row)->text();
    const QString data = line->Data();
    if (shown.startsWith(QLatin1String("Spreche:"))) {
        ActionFrame::fill(frame.txtToSpeak, data);
        frame.txtToSpeak->setEnabled(true);
    } else if (shown.startsWith(QLatin1String("Datei:"))) {
        ActionFrame::fill(frame.txtWaveFile, data);
        frame.txtWaveFile->setEnabled(true);
        frame.btnOpenWave->setEnabled(true);
    } else if (shown.startsWith(QLatin1String("Denke:"))) {
        ActionFrame::fill(frame.txtToThink, data);
        frame.txtToThink->setEnabled(true);
    } else if (shown.startsWith(QLatin1String("Gehe nach:"))) {
        QString position = data;
        position.remove(QStringLiteral("Gehe nach: "));
        const qsizetype comma = position.indexOf(QLatin1Char(','));
        frame.txtLeft->setText(comma >= 0 ? position.left(comma) : QString());
        frame.txtTop->setText(comma >= 0 ? position.mid(comma + 1, 5) : QString());
    } else if (shown.startsWith(QLatin1String("Animation:"))) {
        const int found = frame.AniCombo->findText(data, Qt::MatchFixedString);
        frame.AniCombo->setCurrentIndex(found >= 0 ? found : 0);
    }
    if (row == lstMacro->count() - 1)
        btnOrderDown->setEnabled(false);
    if (row == 0)
        btnOrderUp->setEnabled(false);
}

void MainForm::insertLine(const MacroStatement &line)
{
    AppendLine(*m_macroList->currentMacro(), line);
    m_fillingLines = true;
    lstMacro->addItem(line.showLine);
    m_fillingLines = false;
    selectLine(lstMacro->count() - 1);
    updateStatus();
}

void MainForm::replaceLine(const MacroStatement &line, const MacroStatement &whenAppended)
{
    const int position = selectedPosition();
    if (position == 0) {
        insertLine(whenAppended);
        return;
    }
    ReplaceLine(*m_macroList->currentMacro(), position, line);
    RefreshLineList();
}

void MainForm::deleteLine()
{
    const int position = selectedPosition();
    if (position == 0)
        return;
    DeleteLine(*m_macroList->currentMacro(), position);
    RefreshLineList();
    if (lstMacro->count() > 0)
        selectLine(lstMacro->count() - 1);
}

void MainForm::moveLine(int step)
{
    const int position = selectedPosition();
    auto &macro = *m_macroList->currentMacro();
    const bool moved = step < 0 ? MoveLineUp(macro, position) : MoveLineDown(macro, position);
    if (!moved)
        return;
    RefreshLineList();
    selectLine(position - 1 + step);
}

// ---------------------------------------------------------------- actions

void MainForm::takeAnimation(bool replace)
{
    const QString name = RightFrame->AniCombo->currentText();
    if (name.isEmpty())
        return;
    const MacroStatement line = animationStatement(name);
    replace ? replaceLine(line, line) : insertLine(line);
}

void MainForm::takeSpeech(bool replace)
{
    const MacroStatement line = speakStatement(RightFrame->txtToSpeak->text());
    replace ? replaceLine(line, line) : insertLine(line);
    RightFrame->txtToSpeak->setModified(false); // applied: leaving the field asks nothing
}

void MainForm::takeThought(bool replace)
{
    const MacroStatement line = thinkStatement(RightFrame->txtToThink->text());
    replace ? replaceLine(line, line) : insertLine(line);
    RightFrame->txtToThink->setModified(false);
}

void MainForm::takeWave(bool replace)
{
    const MacroStatement line = soundStatement(RightFrame->txtWaveFile->text());
    replace ? replaceLine(line, line) : insertLine(line);
}

void MainForm::takeWalk(bool replace)
{
    QLineEdit *leftField = RightFrame->txtLeft;
    QLineEdit *topField = RightFrame->txtTop;
    const QString left = leftField->text();
    const QString top = topField->text();
    if (const auto problem = checkWalkPosition(left, top, desktopArea())) {
        Inform(problem->message, true);
        (problem->field == WalkField::Left ? leftField : topField)->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (replace)
        replaceLine(walkReplacementStatement(left, top), walkStatement(left, top));
    else
        insertLine(walkStatement(left, top));
    RefreshLineList();
}

void MainForm::takeStop(bool replace)
{
    const MacroStatement line = stopStatement();
    replace ? replaceLine(line, line) : insertLine(line);
}

void MainForm::askApplyText(bool speaking)
{
    QLineEdit *field = speaking ? RightFrame->txtToSpeak : RightFrame->txtToThink;
    if (!field->isModified())
        return;
    field->setModified(false); // asked once, even if the box takes the focus again
    const int answer = SystemServices::dialogs().messageBox(QStringLiteral("Text wurde geändert, übernehmen?"),
                                                            MacroListController::boxTitle(),
                                                            DialogService::YesNo | DialogService::Question);
    const auto selected = m_macroList->currentMacro()->colMacroLines()->Item(selectedPosition());
    const QString kind = speaking ? QStringLiteral("Spreche:") : QStringLiteral("Denke:");
    const bool onSameKind = selected && selected->ShowLine().startsWith(kind);
    if (answer == DialogService::Yes) {
        // An emptied line is what was asked for, and an empty text is stored
        // like any other. Only a blank new line is refused, as its buttons are.
        if (onSameKind || !field->text().trimmed().isEmpty())
            speaking ? takeSpeech(onSameKind) : takeThought(onSameKind);
        else
            Inform(QStringLiteral("Ein leerer Text wird nicht als neue Zeile eingefügt."), true);
    } else {
        ActionFrame::fill(field, onSameKind ? selected->Data() : QString());
    }
    field->setModified(false);
}

void MainForm::testAnimation()
{
    if (!m_kibo)
        return;
    m_kibo->StopAll();
    m_kibo->PlayAni(RightFrame->AniCombo->currentText());
}

void MainForm::playWave()
{
    if (m_kibo)
        m_kibo->SpeakWave(RightFrame->txtWaveFile->text());
}

void MainForm::openWave()
{
    const QString path = SystemServices::dialogs().openFileName(QStringLiteral("Wave-Datei auswählen"),
                                                                QStringLiteral("Wave-Dateien (*.wav)"), QString());
    if (path.isEmpty())
        return; // cancelled: everything stays as it was
    RightFrame->txtWaveFile->setText(path);
    m_macroList->currentMacro()->setChanged(true);
    RightFrame->btnAddWave->setEnabled(true);
    RightFrame->btnTakeWave->setEnabled(true);
}

// ---------------------------------------------------------------- the macro list

void MainForm::showSelectedMacro()
{
    ActionFrame &frame = *RightFrame;
    ActionFrame::fill(frame.txtToSpeak, QString());
    RefreshLineList();
    for (QWidget *input : std::initializer_list<QWidget *>{frame.txtToSpeak, frame.AniCombo, frame.btnAddAnimation,
                                                           frame.btnTakeAni, frame.btnAddStop, frame.btnTakeStop,
                                                           frame.txtToThink})
        input->setEnabled(true);
}

void MainForm::showEmptiedMacro(bool keepInputEnabled)
{
    ActionFrame &frame = *RightFrame;
    frame.txtToSpeak->setEnabled(keepInputEnabled);
    frame.AniCombo->setEnabled(keepInputEnabled);
    ActionFrame::fill(frame.txtToSpeak, QString());
    if (keepInputEnabled)
        ActionFrame::fill(frame.txtToThink, QString());
    m_fillingLines = true;
    lstMacro->clear();
    m_fillingLines = false;
    for (QToolButton *button : {btnDeleteLine, btnOrderDown, btnOrderUp})
        button->setEnabled(false);
    frame.btnAddAnimation->setEnabled(true);
    if (keepInputEnabled) {
        frame.btnTakeAni->setEnabled(true);
        frame.txtToThink->setEnabled(true);
    }
    updateStatus();
}

// ---------------------------------------------------------------- help

void MainForm::openHelp() { EditorHelp::openHelpPage(); }

void MainForm::showAbout()
{
    AboutBox about(m_kibo.get(), this);
    about.exec();
}

} // namespace tilvano::ablaufwerk
