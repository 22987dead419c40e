#include "platform/messenger/MessengerFactory.h"

#include "platform/messenger/XmppMessengerFactory.h"

namespace tilvano::messenger {

namespace {

MessengerFactory *chosenFactory = nullptr;

} // namespace

MessengerFactory &MessengerFactory::current()
{
    static XmppMessengerFactory xmpp;
    return chosenFactory ? *chosenFactory : xmpp;
}

void MessengerFactory::setCurrent(MessengerFactory *factory)
{
    chosenFactory = factory;
}

} // namespace tilvano::messenger
