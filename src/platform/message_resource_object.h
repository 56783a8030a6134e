// A COM face for the message resource, as the platform's own component is reached:
// MessageResource (ProgID Wagelink.MessageResource), whose LoadMessage(id, substitute,
// arguments) returns the text of a message identifier; `arguments` is an array of VARIANT (lower
// bound 0, by reference) whose missing-argument markers read as the empty text. The server on
// Windows creates it by its class identifier, so that a platform's own registered component
// takes its place. The catalog of WAGELINK_LANG is loaded when the object is made: a language
// without one fails the creation.
#pragma once

#include "com/guid.h"
#include "com/unknown.h"

namespace platform {

extern const com::CLSID CLSID_MessageResource;
inline constexpr const char* kMessageResourceClsid = "{4C8E2A17-9B3D-4F06-A5E1-7D2C9B6F3E84}";
inline constexpr const char* kMessageResourceProgId = "Wagelink.MessageResource";

com::ComPtr<com::IDispatch> CreateMessageResource();

}  // namespace platform
