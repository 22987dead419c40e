#include "CharacterSession.h"

#include "AgentClock.h"
#include "AgentCodes.h"
#include "AgentTrace.h"
#include "Balloon.h"
#include "BalloonPlacement.h"
#include "CharacterWindow.h"
#include "RandomSource.h"

#include "platform/sound/AudioPlayer.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace tilvano::agent {

namespace {
constexpr int WalkStepMs = 40;
constexpr int DefaultWalkMs = 1000;
constexpr int MaxSide = 4096;

ErrorInfo failure(qint32 number, const QString &description)
{
    return ErrorInfo{number, QStringLiteral("AgentCharacter"), description, 0};
}

QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

qint16 buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton:
        return MouseButtonCode::Right;
    case Qt::MiddleButton:
        return MouseButtonCode::Middle;
    default:
        return MouseButtonCode::Left;
    }
}

qint16 shiftCode(Qt::KeyboardModifiers modifiers)
{
    qint16 code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= ShiftCode::Shift;
    if (modifiers & Qt::ControlModifier)
        code |= ShiftCode::Control;
    if (modifiers & Qt::AltModifier)
        code |= ShiftCode::Alt;
    return code;
}
} // namespace

CharacterSession::CharacterSession(const QString &id, acs::AcsReader reader, const CharacterServices &services,
                                   QObject *parent)
    : DescribedCharacter(parent)
    , m_id(id)
    , m_reader(std::move(reader))
    , m_clock(services.clock)
    , m_random(services.random)
    , m_trace(services.trace)
    , m_settings(services.settings)
    , m_renderer(m_reader.info())
    , m_player([this](const QString &name) { return m_reader.animation(name); }, services.clock, services.random,
               this)
    , m_sentences(services.clock, services.random, services.synthesizer, this)
    , m_idle(services.clock, services.idle, this)
    , m_voice(m_reader.info().voice, services.synthesizer)
    , m_commands(this)
    , m_window(new CharacterWindow)
    , m_balloon(new Balloon)
{
    const acs::CharacterInfo &info = m_reader.info();
    m_size = QSize(std::max<int>(1, info.width), std::max<int>(1, info.height));
    m_commands.setCaption(name());

    // A new character stands near the bottom right corner of the desktop until told otherwise.
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QRect area = primary ? primary->availableGeometry() : QRect();
    m_position = area.isValid() ? keepInside(QRect(area.bottomRight() - QPoint(m_size.width() + 40, m_size.height() + 80), m_size), area).topLeft()
                                : QPoint(0, 0);
    m_window->setWindowTitle(name());
    applyGeometry();
    m_balloon->setLook(info.balloon.value_or(acs::BalloonInfo{}), balloonFont());

    m_player.setYieldCheck([this]() { return !m_queue.isEmpty(); });
    connect(&m_player, &AnimationPlayer::frameShown, this, [this]() { redraw(); });
    connect(&m_player, &AnimationPlayer::soundCue, this, &CharacterSession::playSound);
    connect(&m_sentences, &SentencePlayer::started, this, &CharacterSession::showSentence);
    connect(&m_sentences, &SentencePlayer::wordReached, this, [this](qsizetype shownUpTo) {
        if (m_revealWords)
            m_balloon->revealUpTo(shownUpTo);
    });
    connect(&m_sentences, &SentencePlayer::mouthChanged, this, [this]() { redraw(); });
    connect(&m_sentences, &SentencePlayer::finished, this, &CharacterSession::sentenceEnded);
    connect(&m_idle, &IdleScheduler::idleStarted, this, &CharacterSession::idleStarted);
    connect(&m_idle, &IdleScheduler::animationWanted, this, &CharacterSession::playIdle);

    connect(m_window, &CharacterWindow::clicked, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
        emit clicked(buttonCode(button), shiftCode(modifiers), at);
    });
    connect(m_window, &CharacterWindow::doubleClicked, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
                emit doubleClicked(buttonCode(button), shiftCode(modifiers), at);
            });
    connect(m_window, &CharacterWindow::dragged, this, [this](QPoint topLeft) { setPosition(topLeft); });
    connect(m_window, &CharacterWindow::dragFinished, this, [this](QPoint topLeft) {
        setPosition(topLeft);
        emit moved(m_position, MoveCause::UserMoved);
    });
    connect(m_window, &CharacterWindow::menuRequested, this, [this](QPoint at) {
        const QList<CommandMenuEntry> entries = menuEntries();
        QStringList captions;
        for (const CommandMenuEntry &entry : entries) {
            if (!entry.isSeparator())
                captions << (entry.checked ? QStringLiteral("*") : QString()) + entry.caption;
        }
        m_trace.record(QStringLiteral("Menu"), m_id, captions);
        QMenu *menu = CommandMenu::build(entries, nullptr);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        connect(menu, &QMenu::triggered, this, [this](QAction *action) { chooseMenuEntry(action->data().toString()); });
        menu->popup(at);
    });
}

