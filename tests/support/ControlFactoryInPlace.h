#pragma once

#include "common/AgentInterface.h"
#include "system/ServiceRegistry.h"

namespace tilvano::test {

// A test's own maker of character controls, in place of the program's while
// this object lives.
class ControlFactoryInPlace {
public:
    explicit ControlFactoryInPlace(AgentControlFactory::Make make)
        : m_factory(std::move(make))
    {
        ServiceRegistry::replace<AgentControlFactory>(&m_factory);
    }
    ~ControlFactoryInPlace() { ServiceRegistry::replace<AgentControlFactory>(nullptr); }

    ControlFactoryInPlace(const ControlFactoryInPlace &) = delete;
    ControlFactoryInPlace &operator=(const ControlFactoryInPlace &) = delete;

private:
    AgentControlFactory m_factory;
};

} // namespace tilvano::test
