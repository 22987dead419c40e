#pragma once

#include <QFont>

#include <optional>

namespace tilvano::agent {

// The service-wide settings the user changes in the settings dialog.
struct AgentSettings {
    bool speechOutput = true;          // characters speak aloud (else balloons only)
    bool soundEffects = true;          // characters' own sounds play with their frames
    std::optional<QFont> balloonFont;  // none: each character's own balloon font

    friend bool operator==(const AgentSettings &, const AgentSettings &) = default;
};

} // namespace tilvano::agent
