#pragma once

#include "platform/acs/AcsModel.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tilvano::agent {

class AgentClock;
class RandomSource;

// Plays the animations of one character frame by frame on the service clock.
//
// A frame stays for its duration; afterwards its probability branches pick the next frame.
// Frames without layers and without duration are passed through unseen. When an animation
// ends the character holds its last pose, and what the animation's author wanted to happen
// on leaving it (its exit branches, or its return animation) is deferred until leave() is
// called, which the owner does right before the next animation or when the character is
// stopped or hidden. An animation that loops forever gives way when yieldCheck says that
// something else is waiting: it is then left like an interrupted one.
class AnimationPlayer : public QObject
{
    Q_OBJECT

public:
    using AnimationLookup = std::function<const acs::Animation *(const QString &name)>;

    AnimationPlayer(AnimationLookup lookup, AgentClock &clock, RandomSource &random, QObject *parent = nullptr);
    ~AnimationPlayer() override;

    void setYieldCheck(std::function<bool()> check) { m_yieldCheck = std::move(check); }

    // Starts the animation (any case). `finished` runs once its end is reached; an animation
    // that loops and never yields never finishes. False (and nothing runs) when unknown.
    bool play(const QString &name, std::function<void()> finished = {});
    // Shows the animation's last visible frame at once, as if it had just been played.
    bool showLastFrame(const QString &name);
    // Runs the deferred leaving step of the current or last animation, then `done`.
    void leave(std::function<void()> done);
    // Drops every pending step at once; the shown frame stays.
    void cancel();

    bool isPlaying() const { return m_phase == Phase::Playing || m_phase == Phase::Leaving; }
    const acs::Animation *animation() const { return m_animation; }
    // The frame on screen, which may belong to an earlier animation when the current one
    // has shown nothing yet.
    const acs::Animation *shownAnimation() const { return m_shownAnimation; }
    int shownFrameIndex() const { return m_shownIndex; }
    const acs::Frame *shownFrame() const;

signals:
    // A frame became visible (also frames of exit paths and return animations).
    void frameShown(const tilvano::acs::Animation *animation, int frameIndex);
    // The frame just shown starts a sound of the character.
    void soundCue(int soundIndex);

private:
    enum class Phase { Stopped, Playing, Resting, Leaving };

    void start(const acs::Animation *animation, std::function<void()> finished);
    void enterFrame(int index);
    void afterFrame(int index);
    int nextFrameAfter(int index);
    void endNormally();
    void endInterrupted();
    void runExitPath(int from, int steps, std::function<void()> then);
    void show(int index);
    void deliver(std::function<void()> callback);

    AnimationLookup m_lookup;
    AgentClock &m_clock;
    RandomSource &m_random;
    std::function<bool()> m_yieldCheck;

    Phase m_phase = Phase::Stopped;
    const acs::Animation *m_animation = nullptr;
    int m_current = -1;     // frame being played
    int m_lastShown = -1;   // last frame of m_animation actually drawn: where exit paths start
    const acs::Animation *m_shownAnimation = nullptr;
    int m_shownIndex = -1;
    bool m_interrupted = false;
    int m_zeroDurationRun = 0;
    int m_timer = 0;
    quint64 m_generation = 0; // callbacks of a cancelled run see a stale generation
    std::function<void()> m_finished;
};

} // namespace tilvano::agent
