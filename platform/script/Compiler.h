#pragma once

#include "Module.h"

namespace tilvano::script {

// Compiles a whole text into the module: parses it (a syntax error anywhere
// throws before the module changes), then adds its declarations and binds
// every name to a slot, global, procedure, object or built-in. Returns the
// index of the text's top-level code in module.chunks.
std::size_t compileInto(Module &module, const QString &text);

} // namespace tilvano::script
