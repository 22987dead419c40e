#include "Module.h"

#include "ErrObject.h"

namespace tilvano::script {

Module::Module() : err(std::make_unique<ErrObject>()) {}
Module::~Module() = default;

int Module::addGlobal(const QString &lowerName, bool declared)
{
    const int index = int(globals.size());
    globals.emplace_back();
    globalExists.push_back(declared ? 1 : 0);
    globalIndex.insert(lowerName, index);
    return index;
}

} // namespace tilvano::script
