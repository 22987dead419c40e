#pragma once

#include "common/ErrorInfo.h"
#include "platform/messenger/Messenger.h"

#include <memory>

namespace tilvano::messenger {

// How a page comes by its messenger object, so that it can be handed a
// double in tests. A failure leaves its number and description in error.
class MessengerFactory {
public:
    virtual ~MessengerFactory() = default;
    virtual std::unique_ptr<Messenger> createMessenger(ErrorInfo &error) = 0;

    // The factory pages use, as found in the ServiceRegistry: a test's double
    // where one was put in place, else the XMPP messenger for the stored account.
    static MessengerFactory &current();
};

} // namespace tilvano::messenger
