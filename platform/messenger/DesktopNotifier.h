#pragma once

#include <QString>

namespace tilvano::messenger {

// Where the messenger's own reaction to an event goes: a short note on the
// desktop. Both texts are plain text; implementations must not interpret them.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    virtual void notify(const QString &summary, const QString &body) = 0;
};

} // namespace tilvano::messenger
