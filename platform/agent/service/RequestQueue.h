#pragma once

#include "AgentRequest.h"

#include <QList>

#include <optional>

namespace tilvano::agent {

// The requests of one character waiting their turn, oldest first.
class RequestQueue
{
public:
    void enqueue(const AgentRequest &request) { m_waiting.append(request); }
    std::optional<AgentRequest> takeNext()
    {
        if (m_waiting.isEmpty())
            return std::nullopt;
        return m_waiting.takeFirst();
    }
    void clear() { m_waiting.clear(); }
    bool isEmpty() const { return m_waiting.isEmpty(); }
    qsizetype size() const { return m_waiting.size(); }

private:
    QList<AgentRequest> m_waiting;
};

} // namespace tilvano::agent
