#pragma once

#include "ScriptError.h"

#include <QObject>
#include <QVariant>

#include <optional>

namespace tilvano::script {

// The script's Err object. Its members are reached like any published
// object's; Raise leaves the error pending and the interpreter throws it as
// soon as the call returns.
class ErrObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("DefaultProperty", "Number")
    Q_PROPERTY(int Number READ number WRITE setNumber)
    Q_PROPERTY(QString Description READ description WRITE setDescription)
    Q_PROPERTY(QString Source READ source WRITE setSource)
    Q_PROPERTY(QString HelpFile READ helpFile)
    Q_PROPERTY(int HelpContext READ helpContext)

public:
    int number() const { return m_number; }
    void setNumber(int n) { m_number = n; }
    QString description() const { return m_description; }
    void setDescription(const QString &d) { m_description = d; }
    QString source() const { return m_source; }
    void setSource(const QString &s) { m_source = s; }
    QString helpFile() const { return QString(); }
    int helpContext() const { return 0; }

    Q_INVOKABLE void Clear();
    Q_INVOKABLE void Raise(int number, const QVariant &source = QVariant(), const QVariant &description = QVariant(),
                           const QVariant &helpFile = QVariant(), const QVariant &helpContext = QVariant());

    void record(const ScriptException &e);
    std::optional<ScriptException> takeRaised();

private:
    int m_number = 0;
    QString m_description;
    QString m_source;
    std::optional<ScriptException> m_raised;
};

} // namespace tilvano::script
