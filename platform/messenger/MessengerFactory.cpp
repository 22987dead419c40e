#include "platform/messenger/MessengerFactory.h"

#include "platform/messenger/XmppMessengerFactory.h"
#include "system/ServiceRegistry.h"

namespace tilvano::messenger {

MessengerFactory &MessengerFactory::current()
{
    return ServiceRegistry::get<MessengerFactory>([] { return std::make_unique<XmppMessengerFactory>(); });
}

} // namespace tilvano::messenger
