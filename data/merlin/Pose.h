#pragma once

// One moment of the wizard: every part of the figure is placed by these numbers,
// so an animation is a short list of poses. Angles are in degrees.
namespace tilvano::merlin {

// Mouth shapes. The first seven are the speaking shapes in the order the
// character file numbers its mouth overlays; the rest are expressions.
enum class Mouth {
    Closed,
    Wide1,
    Wide2,
    Wide3,
    Wide4,
    Medium,
    Narrow,
    Smile,
    Grin,
    Frown,
    Oh,
    Flat,
};

enum class Eyes {
    Open,
    Happy,   // closed upward arcs, a contented smile of the eyes
    Closed,  // lids fully down (blink, sleep)
    Wide,    // surprised, whites larger
};

// What the wizard holds in his hands besides the wand.
enum class Prop {
    None,
    Book,        // open book held in both hands
    Quill,       // writing in the air on a small parchment
    Magnifier,   // magnifying glass in the left hand
    Scroll,      // unrolled scroll, announcements
};

// Signs floating beside the head.
enum class Sign {
    None,
    Question,
    Exclamation,
    Idea,        // light bulb
    ThoughtDots,
    Sleep,       // "Z z"
    Tear,
    Sweat,
    Heart,
    Music,
};

// An arm is two segments from the shoulder. Angles are absolute: 0 hangs straight
// down, positive swings away from the body, 180 points straight up, negative
// crosses in front of the body towards the other side.
struct Arm {
    double upper = 12;
    double fore = -30;

    bool operator==(const Arm &) const = default;
};

struct Pose {
    // Whole figure: offset in pixels, lean around the feet, scale around the
    // figure's centre (used when the wizard appears and vanishes).
    double offsetX = 0;
    double offsetY = 0;
    double lean = 0;
    double scale = 1;
    double squash = 0;   // > 0 flattens and widens the robe a little (landing, bow)

    double headTilt = 0;     // rotation of the head, positive clockwise
    double headTurn = 0;     // -1..1: face features slide towards the screen's left/right
    double headNod = 0;      // -1..1: face features slide up/down
    double hatTilt = 0;      // extra tilt of the hat on the head

    Eyes eyes = Eyes::Open;
    double eyelid = 0;       // 0 open .. 1 closed, ignored unless eyes are Open/Wide
    double lookX = 0;        // pupils, -1..1 on screen
    double lookY = 0;
    double brows = 0;        // -1 frowning .. +1 raised
    bool worried = false;    // inner brow ends raised (sad, uncertain)
    Mouth mouth = Mouth::Smile;
    bool blush = false;

    // Screen-left arm is the wizard's right arm; it holds the wand.
    Arm rightArm{14, -35};
    Arm leftArm{12, -40};
    bool wand = true;
    double wandAngle = 160;  // same convention as the arms, for the wizard's right hand
    double wandGlow = 0;     // 0..1: star tip shines
    int sparkles = 0;        // magic sparkles around the figure
    int sparklePhase = 0;    // picks where they sit, so frames can differ
    double puff = 0;         // 0..1: a cloud of magic smoke over the feet (appear/vanish)
    int streaks = 0;         // motion lines: 1 left, 2 right, 3 up, 4 down (screen directions)

    Prop prop = Prop::None;
    double propPhase = 0;    // page turn, quill stroke, ...
    Sign sign = Sign::None;
    double signPhase = 0;    // small bobbing of the sign

    bool operator==(const Pose &) const = default;
};

} // namespace tilvano::merlin
