#pragma once

namespace tilvano::mail {

class MailService;

// The process's mail service. Programs use the Maildir one, created on first
// use; tests put a double in its place. The setter does not take ownership.
class MailServices {
public:
    static MailService &mail();
    static void setMail(MailService *service);

    // Forgets the double and drops the real service, so that the next use
    // creates it afresh.
    static void resetForTesting();
};

} // namespace tilvano::mail
