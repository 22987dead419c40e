#include "AnimationPlayer.h"

#include "AgentClock.h"
#include "RandomSource.h"

namespace tilvano::agent {

namespace {
// Frames of no duration may branch into each other; after this many in a row without time
// passing the animation is taken to have ended.
constexpr int MaxZeroDurationRun = 512;

bool isInvisible(const acs::Frame &frame) { return frame.layers.isEmpty() && frame.duration == 0; }
} // namespace

AnimationPlayer::AnimationPlayer(AnimationLookup lookup, AgentClock &clock, RandomSource &random, QObject *parent)
    : QObject(parent)
    , m_lookup(std::move(lookup))
    , m_clock(clock)
    , m_random(random)
{
}

AnimationPlayer::~AnimationPlayer() { cancel(); }

const acs::Frame *AnimationPlayer::shownFrame() const
{
    if (!m_shownAnimation || m_shownIndex < 0 || m_shownIndex >= m_shownAnimation->frames.size())
        return nullptr;
    return &m_shownAnimation->frames.at(m_shownIndex);
}

bool AnimationPlayer::play(const QString &name, std::function<void()> finished)
{
    const acs::Animation *animation = m_lookup ? m_lookup(name) : nullptr;
    if (!animation)
        return false;
    start(animation, std::move(finished));
    return true;
}

bool AnimationPlayer::showLastFrame(const QString &name)
{
    const acs::Animation *animation = m_lookup ? m_lookup(name) : nullptr;
    if (!animation)
        return false;
    cancel();
    m_animation = animation;
    m_lastShown = -1;
    for (int i = int(animation->frames.size()) - 1; i >= 0; --i) {
        if (!isInvisible(animation->frames.at(i))) {
            show(i);
            break;
        }
    }
    m_phase = Phase::Stopped;
    return true;
}

void AnimationPlayer::cancel()
{
    ++m_generation;
    if (m_timer)
        m_clock.cancel(m_timer);
    m_timer = 0;
    m_finished = {};
    if (m_phase != Phase::Stopped)
        m_phase = Phase::Stopped;
}

void AnimationPlayer::start(const acs::Animation *animation, std::function<void()> finished)
{
    cancel();
    m_animation = animation;
    m_finished = std::move(finished);
    m_phase = Phase::Playing;
    m_interrupted = false;
    m_zeroDurationRun = 0;
    m_current = -1;
    m_lastShown = -1;
    enterFrame(0);
}

void AnimationPlayer::show(int index)
{
    m_lastShown = index;
    m_shownAnimation = m_animation;
    m_shownIndex = index;
    const acs::Frame &frame = m_animation->frames.at(index);
    emit frameShown(m_animation, index);
    if (frame.soundIndex >= 0)
        emit soundCue(frame.soundIndex);
}

void AnimationPlayer::enterFrame(int index)
{
    if (index < 0 || index >= m_animation->frames.size()) {
        endNormally();
        return;
    }
    m_current = index;
    const acs::Frame &frame = m_animation->frames.at(index);
    if (!isInvisible(frame))
        show(index);
    if (frame.duration == 0) {
        if (++m_zeroDurationRun > MaxZeroDurationRun) {
            endNormally();
            return;
        }
    } else {
        m_zeroDurationRun = 0;
    }
    const quint64 generation = m_generation;
    m_timer = m_clock.callAfter(qint64(frame.duration) * 10, this, [this, generation, index]() {
        if (generation != m_generation)
            return;
        m_timer = 0;
        afterFrame(index);
    });
}

int AnimationPlayer::nextFrameAfter(int index)
{
    const acs::Frame &frame = m_animation->frames.at(index);
    if (frame.branches.isEmpty())
        return index + 1;
    const int draw = m_random.below(100);
    int sum = 0;
    for (const acs::Branch &branch : frame.branches) {
        sum += branch.probability;
        if (draw < sum)
            return branch.targetFrame; // out of range ends the animation in enterFrame()
    }
    return index + 1;
}

void AnimationPlayer::afterFrame(int index)
{
    const int next = nextFrameAfter(index);
    const bool loopsBack = next <= index;
    if (loopsBack && m_yieldCheck && m_yieldCheck()) {
        endInterrupted();
        return;
    }
    enterFrame(next);
}

void AnimationPlayer::endNormally()
{
    m_phase = Phase::Resting;
    m_interrupted = false;
    deliver(std::exchange(m_finished, {}));
}

void AnimationPlayer::endInterrupted()
{
    m_phase = Phase::Resting;
    m_interrupted = true;
    m_lastShown = m_current;
    deliver(std::exchange(m_finished, {}));
}

void AnimationPlayer::leave(std::function<void()> done)
{
    const Phase phase = m_phase;
    const acs::Animation *animation = m_animation;
    if (!animation || (phase != Phase::Playing && phase != Phase::Resting)) {
        if (phase == Phase::Leaving)
            cancel(); // a second leave replaces the first one's ending
        m_phase = Phase::Stopped;
        deliver(std::move(done));
        return;
    }
    const bool interrupted = phase == Phase::Playing || m_interrupted;
    const int from = phase == Phase::Playing ? (m_current >= 0 ? m_current : m_lastShown) : m_lastShown;
    cancel();
    m_phase = Phase::Leaving;

    const acs::TransitionType type = animation->transition;
    const QString returnName = animation->returnAnimation;
    auto playReturn = [this, returnName, done]() mutable {
        const acs::Animation *back = returnName.isEmpty() || !m_lookup ? nullptr : m_lookup(returnName);
        if (!back) {
            m_phase = Phase::Stopped;
            deliver(std::move(done));
            return;
        }
        start(back, [this, done = std::move(done)]() mutable {
            m_phase = Phase::Stopped;
            deliver(std::move(done));
        });
    };
    auto finishOnly = [this, done]() mutable {
        m_phase = Phase::Stopped;
        deliver(std::move(done));
    };

    if (interrupted) {
        if (type == acs::TransitionType::ReturnAnimation)
            runExitPath(from, 0, std::move(playReturn));
        else
            runExitPath(from, 0, std::move(finishOnly));
        return;
    }
    switch (type) {
    case acs::TransitionType::ReturnAnimation:
        playReturn();
        return;
    case acs::TransitionType::ExitBranches:
        runExitPath(from, 0, std::move(finishOnly));
        return;
    case acs::TransitionType::None:
        break;
    }
    finishOnly();
}

void AnimationPlayer::runExitPath(int from, int steps, std::function<void()> then)
{
    const int count = int(m_animation->frames.size());
    const int target = (from >= 0 && from < count) ? m_animation->frames.at(from).exitFrame : -1;
    // Any negative exit ends the path; so does the step cap, since exit chains can loop.
    if (steps >= count || target < 0 || target >= count) {
        then();
        return;
    }
    m_current = target;
    const acs::Frame &frame = m_animation->frames.at(target);
    if (!isInvisible(frame))
        show(target);
    const quint64 generation = m_generation;
    m_timer = m_clock.callAfter(qint64(frame.duration) * 10, this,
                                [this, generation, target, steps, then = std::move(then)]() mutable {
                                    if (generation != m_generation)
                                        return;
                                    m_timer = 0;
                                    runExitPath(target, steps + 1, std::move(then));
                                });
}

void AnimationPlayer::deliver(std::function<void()> callback)
{
    if (!callback)
        return;
    m_clock.callAfter(0, this, std::move(callback));
}

} // namespace tilvano::agent
