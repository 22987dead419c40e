#pragma once

#include "platform/messenger/DesktopNotifier.h"

namespace tilvano::messenger {

// Desktop notes through the session bus's notification service. The call is
// sent without waiting for an answer; without a bus or service nothing shows.
class FreedesktopNotifier : public DesktopNotifier {
public:
    void notify(const QString &summary, const QString &body) override;
};

} // namespace tilvano::messenger
