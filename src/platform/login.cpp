#include "com/automation.h"
#include "platform/objects.h"
#include "wagelink_identities.h"

namespace platform {

namespace {

using com::DispatchArguments;
using com::VARIANT;
using com::WORD;

class Login final : public com::Automation<Login> {
    com::Variant connectionString_ = com::Variant::FromText("");
    com::Variant loginYear_ = com::Variant::FromText("");
    com::Variant loginMonth_ = com::Variant::FromShort(0);

  public:
    void* Answer(com::REFIID iid) {
        return iid == com::IID_IDispatch ? static_cast<com::IDispatch*>(this) : nullptr;
    }

    // A property of the login: get returns it, put converts the value to the property's type.
    template <com::Variant Login::*Slot>
    static com::HRESULT Property(Login& self, DispatchArguments& args, WORD flags, VARIANT* out) {
        if (flags & com::DISPATCH_PROPERTYPUT) {
            VARIANT* value = args.PutValue();
            if (!value) return com::DISP_E_PARAMNOTFOUND;
            self.*Slot = self.Convert(Slot, *value);
            return com::S_OK;
        }
        return com::VariantCopy(out, (self.*Slot).get());
    }

    com::Variant Convert(com::Variant Login::*slot, const VARIANT& value) {
        if (slot == &Login::loginMonth_) return com::Variant::FromShort(com::ToShort(value));
        return com::Variant::FromText(com::ToText(value));
    }

    static constexpr com::DispatchMember<Login> kMembers[] = {
        {"ConnectionString", 1, 0, 0, &Property<&Login::connectionString_>},
        {"LoginYear", 2, 0, 0, &Property<&Login::loginYear_>},
        {"LoginMonth", 3, 0, 0, &Property<&Login::loginMonth_>},
    };
};

}  // namespace

com::ComPtr<com::IDispatch> CreateLogin() {
    return Login::Create();
}

}  // namespace platform
