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
#include "wagelink_identities.h"

namespace platform {

extern const com::CLSID CLSID_MessageResource;
inline constexpr const char* kMessageResourceClsid =
    WAGELINK_GUID_TEXT(WAGELINK_CLSID_MESSAGE_RESOURCE);
inline constexpr const char* kMessageResourceProgId = WAGELINK_PROGID_MESSAGE_RESOURCE;

com::ComPtr<com::IDispatch> CreateMessageResource();

}  // namespace platform
