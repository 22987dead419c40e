#include "platform/mail/MailServices.h"

#include "platform/mail/SettingsMailService.h"

#include <memory>

namespace tilvano::mail {

namespace {

struct Services {
    std::unique_ptr<MailService> mail;
    MailService *mailOverride = nullptr;
};

Services &services()
{
    static Services instance;
    return instance;
}

} // namespace

MailService &MailServices::mail()
{
    Services &s = services();
    if (s.mailOverride)
        return *s.mailOverride;
    if (!s.mail)
        s.mail = std::make_unique<SettingsMailService>();
    return *s.mail;
}

void MailServices::setMail(MailService *service)
{
    services().mailOverride = service;
}

void MailServices::resetForTesting()
{
    services() = Services{};
}

} // namespace tilvano::mail
