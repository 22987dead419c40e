#include "plugins/Outlook/MailConnection.h"

#include "common/ErrorLog.h"
#include "platform/mail/MailService.h"

namespace tilvano::outlook {

MailConnection::MailConnection(QObject *parent)
    : QObject(parent)
{
}

MailConnection::~MailConnection()
{
    release();
}

ErrorInfo MailConnection::connectTo(mail::MailService &service)
{
    auto created = service.createApplication();
    if (!created.ok())
        return created.error;
    hold(std::move(created.value));
    return {};
}

template <typename Forward>
void MailConnection::dispatch(Forward forward)
{
    ++m_eventDepth;
    forward();
    if (--m_eventDepth == 0)
        m_releasedDuringEvent.clear();
}

void MailConnection::hold(std::shared_ptr<mail::MailApplication> application)
{
    release();
    m_application = std::move(application);
    mail::MailApplication *app = m_application.get();
    connect(app, &mail::MailApplication::newMail, this, [this] { dispatch([this] { emit newMail(); }); });
    connect(app, &mail::MailApplication::itemSend, this, [this](const mail::MailItem &item, bool &cancel) {
        dispatch([&] { emit itemSend(item, cancel); });
    });
    connect(app, &mail::MailApplication::reminder, this,
            [this](const mail::ReminderItem &item) { dispatch([&] { emit reminder(item); }); });
    connect(app, &mail::MailApplication::startup, this, [this] { dispatch([this] { emit startup(); }); });
    connect(app, &mail::MailApplication::quit, this, [this] { dispatch([this] { emit quit(); }); });
    connect(app, &mail::MailApplication::problemChanged, this,
            [this] { dispatch([this] { emit problemChanged(); }); });
    connect(app, &mail::MailApplication::noteForLog, this,
            [](const QString &line) { WriteLog(writer::tilvano(), line); });
}

void MailConnection::release()
{
    if (!m_application)
        return;
    // Disconnected first: letting go may end the application, and its
    // farewell is not news for a page that let go of it itself.
    disconnect(m_application.get(), nullptr, this, nullptr);
    if (m_eventDepth > 0)
        m_releasedDuringEvent.push_back(std::move(m_application));
    m_application.reset();
}

} // namespace tilvano::outlook
