#pragma once

#include <QString>

namespace tilvano::agent {

// One queued request of a character, with the arguments it was made with.
struct AgentRequest {
    enum class Kind { Show, Hide, Speak, Think, Play, MoveTo, GestureAt };

    static AgentRequest of(Kind kind)
    {
        AgentRequest request;
        request.kind = kind;
        return request;
    }

    Kind kind = Kind::Play;
    bool fast = false;        // Show / Hide without their animation
    QString text;             // Speak / Think
    QString soundFile;        // Speak
    QString animation;        // Play
    int x = 0;                // MoveTo / GestureAt, screen pixels
    int y = 0;
    int durationMs = 1000;    // MoveTo: how long the walk takes
    qint16 cause = 0;         // Show / Hide: reported with the event
    quint64 owner = 0;        // the client that asked; 0 when the character serves one program only
};

} // namespace tilvano::agent
