#pragma once

#include "platform/messenger/Messenger.h"

#include <QList>
#include <QStringList>
#include <QString>

namespace tilvano::test {

// Records every event a messenger raises, and answers "enable default" as
// the test says.
struct MessengerRecorder {
    struct Text { messenger::MessengerUser user; QString text; };
    struct StateChange { messenger::MessengerUser user; int previous; };
    struct File { messenger::MessengerUser user; QString name; qint64 size; };
    struct Invite { messenger::MessengerUser user; QString appName; };

    explicit MessengerRecorder(messenger::Messenger &m)
    {
        using messenger::Messenger;
        QObject::connect(&m, &Messenger::OnTextReceived, &m,
                         [this](const messenger::MessengerUser &u, const QString &, const QString &t, bool &d) {
                             texts.append({u, t});
                             d = enableDefault;
                         });
        QObject::connect(&m, &Messenger::OnUserStateChanged, &m,
                         [this](const messenger::MessengerUser &u, int previous, bool &d) {
                             states.append({u, previous});
                             d = enableDefault;
                         });
        QObject::connect(&m, &Messenger::OnLogonResult, &m, [this](qint32 r) { logons.append(r); });
        QObject::connect(&m, &Messenger::OnLogoff, &m, [this, &m] { logoffStates.append(m.localState()); });
        QObject::connect(&m, &Messenger::OnFileTransferInviteReceived, &m,
                         [this](const messenger::MessengerUser &u, qint32, const QString &name, qint64 size, bool &) {
                             files.append({u, name, size});
                         });
        QObject::connect(&m, &Messenger::OnAppInviteReceived, &m,
                         [this](const messenger::MessengerUser &u, qint32, const QString &, const QString &app,
                                const QString &, qint32, bool &) { invites.append({u, app}); });
        QObject::connect(&m, &Messenger::connectionLost, &m, [this] { ++losses; });
        QObject::connect(&m, &Messenger::connectionProblemChanged, &m,
                         [this](const QString &problem) { problems.append(problem); });
    }

    bool enableDefault = true;
    QList<Text> texts;
    QList<StateChange> states;
    QList<qint32> logons;
    QList<int> logoffStates;
    QList<File> files;
    QList<Invite> invites;
    int losses = 0;
    QStringList problems;
};

} // namespace tilvano::test