CharacterSession::~CharacterSession()
{
    ++m_token;
    m_sentences.stop();
    delete m_balloon;
    delete m_window;
}

// ---- requests -------------------------------------------------------------------------------

ErrorInfo CharacterSession::enqueue(const AgentRequest &request, const QString &traceName, const QStringList &arguments)
{
    m_trace.record(traceName, m_id, arguments);
    AgentRequest owned = request;
    owned.owner = m_requestOwner;
    m_queue.enqueue(owned);
    if (!m_current)
        startNext();
    return {};
}

ErrorInfo CharacterSession::show(bool fast)
{
    AgentRequest request = AgentRequest::of(AgentRequest::Kind::Show);
    request.fast = fast;
    request.cause = VisibilityCause::ProgramShowed;
    return enqueue(request, QStringLiteral("Show"), {boolText(fast)});
}

ErrorInfo CharacterSession::hide(bool fast)
{
    AgentRequest request = AgentRequest::of(AgentRequest::Kind::Hide);
    request.fast = fast;
    request.cause = VisibilityCause::ProgramHid;
    return enqueue(request, QStringLiteral("Hide"), {boolText(fast)});
}

ErrorInfo CharacterSession::speak(const QString &text, const QString &soundFile)
{
    AgentRequest request = AgentRequest::of(AgentRequest::Kind::Speak);
    request.text = text;
    request.soundFile = soundFile;
    return enqueue(request, QStringLiteral("Speak"), {text, soundFile});
}

ErrorInfo CharacterSession::think(const QString &text)
{
    AgentRequest request = AgentRequest::of(AgentRequest::Kind::Think);
    request.text = text;
    return enqueue(request, QStringLiteral("Think"), {text});
}

ErrorInfo CharacterSession::play(const QString &animation)
{
    if (!m_reader.animation(animation)) {
        m_trace.record(QStringLiteral("Play"), m_id, {animation, QStringLiteral("unknown")});
        return failure(AgentErrorUnknownAnimation, QStringLiteral("Die Figur hat keine Animation \"%1\".").arg(animation));
    }
    AgentRequest request = AgentRequest::of(AgentRequest::Kind::Play);
    request.animation = animation;
    return enqueue(request, QStringLiteral("Play"), {animation});
}

ErrorInfo CharacterSession::moveTo(qint16 x, qint16 y, std::optional<qint32> speed)
{
    AgentRequest request = AgentRequest::of(AgentRequest::Kind::MoveTo);
    request.x = x;
    request.y = y;
    request.durationMs = std::clamp<qint32>(speed.value_or(DefaultWalkMs), 0, 60000);
    return enqueue(request, QStringLiteral("MoveTo"),
                   {QString::number(x), QString::number(y), speed ? QString::number(*speed) : QString()});
}

ErrorInfo CharacterSession::gestureAt(qint16 x, qint16 y)
{
    AgentRequest request = AgentRequest::of(AgentRequest::Kind::GestureAt);
    request.x = x;
    request.y = y;
    return enqueue(request, QStringLiteral("GestureAt"), {QString::number(x), QString::number(y)});
}

ErrorInfo CharacterSession::stop()
{
    m_trace.record(QStringLiteral("Stop"), m_id);
    if (!m_current || !ownsCurrentRequest())
        return {};
    abortActivity();
    m_current.reset();
    ++m_token;
    if (!m_queue.isEmpty()) {
        startNext();
        return {};
    }
    // Stopping ends the pose too: its way back (exit path or return animation) runs now.
    const quint64 token = m_token;
    m_player.leave(guarded(token, [this]() { scheduleIdle(); }));
    return {};
}

