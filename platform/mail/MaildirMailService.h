#pragma once

#include "platform/mail/Clock.h"
#include "platform/mail/MailService.h"

#include <memory>

namespace tilvano::mail {

class MaildirMailApplication;

// Creates Maildir mail applications from the user's "Mail" settings.
class MaildirMailService final : public MailService {
public:
    // `clock` must outlive the applications; null means the system clock.
    explicit MaildirMailService(const Clock *clock = nullptr);
    ~MaildirMailService() override;

    MailResult<std::shared_ptr<MailApplication>> createApplication() override;
    std::shared_ptr<MailApplication> runningApplication() override;

private:
    const Clock &m_clock;
    std::weak_ptr<MailApplication> m_running;
};

} // namespace tilvano::mail
