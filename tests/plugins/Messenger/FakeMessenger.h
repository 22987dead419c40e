#pragma once

#include "platform/messenger/Messenger.h"
#include "platform/messenger/MessengerFactory.h"
#include "system/ServiceRegistry.h"

#include <QPointer>

namespace tilvano::test {

// A messenger that raises whatever events a test tells it to, with the local
// state the test sets.
class FakeMessenger : public messenger::Messenger {
    Q_OBJECT
public:
    using Messenger::Messenger;
    int localState() const override { return state; }
    int state = messenger::UserState::Offline;
};

// Hands out fake messengers, or fails as told; installed for its lifetime.
class FakeMessengerFactory : public messenger::MessengerFactory {
public:
    FakeMessengerFactory() { ServiceRegistry::replace<MessengerFactory>(this); }
    ~FakeMessengerFactory() override { ServiceRegistry::replace<MessengerFactory>(nullptr); }

    std::unique_ptr<messenger::Messenger> createMessenger(ErrorInfo &error) override
    {
        ++created;
        if (failWith.isError()) {
            error = failWith;
            return nullptr;
        }
        auto fake = std::make_unique<FakeMessenger>();
        last = fake.get();
        return fake;
    }

    ErrorInfo failWith;
    int created = 0;
    QPointer<FakeMessenger> last;
};

} // namespace tilvano::test
