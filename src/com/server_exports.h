// The four exports of an in-process server library, defined by one macro so that every library
// answers them alike. Use it once, in one source file of the library:
//
//   WAGELINK_SERVER_EXPORTS(ClassesFunction, RegistrationFunction)
//
// where ClassesFunction() returns std::span<const com::CreatableClass> and
// RegistrationFunction() returns const com::ServerRegistration&.
#pragma once

#include "com/class_factory.h"
#include "com/dispatch.h"
#include "com/server_registration.h"

#define WAGELINK_SERVER_EXPORTS(classes, registration)                               \
    extern "C" WAGELINK_EXPORT com::HRESULT WAGELINK_CALL DllGetClassObject(         \
        const com::CLSID& clsid, const com::IID& iid, void** object) {               \
        return com::GetClassObject(classes(), clsid, iid, object);                   \
    }                                                                                \
    extern "C" WAGELINK_EXPORT com::HRESULT WAGELINK_CALL DllCanUnloadNow() {        \
        return com::CanUnloadNow();                                                  \
    }                                                                                \
    extern "C" WAGELINK_EXPORT com::HRESULT WAGELINK_CALL DllRegisterServer() {      \
        return com::Guarded([] {                                                     \
            com::RegisterServer(                                                     \
                registration(),                                                      \
                com::ModulePath(reinterpret_cast<const void*>(&DllGetClassObject))); \
        });                                                                          \
    }                                                                                \
    extern "C" WAGELINK_EXPORT com::HRESULT WAGELINK_CALL DllUnregisterServer() {    \
        return com::Guarded([] {                                                     \
            com::UnregisterServer(                                                   \
                registration(),                                                      \
                com::ModulePath(reinterpret_cast<const void*>(&DllGetClassObject))); \
        });                                                                          \
    }
