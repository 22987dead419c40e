#pragma once

#include <functional>
#include <memory>
#include <type_traits>
#include <typeindex>

namespace tilvano {

// The one place where a process finds its services (the settings store, the
// dialogs, the shell, the mail application, the messenger factory, ...), each
// filed under the interface it implements. Whoever needs one asks here, through
// the interface's typed accessor (SystemServices::registry(), ...); whoever
// wants another one in its place puts it here, and nowhere else.
//
// For each interface the first of these that is there is used:
//  1. an instance put in place with replace(): a test's double, or a program's
//     own that it keeps itself (not owned here);
//  2. the default a program installed at start with installDefault(): the
//     factory makes the instance on first use;
//  3. the built-in default that the interface's accessor names, so that a
//     program or test that installed nothing still gets the real thing.
//
// reset() takes back every replacement and drops every instance made so far
// (newest first), so that the next use makes them afresh; installed factories
// stay, as the program installed them once. Tests reset between test
// functions, together with their fresh home folder.
//
// Safe to use from several threads. A factory may itself ask for other services
// (not for its own), and must give an instance: every accessor hands out a reference.
// A default installed after its instance was made takes over at the next reset().
class ServiceRegistry {
public:
    template <class Service>
    using Factory = std::function<std::unique_ptr<Service>()>;

    template <class Service>
    static Service &get(const Factory<Service> &builtIn)
    {
        return *static_cast<Service *>(find(typeid(Service), [&builtIn] { return std::shared_ptr<void>(builtIn()); }));
    }

    // An empty factory takes the installed default back (a test that tried one).
    template <class Service>
    static void installDefault(Factory<Service> create)
    {
        ErasedFactory erased;
        if (create)
            erased = [create = std::move(create)] { return std::shared_ptr<void>(create()); };
        install(typeid(Service), std::move(erased));
    }

    // Null takes the replacement back. The interface is always named
    // (replace<Registry>(&double)), so that a double is filed under it.
    template <class Service>
    static void replace(std::type_identity_t<Service> *instance)
    {
        setReplacement(typeid(Service), instance);
    }

    template <class Service>
    static bool isReplaced()
    {
        return hasReplacement(typeid(Service));
    }

    static void reset();

private:
    using ErasedFactory = std::function<std::shared_ptr<void>()>;

    static void *find(std::type_index service, const ErasedFactory &builtIn);
    static void install(std::type_index service, ErasedFactory create);
    static void setReplacement(std::type_index service, void *instance);
    static bool hasReplacement(std::type_index service);
};

} // namespace tilvano
