#pragma once

#include <QLibrary>
#include <QString>

namespace tilvano {

// Resolves one function of a library opened at run time into a typed
// pointer. The first failure's reason is kept in error; later ones leave it.
template<typename Function>
void resolveLibraryFunction(QLibrary &library, const char *name, Function &function, QString &error)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    if (!function && error.isEmpty())
        error = library.errorString();
}

} // namespace tilvano
