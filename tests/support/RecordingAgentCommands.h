#pragma once

#include "common/AgentInterface.h"

#include <QList>
#include <QStringList>

namespace tilvano::test {

// A character's command menu that keeps its entries in order and records every
// change in the shared call log. Names are unique without regard to case, and
// refusals carry the real service's codes.
class RecordingAgentCommands : public AgentCommands {
    Q_OBJECT
public:
    struct Entry {
        QString name, caption, voice;
        bool enabled = true;
        bool visible = true;
    };

    RecordingAgentCommands(const QString &characterId, QStringList *log, QObject *parent = nullptr);

    QString caption() const override { return m_caption; }
    void setCaption(const QString &caption) override;
    ErrorInfo add(const QString &name, const QString &caption, const QString &voice, bool enabled,
                  bool visible) override;
    ErrorInfo remove(const QString &name) override;
    void removeAll() override;
    QString defaultCommand() const override { return m_defaultCommand; }
    void setDefaultCommand(const QString &name) override;

    const QList<Entry> &entries() const { return m_entries; }
    QStringList names() const;
    // The next add fails with this code (0: never).
    void failAdds(qint32 code) { m_addFailure = code; }

private:
    void record(const QString &call);

    QString m_characterId;
    QStringList *m_log;
    QList<Entry> m_entries;
    QString m_caption;
    QString m_defaultCommand;
    qint32 m_addFailure = 0;
};

} // namespace tilvano::test
