#include "support/dispatch.h"

#include <vector>

#include "component/classes.h"
#include "platform/objects.h"

namespace testing_support {

com::ComPtr<com::IDispatch> NewSalaryItem() {
    return com::ComPtr<com::IDispatch>::Attach(component::SalaryItem::Create().Detach());
}

com::ComPtr<com::IDispatch> NewSalaryPerson() {
    return com::ComPtr<com::IDispatch>::Attach(component::SalaryPerson::Create().Detach());
}

com::ComPtr<com::IDispatch> NewLogin(const std::string& connectionString, const std::string& year,
                                     long month) {
    com::ComPtr<com::IDispatch> login = platform::CreateLogin();
    auto put = [&](const char* name, com::Variant value) {
        com::CallByName(login.get(), name, com::DISPATCH_PROPERTYPUT, {*value.get()});
    };
    put("ConnectionString", com::Variant::FromText(connectionString));
    put("LoginYear", com::Variant::FromText(year));
    put("LoginMonth", com::Variant::FromLong(month));
    return login;
}

std::string Transact(com::IDispatch* server, const std::string& request, com::IDispatch* login) {
    com::Variant xml = com::Variant::FromText(request);
    com::Variant loginArg = com::Variant::FromDispatch(login);
    com::Variant reply = com::CallByName(server, "Transact", com::DISPATCH_METHOD,
                                         {*xml.get(), com::ByRef(loginArg)});
    return com::ToText(*reply.get());
}

std::string CallText(com::IDispatch* object, const std::string& name,
                     std::initializer_list<std::string> args) {
    std::vector<com::Variant> owned;
    for (const std::string& a : args) owned.push_back(com::Variant::FromText(a));
    std::vector<com::VARIANT> raw;
    for (com::Variant& v : owned) raw.push_back(*v.get());
    com::Variant result = com::CallByName(object, name, com::DISPATCH_METHOD, raw);
    return com::ToText(*result.get());
}

}  // namespace testing_support
