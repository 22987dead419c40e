#include "platform/mail/MailServices.h"

#include "platform/mail/SettingsMailService.h"
#include "system/ServiceRegistry.h"

#include <memory>

namespace tilvano::mail {

MailService &MailServices::mail()
{
    return ServiceRegistry::get<MailService>([] { return std::make_unique<SettingsMailService>(); });
}

} // namespace tilvano::mail
