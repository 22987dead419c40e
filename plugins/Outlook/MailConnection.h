#pragma once

#include "common/ErrorInfo.h"
#include "platform/mail/MailApplication.h"

#include <QObject>

#include <memory>
#include <vector>

namespace tilvano::mail {
class MailService;
}

namespace tilvano::outlook {

// The page's hold on the mail application: created on connect, its events
// passed on while held, dropped on release.
//
// A handler may end the connection from inside an event (a macro that shows a
// box lets the user clear the page's box meanwhile). The application is then
// only let go once that event has returned, so it is never destroyed in the
// middle of raising it. Events stop at once either way.
class MailConnection : public QObject {
    Q_OBJECT
public:
    explicit MailConnection(QObject *parent = nullptr);
    ~MailConnection() override;

    // Creates a fresh application, replacing any held one.
    ErrorInfo connectTo(mail::MailService &service);
    void release();

    bool isConnected() const { return m_application != nullptr; }
    // The held application; null when not connected.
    mail::MailApplication *application() const { return m_application.get(); }

signals:
    void newMail();
    void itemSend(const tilvano::mail::MailItem &item, bool &cancel);
    void reminder(const tilvano::mail::ReminderItem &item);
    void startup();
    void quit();
    void problemChanged();

private:
    // Runs a forwarded event with the application kept alive until it returns.
    template <typename Forward>
    void dispatch(Forward forward);
    void hold(std::shared_ptr<mail::MailApplication> application);

    std::shared_ptr<mail::MailApplication> m_application;
    std::vector<std::shared_ptr<mail::MailApplication>> m_releasedDuringEvent;
    int m_eventDepth = 0;
};

} // namespace tilvano::outlook
