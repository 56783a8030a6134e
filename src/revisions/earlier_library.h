// What the two earlier libraries share: the type library and class identifiers (the second
// revision kept the first's), the ProgIDs, how an object is created, and how the registration is
// made from the interface identifiers each class answers.
#pragma once

#include <span>
#include <vector>

#include "com/class_factory.h"
#include "com/server_registration.h"
#include "revisions/earlier_class.h"

namespace revisions {

extern const com::CLSID kEarlierSalaryItemClass;
extern const com::CLSID kEarlierSalaryPersonClass;

class EarlierRegistration {
  public:
    // The default interface of each class first.
    EarlierRegistration(const char* typeLibraryVersion, std::span<const com::IID> itemInterfaces,
                        std::span<const com::IID> personInterfaces);
    EarlierRegistration(const EarlierRegistration&) = delete;
    EarlierRegistration& operator=(const EarlierRegistration&) = delete;
    const com::ServerRegistration& server() const { return server_; }

  private:
    std::vector<com::InterfaceRegistration> interfaces_;
    com::ServerRegistration server_;
};

// A new object of `Object`, whose default interface is `Interface`, as its IUnknown.
template <class Object, class Interface>
com::ComPtr<com::IUnknown> CreateEarlier(const EarlierKind& kind) {
    return com::ComPtr<com::IUnknown>::Attach(
        static_cast<com::IUnknown*>(static_cast<Interface*>(Object::Create(kind).Detach())));
}

}  // namespace revisions
