#include "system/ServiceRegistry.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace tilvano {

namespace {

struct Entry {
    void *replacement = nullptr;
    std::function<std::shared_ptr<void>()> installed;
    std::shared_ptr<void> instance;
};

struct Services {
    // Recursive: a factory running under the lock may ask for other services.
    std::recursive_mutex mutex;
    std::unordered_map<std::type_index, Entry> entries;
    // Instances in the order they were made: a service made later may use one
    // made earlier, so the newest goes first.
    std::vector<std::type_index> made;

    // Takes the instances out, newest first, for the caller to drop outside
    // the lock (a service going away may still ask for another).
    std::vector<std::shared_ptr<void>> takeInstances()
    {
        std::vector<std::shared_ptr<void>> taken;
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            taken.push_back(std::move(entries[*it].instance));
        made.clear();
        return taken;
    }

    ~Services()
    {
        for (std::shared_ptr<void> &instance : takeInstances())
            instance.reset();
    }
};

Services &services()
{
    static Services instance;
    return instance;
}

} // namespace

void *ServiceRegistry::find(std::type_index service, const ErasedFactory &builtIn)
{
    Services &s = services();
    const std::lock_guard lock(s.mutex);
    // The reference stays valid while the factory files other services.
    Entry &entry = s.entries[service];
    if (entry.replacement)
        return entry.replacement;
    if (!entry.instance) {
        entry.instance = entry.installed ? entry.installed() : builtIn();
        s.made.push_back(service);
    }
    return entry.instance.get();
}

void ServiceRegistry::install(std::type_index service, ErasedFactory create)
{
    Services &s = services();
    const std::lock_guard lock(s.mutex);
    s.entries[service].installed = std::move(create);
}

void ServiceRegistry::setReplacement(std::type_index service, void *instance)
{
    Services &s = services();
    const std::lock_guard lock(s.mutex);
    s.entries[service].replacement = instance;
}

bool ServiceRegistry::hasReplacement(std::type_index service)
{
    Services &s = services();
    const std::lock_guard lock(s.mutex);
    const auto found = s.entries.find(service);
    return found != s.entries.end() && found->second.replacement;
}

void ServiceRegistry::reset()
{
    Services &s = services();
    std::vector<std::shared_ptr<void>> dropped;
    {
        const std::lock_guard lock(s.mutex);
        dropped = s.takeInstances();
        for (auto &[service, entry] : s.entries)
            entry.replacement = nullptr;
    }
    for (std::shared_ptr<void> &instance : dropped)
        instance.reset();
}

} // namespace tilvano
