// Without type libraries (our registry file names their versions only), no interface is
// described.
#include "com/type_info.h"

namespace com {

void* ModuleTypeInfo(const IID&) {
    return nullptr;
}

}  // namespace com
