// The creatable classes of the server library, for DllGetClassObject.
#pragma once

#include <span>

#include "com/class_factory.h"

namespace component {

std::span<const com::CreatableClass> ServerClasses();

}  // namespace component
