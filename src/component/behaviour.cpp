#include "component/behaviour.h"

namespace component {

const Behaviour& CurrentBehaviour() {
    static const Behaviour current;
    return current;
}

}  // namespace component
