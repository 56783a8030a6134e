// What the server library registers: its two classes, its type library and its interfaces.
#pragma once

#include "com/server_registration.h"

namespace component {

const com::ServerRegistration& ServerIdentity();

}  // namespace component
