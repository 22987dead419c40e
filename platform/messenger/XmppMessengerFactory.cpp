#include "platform/messenger/XmppMessengerFactory.h"

#include "platform/messenger/XmppMessenger.h"

namespace tilvano::messenger {

std::unique_ptr<Messenger> XmppMessengerFactory::createMessenger(ErrorInfo &error)
{
    return XmppMessenger::create(error);
}

} // namespace tilvano::messenger
