#pragma once

#include "platform/mail/MailApplication.h"
#include "platform/mail/MailResult.h"

#include <memory>

namespace tilvano::mail {

// Creates the mail application or finds the one already running. An
// application lives as long as somebody holds it; releasing the last holder
// ends it (and raises its quit event).
class MailService {
public:
    virtual ~MailService() = default;

    // A fresh application on the user's configured store; fails with a number
    // and a German description when the store is missing or unusable.
    virtual MailResult<std::shared_ptr<MailApplication>> createApplication() = 0;
    // The application this service created that is still held, or null.
    virtual std::shared_ptr<MailApplication> runningApplication() = 0;
};

} // namespace tilvano::mail