ErrorInfo CharacterSession::stopAll()
{
    m_trace.record(QStringLiteral("StopAll"), m_id);
    if (m_requestOwner == 0)
        m_queue.clear();
    else
        m_queue.removeOwnedBy(m_requestOwner);
    if (!m_current || !ownsCurrentRequest())
        return {};
    abortActivity();
    m_current.reset();
    const quint64 token = ++m_token;
    m_player.leave(guarded(token, [this]() { scheduleIdle(); }));
    return {};
}

bool CharacterSession::isVisible() const
{
    using Kind = AgentRequest::Kind;
    const AgentRequest *last = m_queue.lastOf({Kind::Show, Kind::Hide});
    if (!last && m_current && (m_current->kind == Kind::Show || m_current->kind == Kind::Hide))
        last = &*m_current;
    return last ? last->kind == Kind::Show : m_visible;
}

std::function<void()> CharacterSession::guarded(quint64 token, std::function<void()> step)
{
    return [this, token, step = std::move(step)]() {
        if (token == m_token)
            step();
    };
}

void CharacterSession::startNext()
{
    std::optional<AgentRequest> next = m_queue.takeNext();
    ++m_token;
    m_idle.wake();
    if (!next) {
        m_current.reset();
        scheduleIdle();
        return;
    }
    m_current = *next;
    const AgentRequest request = *next; // m_current may change while it runs
    run(request);
}

void CharacterSession::finishCurrent(quint64 token)
{
    if (token != m_token)
        return;
    m_current.reset();
    // The next request starts from the clock, not from inside this one's last step, so that
    // a long run of requests that end at once cannot pile up on the stack.
    const quint64 next = ++m_token;
    m_clock.callAfter(0, this, guarded(next, [this]() { startNext(); }));
}

void CharacterSession::run(const AgentRequest &request)
{
    const quint64 token = m_token;
    auto done = guarded(token, [this, token]() { finishCurrent(token); });
    switch (request.kind) {
    case AgentRequest::Kind::Show:
        runShow(request, token);
        return;
    case AgentRequest::Kind::Hide:
        runHide(request, token);
        return;
    case AgentRequest::Kind::Speak:
        runSpeak(request, token, false);
        return;
    case AgentRequest::Kind::Think:
        runSpeak(request, token, true);
        return;
    case AgentRequest::Kind::Play:
        m_player.leave(guarded(token, [this, name = request.animation, done]() {
            if (!m_player.play(name, done))
                done();
        }));
        return;
    case AgentRequest::Kind::MoveTo:
        runMove(request, token);
        return;
    case AgentRequest::Kind::GestureAt:
        runGesture(request, token);
        return;
    }
}

void CharacterSession::abortActivity()
{
    m_sentences.stop();
    hideBalloon();
}

// ---- show and hide --------------------------------------------------------------------------

void CharacterSession::runShow(const AgentRequest &request, quint64 token)
{
    auto done = guarded(token, [this, token]() { finishCurrent(token); });
    if (m_visible) {
        m_clock.callAfter(0, this, done);
        return;
    }
    m_visible = true;
    applyGeometry();
    // The first frame is drawn before the window appears, so no stale pose flashes up.
    const QString showing = request.fast ? QString() : stateAnimation(QStringLiteral("SHOWING"));
    const bool animated = !showing.isEmpty() && m_player.play(showing, done);
    if (!animated) {
        m_player.cancel();
        showRestPose();
    }
    m_window->show();
    emit shown(request.cause);
    if (!animated)
        m_clock.callAfter(0, this, done);
}

void CharacterSession::runHide(const AgentRequest &request, quint64 token)
{
    auto finish = guarded(token, [this, token, cause = request.cause]() {
        // What the hiding animation would do on leaving makes no sense once the window is gone.
        m_player.cancel();
        m_window->hide();
        m_visible = false;
        emit hidden(cause);
        finishCurrent(token);
    });
    if (!m_visible) {
        m_clock.callAfter(0, this, guarded(token, [this, token]() { finishCurrent(token); }));
        return;
    }
    hideBalloon();
    const QString hiding = stateAnimation(QStringLiteral("HIDING"));
    if (request.fast || hiding.isEmpty()) {
        finish();
        return;
    }
    m_player.leave(guarded(token, [this, hiding, finish]() {
        if (!m_player.play(hiding, finish))
            finish();
    }));
}

// ---- speaking and thinking ------------------------------------------------------------------

