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

    // The factory pages use: the XMPP messenger for the stored account unless
    // another one was set. Setting null goes back to that one. The factory set
    // is not owned and must outlive its use.
    static MessengerFactory &current();
    static void setCurrent(MessengerFactory *factory);
};

} // namespace tilvano::messenger
