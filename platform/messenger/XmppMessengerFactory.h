#pragma once

#include "platform/messenger/MessengerFactory.h"

namespace tilvano::messenger {

// Creates the XMPP messenger for the stored account, with desktop notes.
class XmppMessengerFactory : public MessengerFactory {
public:
    std::unique_ptr<Messenger> createMessenger(ErrorInfo &error) override;
};

} // namespace tilvano::messenger