void CharacterSession::runSpeak(const AgentRequest &request, quint64 token, bool thought)
{
    const acs::Frame *pose = m_player.shownFrame();
    // Thinking needs no mouth; speaking needs a pose with mouth overlays, which the SPEAKING
    // state's animation provides when the current pose has none.
    if (thought || (pose && !pose->overlays.isEmpty() && !m_player.isPlaying())) {
        beginSentence(request, thought);
        return;
    }
    const QString speaking = stateAnimation(QStringLiteral("SPEAKING"));
    m_player.leave(guarded(token, [this, request, token, speaking]() {
        auto begin = guarded(token, [this, request]() { beginSentence(request, false); });
        if (speaking.isEmpty() || !m_player.play(speaking, begin))
            begin();
    }));
}

void CharacterSession::beginSentence(const AgentRequest &request, bool thought)
{
    m_sentences.start(request.text, request.soundFile, thought, m_voice.forSentence(m_settings.speechOutput));
}

void CharacterSession::showSentence(const Sentence &sentence, bool thought)
{
    const acs::CharacterInfo &info = m_reader.info();
    const bool balloonWanted = !sentence.text.isEmpty() && m_visible && !(info.flags & acs::CharacterFlag::BalloonDisabled);
    const bool paced = !(info.flags & acs::CharacterFlag::BalloonNoAutoPace);
    m_revealWords = balloonWanted && paced;
    if (!balloonWanted)
        return;
    m_balloon->setLook(info.balloon.value_or(acs::BalloonInfo{}), balloonFont());
    m_balloon->setSentence(thought ? Balloon::Kind::Thought : Balloon::Kind::Speech, sentence.text);
    m_balloon->revealUpTo(paced ? 0 : sentence.text.size());
    m_balloon->placeBeside(QRect(m_position, m_size));
    if (!m_balloon->isVisible()) {
        m_balloon->show();
        emit balloonShown();
    }
}

void CharacterSession::sentenceEnded()
{
    if (!(m_reader.info().flags & acs::CharacterFlag::BalloonNoAutoHide))
        hideBalloon();
    finishCurrent(m_token);
}

void CharacterSession::hideBalloon()
{
    if (!m_balloon->isVisible())
        return;
    m_balloon->hide();
    emit balloonHidden();
}

// ---- moving and gesturing -------------------------------------------------------------------

void CharacterSession::runMove(const AgentRequest &request, quint64 token)
{
    const QPoint target = keepOnScreens(QRect(QPoint(request.x, request.y), m_size), screenGeometries()).topLeft();
    auto arrive = guarded(token, [this, token, target]() {
        setPosition(target);
        emit moved(m_position, MoveCause::ProgramMoved);
        finishCurrent(token);
    });
    if (!m_visible || request.durationMs <= 0 || target == m_position) {
        m_clock.callAfter(0, this, arrive);
        return;
    }
    const QPoint delta = target - m_position;
    QString state;
    if (std::abs(delta.x()) >= std::abs(delta.y()))
        state = delta.x() > 0 ? QStringLiteral("MOVINGRIGHT") : QStringLiteral("MOVINGLEFT");
    else
        state = delta.y() > 0 ? QStringLiteral("MOVINGDOWN") : QStringLiteral("MOVINGUP");
    const QString walking = stateAnimation(state);
    const QPoint from = m_position;
    m_player.leave(guarded(token, [this, walking, from, target, request, token]() {
        if (!walking.isEmpty())
            m_player.play(walking);
        walkStep(from, target, m_clock.nowMs(), request.durationMs, token);
    }));
}

void CharacterSession::walkStep(QPoint from, QPoint to, qint64 startMs, qint64 durationMs, quint64 token)
{
    const qint64 elapsed = m_clock.nowMs() - startMs;
    if (elapsed >= durationMs) {
        setPosition(to);
        m_player.leave(guarded(token, [this, token]() {
            emit moved(m_position, MoveCause::ProgramMoved);
            finishCurrent(token);
        }));
        return;
    }
    const double share = double(elapsed) / double(durationMs);
    setPosition(from + (to - from) * share);
    m_clock.callAfter(WalkStepMs, this,
                                guarded(token, [this, from, to, startMs, durationMs, token]() { walkStep(from, to, startMs, durationMs, token); }));
}

