#pragma once

namespace tilvano::mail {

class MailService;

// The process's mail service as found in the ServiceRegistry: a double where a
// test put one in place, else the one that follows the stored settings.
class MailServices {
public:
    static MailService &mail();
};

} // namespace tilvano::mail
