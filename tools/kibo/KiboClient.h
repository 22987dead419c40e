#pragma once

#include "tools/kibo/KiboCommandLine.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QTextStream>
#include <QVariantList>

#include <optional>

namespace tilvano::kibo {

// Carries out one command against the running host over the session bus.
// Exit codes: 0 done, 1 host unreachable or the character reported failure.
class KiboClient : public QObject {
    Q_OBJECT
public:
    KiboClient(QTextStream &out, QTextStream &err);

    // Runs the command; for watch this enters the event loop until the host
    // goes away or kibo is stopped.
    int run(const KiboCommand &command);

    static QString notRunningMessage();

private slots:
    void printEvent(const QDBusMessage &message);

private:
    bool hostIsRunning() const;
    // Calls a member of the host's interface. Empty when the call failed, after
    // telling the user why.
    std::optional<QDBusMessage> call(const QString &member, const QVariantList &arguments = {},
                                     int timeoutMs = -1);
    // For members answering true/false: a false answer is reported with the
    // character's own error text.
    int expectTrue(const QString &member, const QVariantList &arguments, int timeoutMs = -1);
    // A property of the host's interface; empty when it cannot be read.
    std::optional<QVariant> property(const QString &name);
    QString lastErrorText();
    void clearLastError();
    int watch();

    QDBusConnection m_bus;
    QTextStream &m_out;
    QTextStream &m_err;
};

} // namespace tilvano::kibo