void CharacterSession::runGesture(const AgentRequest &request, quint64 token)
{
    auto done = guarded(token, [this, token]() { finishCurrent(token); });
    const QPoint centre = QRect(m_position, m_size).center();
    const QPoint delta = QPoint(request.x, request.y) - centre;
    QString state;
    // The character faces the user: a point to the screen's left is on the character's right.
    if (std::abs(delta.x()) >= std::abs(delta.y()))
        state = delta.x() < 0 ? QStringLiteral("GESTURINGRIGHT") : QStringLiteral("GESTURINGLEFT");
    else
        state = delta.y() < 0 ? QStringLiteral("GESTURINGUP") : QStringLiteral("GESTURINGDOWN");
    const QString gesture = stateAnimation(state);
    if (gesture.isEmpty()) {
        m_clock.callAfter(0, this, done);
        return;
    }
    m_player.leave(guarded(token, [this, gesture, done]() {
        if (!m_player.play(gesture, done))
            done();
    }));
}

// ---- idling ---------------------------------------------------------------------------------

void CharacterSession::scheduleIdle()
{
    if (!m_idleOn || !m_visible || m_current || !m_queue.isEmpty())
        return;
    m_idle.rest();
}

void CharacterSession::playIdle(int level)
{
    const QString idle = stateAnimation(QStringLiteral("IDLINGLEVEL%1").arg(level));
    if (idle.isEmpty()) {
        m_idle.animationEnded(false);
        return;
    }
    const quint64 token = m_token;
    m_player.leave(guarded(token, [this, idle, token]() {
        auto ended = guarded(token, [this]() { m_idle.animationEnded(); });
        if (!m_player.play(idle, ended))
            ended();
    }));
}

void CharacterSession::setIdleOn(bool on)
{
    m_trace.record(QStringLiteral("IdleOn"), m_id, {boolText(on)});
    if (m_idleOn == on)
        return;
    m_idleOn = on;
    if (m_current)
        return;
    ++m_token; // ends idling, or restarts the wait for it
    m_idle.wake();
    if (on)
        scheduleIdle();
}

// ---- drawing, sound, geometry ---------------------------------------------------------------

QString CharacterSession::stateAnimation(const QString &state)
{
    const acs::State *found = m_reader.state(state);
    if (!found)
        return {};
    QStringList usable;
    for (const QString &name : found->animations) {
        if (m_reader.animation(name))
            usable.append(name);
    }
    if (usable.isEmpty())
        return {};
    return usable.at(m_random.below(int(usable.size())));
}

void CharacterSession::showRestPose()
{
    if (m_player.showLastFrame(QStringLiteral("RestPose")))
        return;
    const QString showing = stateAnimation(QStringLiteral("SHOWING"));
    if (!showing.isEmpty() && m_player.showLastFrame(showing))
        return;
    if (!m_reader.animations().isEmpty())
        m_player.showLastFrame(m_reader.animations().first().name);
}

void CharacterSession::redraw()
{
    const acs::Frame *frame = m_player.shownFrame();
    if (!frame)
        return;
    std::optional<acs::MouthType> mouth;
    if (const std::optional<acs::MouthType> wanted = m_sentences.mouth()) {
        if (const acs::MouthOverlay *overlay = acs::AcsFrameRenderer::overlayFor(*frame, *wanted))
            mouth = overlay->type;
    }
    m_window->setFrame(m_renderer.render(*frame, acs::AcsFrameRenderer::sourceFor(m_reader), mouth));
}

void CharacterSession::playSound(int soundIndex)
{
    if (!soundEffectsOn())
        return;
    const sound::PcmAudio *audio = m_reader.sound(soundIndex);
    if (!audio)
        return;
    if (!m_effectsAudio)
        m_effectsAudio = new sound::AudioPlayer(this);
    m_effectsAudio->play(*audio);
}

void CharacterSession::setPosition(QPoint topLeft)
{
    m_position = keepOnScreens(QRect(topLeft, m_size), screenGeometries()).topLeft();
    applyGeometry();
    if (m_balloon->isVisible())
        m_balloon->placeBeside(QRect(m_position, m_size));
}

void CharacterSession::applyGeometry() { m_window->setGeometry(QRect(m_position, m_size)); }

void CharacterSession::setLeft(qint16 left)
{
    m_trace.record(QStringLiteral("Left"), m_id, {QString::number(left)});
    setPosition(QPoint(left, m_position.y()));
}

