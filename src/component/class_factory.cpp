#include "component/class_factory.h"

#include <atomic>

#include "com/object.h"
#include "component/classes.h"
#include "platform/login.h"
#include "platform/node_list_object.h"

namespace component {

namespace {

std::atomic<long> g_locks{0};

using Creator = com::ComPtr<com::IUnknown> (*)();

template <class T>
com::ComPtr<com::IUnknown> CreateAs() {
    return com::ComPtr<com::IUnknown>::Attach(static_cast<com::IUnknown*>(T::Create().Detach()));
}

com::ComPtr<com::IUnknown> CreateLogin() {
    return com::ComPtr<com::IUnknown>::Attach(platform::CreateLogin().Detach());
}

com::ComPtr<com::IUnknown> CreateXmlDocument() {
    return com::ComPtr<com::IUnknown>::Attach(platform::CreateXmlDocument().Detach());
}

class ClassFactory final : public com::Object<ClassFactory, com::IClassFactory> {
  public:
    explicit ClassFactory(Creator create) : create_(create) {}

    void* Answer(const com::IID& iid) {
        return iid == com::IID_IClassFactory ? static_cast<com::IClassFactory*>(this) : nullptr;
    }

    com::HRESULT CreateInstance(com::IUnknown* outer, const com::IID& iid, void** object) override {
        if (!object) return com::E_POINTER;
        *object = nullptr;
        if (outer) return com::CLASS_E_NOAGGREGATION;
        try {
            return create_()->QueryInterface(iid, object);
        } catch (const std::bad_alloc&) {
            return com::E_OUTOFMEMORY;
        }
    }

    com::HRESULT LockServer(com::BOOL lock) override {
        lock ? ++g_locks : --g_locks;
        return com::S_OK;
    }

  private:
    Creator create_;
};

}  // namespace

long ServerLocks() {
    return g_locks;
}

com::HRESULT GetClassObject(const com::CLSID& clsid, const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    Creator create = nullptr;
    if (clsid == CLSID_ISalaryItem) create = &CreateAs<SalaryItem>;
    if (clsid == CLSID_ISalaryPerson) create = &CreateAs<SalaryPerson>;
    if (clsid == platform::CLSID_Login) create = &CreateLogin;
    if (clsid == platform::CLSID_XmlDocument) create = &CreateXmlDocument;
    if (!create) return com::CLASS_E_CLASSNOTAVAILABLE;
    return ClassFactory::Create(create)->QueryInterface(iid, object);
}

}  // namespace component
