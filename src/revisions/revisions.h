// The earlier interface revisions as their server libraries show them: what each registers
// (type library identifier and version, classes, interfaces) and the classes it creates.
// libwagelink-rev2.so and libwagelink-rev1.so export these through the same four Dll* exports
// as libwagelink.so.
#pragma once

#include <span>

#include "com/class_factory.h"
#include "com/server_registration.h"
#include "component/behaviour.h"

namespace revisions {

// Behind the current revision's: no caller and no paging, no kest routing, no reopening of a
// closed connection by the item condition builder, validate mode unknown, and Lang and unLang
// without the seven newer payroll items.
const component::Behaviour& SecondRevisionBehaviour();
std::span<const com::CreatableClass> SecondRevisionClasses();
const com::ServerRegistration& SecondRevisionIdentity();

// Behind the second revision's: fixed message texts, no item-name translation, the first
// revision's record rules and bare person condition columns.
const component::Behaviour& FirstRevisionBehaviour();
std::span<const com::CreatableClass> FirstRevisionClasses();
const com::ServerRegistration& FirstRevisionIdentity();

}  // namespace revisions
