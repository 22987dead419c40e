#pragma once

#include "common/AgentInterface.h"

#include <QList>

#include <optional>

namespace tilvano::agent {

struct AgentCommandEntry {
    QString name;
    QString caption;
    QString voice;
    bool enabled = true;
    bool visible = true;
};

// The commands of one character, in the order they were added. Names are unique without
// regard to case.
class AgentCommandList : public AgentCommands
{
    Q_OBJECT

public:
    using AgentCommands::AgentCommands;

    QString caption() const override { return m_caption; }
    void setCaption(const QString &caption) override { m_caption = caption; }
    ErrorInfo add(const QString &name, const QString &caption, const QString &voice, bool enabled,
                  bool visible) override;
    ErrorInfo remove(const QString &name) override;
    void removeAll() override;
    QString defaultCommand() const override { return m_defaultCommand; }
    void setDefaultCommand(const QString &name) override { m_defaultCommand = name; }

    const QList<AgentCommandEntry> &entries() const { return m_entries; }
    std::optional<AgentCommandEntry> entry(const QString &name) const;

private:
    qsizetype indexOf(const QString &name) const;

    QString m_caption;
    QString m_defaultCommand;
    QList<AgentCommandEntry> m_entries;
};

} // namespace tilvano::agent
