#pragma once

#include "common/ErrorInfo.h"
#include "platform/mail/MailItem.h"
#include "platform/mail/MailResult.h"
#include "platform/mail/ReminderItem.h"

#include <QObject>

namespace tilvano::mail {

// The mail application as a client sees it: the unread mail of the inbox,
// send-and-receive, and the application's events. Clients hold it through
// MailService; tests give them a double.
//
// Nothing here waits for a disk, a server or a parser: what a call answers
// was gathered in the background, and slow work (a sync command, a server's
// reply) reports back by a signal. Events are plain signals; connect them
// directly so they arrive in order on the thread that created the application.
class MailApplication : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MailApplication() override = default;

    // Number of unread mails in the inbox.
    virtual MailResult<int> unreadCount() = 0;
    // Unread mail number `index` of the inbox, counted from 1, newest first.
    virtual MailResult<MailItem> unreadItem(int index) = 0;
    // Starts sending and fetching mail. True when it started; then
    // sendAndReceiveFinished follows, after the store was read again.
    virtual MailResult<bool> startSendAndReceive() = 0;
    virtual bool isSendingAndReceiving() const = 0;
    // Why the store cannot be reached now (a missing folder, a server that
    // refused the password); no error while it can.
    virtual ErrorInfo problem() const = 0;

signals:
    // New mail arrived in the inbox.
    void newMail();
    // A mail was sent. Mail is already on its way when this is raised, so
    // setting `cancel` has no effect; it is there for clients written against
    // applications that could hold a mail back.
    void itemSend(const tilvano::mail::MailItem &item, bool &cancel);
    // An alarm of a calendar event fell due.
    void reminder(const tilvano::mail::ReminderItem &item);
    // The store became reachable while the application ran (a folder that
    // was made, an account that could be reached again). Not raised for a
    // store that was reachable from the start.
    void startup();
    // The store became unreachable for good while the application ran (its
    // folder was removed, the account was lost and not won back).
    void quit();
    // problem() changed.
    void problemChanged();
    // The send-and-receive that was started has ended; an error says why it failed.
    void sendAndReceiveFinished(const tilvano::ErrorInfo &result);
    // A line for the user's log, which the application's user writes.
    void noteForLog(const QString &line);
};

} // namespace tilvano::mail
