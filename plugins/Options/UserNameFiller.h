#pragma once

#include <QMetaObject>
#include <QObject>
#include <QString>

namespace tilvano {
class Agent;
}

namespace tilvano::options {

// Puts the user's stored name wherever a text the character is about to
// speak or think says "<USERNAME>". The stored name counts, not what the
// settings page shows but has not saved yet.
class UserNameFiller : public QObject {
    Q_OBJECT
public:
    explicit UserNameFiller(QObject *parent = nullptr);

    // Listens to this character from now on (and to no other); null stops.
    void attach(Agent *kibo);

    // The name as stored, "Meister" when there is none yet.
    static QString storedName();
    static void fill(QString &text, const QString &name);

private:
    QMetaObject::Connection m_connection;
};

} // namespace tilvano::options
