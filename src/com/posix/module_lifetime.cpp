#include "com/module_lifetime.h"

namespace com {

void KeepModuleLoaded() noexcept {}

}  // namespace com