void CharacterSession::setTop(qint16 top)
{
    m_trace.record(QStringLiteral("Top"), m_id, {QString::number(top)});
    setPosition(QPoint(m_position.x(), top));
}

void CharacterSession::setWidth(qint16 width)
{
    m_trace.record(QStringLiteral("Width"), m_id, {QString::number(width)});
    m_size.setWidth(std::clamp<int>(width, 1, MaxSide));
    setPosition(m_position);
    redraw();
}

void CharacterSession::setHeight(qint16 height)
{
    m_trace.record(QStringLiteral("Height"), m_id, {QString::number(height)});
    m_size.setHeight(std::clamp<int>(height, 1, MaxSide));
    setPosition(m_position);
    redraw();
}

// ---- voice and description ------------------------------------------------------------------

qint32 CharacterSession::speed() const { return m_voice.speed(); }

qint32 CharacterSession::pitch() const { return m_voice.pitch(); }

ErrorInfo CharacterSession::setLanguageId(qint32 languageId)
{
    m_trace.record(QStringLiteral("LanguageID"), m_id, {QString::number(languageId)});
    return m_voice.setLanguageId(languageId);
}

QString CharacterSession::ttsModeId() const { return m_voice.modeId(); }

ErrorInfo CharacterSession::setTtsModeId(const QString &modeId)
{
    m_trace.record(QStringLiteral("TTSModeID"), m_id, {modeId});
    return m_voice.setModeId(modeId);
}

QString CharacterSession::name() const
{
    const acs::LocalizedInfo *info = m_reader.localizedInfo(quint16(m_voice.languageId()));
    return info ? info->name : QString();
}

QString CharacterSession::description() const
{
    const acs::LocalizedInfo *info = m_reader.localizedInfo(quint16(m_voice.languageId()));
    return info ? info->description : QString();
}

QString CharacterSession::extraData() const
{
    const acs::LocalizedInfo *info = m_reader.localizedInfo(quint16(m_voice.languageId()));
    return info ? info->extraData : QString();
}

QString CharacterSession::guid() const { return m_reader.info().guid.toString(QUuid::WithBraces).toUpper(); }

QString CharacterSession::version() const
{
    return QStringLiteral("%1.%2").arg(m_reader.info().majorVersion).arg(m_reader.info().minorVersion);
}

bool CharacterSession::soundEffectsOn() const { return m_settings.soundEffects; }

QStringList CharacterSession::animationNames() const
{
    QStringList names;
    for (const acs::Animation &animation : m_reader.animations())
        names.append(animation.name);
    return names;
}

// ---- menu and settings ----------------------------------------------------------------------

QList<CommandMenuEntry> CharacterSession::menuEntries() const
{
    return m_menuSource ? m_menuSource->menuEntries() : CommandMenu::entries(m_commands);
}

void CharacterSession::chooseMenuEntry(const QString &name)
{
    if (name == CommandMenu::HideCommandName) {
        stopAll();
        AgentRequest request = AgentRequest::of(AgentRequest::Kind::Hide);
        request.cause = VisibilityCause::UserHidViaMenu;
        enqueue(request, QStringLiteral("Hide"), {boolText(false)});
        return;
    }
    if (m_menuSource) {
        m_menuSource->menuEntryChosen(name);
        return;
    }
    if (name != CommandMenu::SettingsCommandName) {
        const std::optional<AgentCommandEntry> command = m_commands.entry(name);
        if (!command || !command->enabled)
            return;
    }
    // A pick from the menu is certain and has no runner-up.
    emit commandChosen(AgentUserInput{m_id, name, 100, QString(), 0});
}

QFont CharacterSession::balloonFont() const
{
    if (m_settings.balloonFont)
        return *m_settings.balloonFont;
    const acs::BalloonInfo look = m_reader.info().balloon.value_or(acs::BalloonInfo{});
    QFont font(look.fontName);
    // Negative heights are character heights in pixels; positive ones include the leading.
    font.setPixelSize(std::clamp(std::abs(look.fontHeight), 6, 72));
    font.setWeight(QFont::Weight(std::clamp(look.fontWeight, 100, 900)));
    font.setItalic(look.italic);
    return font;
}

void CharacterSession::settingsChanged()
{
    m_balloon->setLook(m_reader.info().balloon.value_or(acs::BalloonInfo{}), balloonFont());
}

} // namespace tilvano::agent
