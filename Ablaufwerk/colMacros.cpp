#include "Ablaufwerk/colMacros.h"

namespace tilvano {

std::shared_ptr<clsMacro> colMacros::Add(const QString &Key, const QString &sKey)
{
    auto macro = std::make_shared<clsMacro>();
    macro->setKey(Key);
    if (!m_macros.add(macro, sKey))
        return nullptr;
    return macro;
}

} // namespace tilvano
