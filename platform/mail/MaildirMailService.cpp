#include "platform/mail/MaildirMailService.h"

#include "platform/mail/MailSettings.h"
#include "platform/mail/MaildirMailApplication.h"

namespace tilvano::mail {

MaildirMailService::MaildirMailService(const Clock *clock)
    : m_clock(clock ? *clock : systemClock())
{
}

MaildirMailService::~MaildirMailService() = default;

MailResult<std::shared_ptr<MailApplication>> MaildirMailService::createApplication()
{
    using Result = MailResult<std::shared_ptr<MailApplication>>;
    auto opened = MaildirMailApplication::open(MailSettings::load(), m_clock);
    if (!opened.ok())
        return Result::failure(opened.error);
    std::shared_ptr<MailApplication> application(std::move(opened.value));
    m_running = application;
    return {application, {}};
}

std::shared_ptr<MailApplication> MaildirMailService::runningApplication()
{
    return m_running.lock();
}

} // namespace tilvano::mail
