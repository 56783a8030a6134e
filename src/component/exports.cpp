// The four exports of the in-process server.
#include "com/server_exports.h"
#include "component/class_factory.h"
#include "component/registration.h"

WAGELINK_SERVER_EXPORTS(component::ServerClasses, component::ServerIdentity)
