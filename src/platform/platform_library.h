// The platform's own library (libwagelink-platform.so): the login object and the XML document
// object, created by ProgID as the platform's components are. It registers and unregisters its
// classes on its own; the server library never registers them.
#pragma once

#include <span>

#include "com/class_factory.h"
#include "com/server_registration.h"

namespace platform {

std::span<const com::CreatableClass> PlatformClasses();
const com::ServerRegistration& PlatformIdentity();

}  // namespace platform
