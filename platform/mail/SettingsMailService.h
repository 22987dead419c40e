#pragma once

#include "platform/mail/Clock.h"
#include "platform/mail/MailService.h"

#include <memory>

namespace tilvano::mail {

// Creates mail applications on the store the user's "Mail" settings name:
// a Maildir or an IMAP account.
class SettingsMailService final : public MailService {
public:
    // `clock` must outlive the applications; null means the system clock.
    explicit SettingsMailService(const Clock *clock = nullptr);
    ~SettingsMailService() override;

    MailResult<std::shared_ptr<MailApplication>> createApplication() override;
    std::shared_ptr<MailApplication> runningApplication() override;

private:
    const Clock &m_clock;
    std::weak_ptr<MailApplication> m_running;
};

} // namespace tilvano::mail
