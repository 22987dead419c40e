#include "platform/mail/SettingsMailService.h"

#include "platform/mail/ImapMailApplication.h"
#include "platform/mail/MailSettings.h"
#include "platform/mail/MaildirMailApplication.h"
#include "system/SystemServices.h"

namespace tilvano::mail {

SettingsMailService::SettingsMailService(const Clock *clock)
    : m_clock(clock ? *clock : systemClock())
{
}

SettingsMailService::~SettingsMailService() = default;

MailResult<std::shared_ptr<MailApplication>> SettingsMailService::createApplication()
{
    const MailSettings settings = MailSettings::load(SystemServices::registry());
    std::shared_ptr<MailApplication> application;
    if (settings.source == MailSettings::Source::Imap)
        application = ImapMailApplication::open(settings, m_clock);
    else
        application = MaildirMailApplication::open(settings, m_clock);
    m_running = application;
    return {application, {}};
}

std::shared_ptr<MailApplication> SettingsMailService::runningApplication()
{
    return m_running.lock();
}

} // namespace tilvano::mail
