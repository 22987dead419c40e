#pragma once

#include "platform/mail/MailItem.h"
#include "platform/mail/MailResult.h"
#include "platform/mail/ReminderItem.h"

#include <QObject>

namespace tilvano::mail {

// The mail application as a client sees it: the unread mail of the inbox,
// send-and-receive, and the application's events. Clients hold it through
// MailService; tests give them a double.
//
// Events are plain signals; connect them directly so they arrive in order on
// the thread that created the application.
class MailApplication : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MailApplication() override = default;

    // Number of unread mails in the inbox.
    virtual MailResult<int> unreadCount() = 0;
    // Unread mail number `index` of the inbox, counted from 1, newest first.
    virtual MailResult<MailItem> unreadItem(int index) = 0;
    // Sends and fetches mail, then re-reads the store. True when all of it worked.
    virtual MailResult<bool> sendAndReceive() = 0;

signals:
    // New mail arrived in the inbox.
    void newMail();
    // A mail was sent. Mail is already on its way when this is raised, so
    // setting `cancel` has no effect; it is there for clients written against
    // applications that could hold a mail back.
    void itemSend(const tilvano::mail::MailItem &item, bool &cancel);
    // An alarm of a calendar event fell due.
    void reminder(const tilvano::mail::ReminderItem &item);
    // The application is connected (raised once, just after creation).
    void startup();
    // The application is being released (raised once, from its destruction).
    void quit();
};

} // namespace tilvano::mail
