#pragma once

#include "Pose.h"

#include "platform/acs/AcsModel.h"

#include <QList>
#include <QString>

#include <optional>

namespace tilvano::merlin {

// One frame of the plan: a pose (or nothing, for the invisible end-of-path
// frames), how long it shows, where it leaves to, and whether the wizard can
// speak on it (then it carries mouth overlays).
struct PlannedFrame {
    std::optional<Pose> pose;
    quint16 duration = 10;
    qint16 exitFrame = acs::NoExit;
    QList<acs::Branch> branches;
    bool speaking = false;
};

struct PlannedAnimation {
    QString name;
    acs::TransitionType transition = acs::TransitionType::None;
    QString returnAnimation;
    QList<PlannedFrame> frames;
};

struct AnimationPlan {
    QList<PlannedAnimation> animations;
    QList<acs::State> states;
};

// The wizard's whole repertoire: the standard animation names, each a short
// list of poses, and the states that pick among them.
AnimationPlan buildAnimationPlan();

// The pose the wizard rests in; every gesture finds its way back to it.
Pose restPose();

} // namespace tilvano::merlin
