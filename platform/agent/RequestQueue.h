#pragma once

#include "AgentRequest.h"

#include <QList>

#include <algorithm>
#include <initializer_list>
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
    void removeOwnedBy(quint64 owner)
    {
        m_waiting.removeIf([owner](const AgentRequest &request) { return request.owner == owner; });
    }
    bool isEmpty() const { return m_waiting.isEmpty(); }
    // The youngest waiting request of one of these kinds, or null.
    const AgentRequest *lastOf(std::initializer_list<AgentRequest::Kind> kinds) const
    {
        const auto found = std::find_if(m_waiting.crbegin(), m_waiting.crend(), [kinds](const AgentRequest &request) {
            return std::find(kinds.begin(), kinds.end(), request.kind) != kinds.end();
        });
        return found == m_waiting.crend() ? nullptr : &*found;
    }
    qsizetype size() const { return m_waiting.size(); }

private:
    QList<AgentRequest> m_waiting;
};

} // namespace tilvano::agent
