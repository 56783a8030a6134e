#include "component/server_object.h"

#include "com/late_call.h"
#include "payroll/tables.h"

namespace component {

messages::MessageArgument MessageArgumentOf(const VARIANT* value) {
    if (!value || com::IsMissing(*value)) return std::nullopt;
    if (com::IsNull(*value)) return std::string();
    return com::ToText(*value);
}

ExportConnection::ExportConnection(Instance& self) : self_(self) {
    if (self_.connection && self_.connection->State() == db::adStateOpen) return;
    if (!self_.login) base::ThrowObjectNotSet("no login to connect with (call Transact first)");
    auto connection = std::make_unique<db::Connection>();
    connection->Open(com::ToText(*com::GetProperty(self_.login.get(), "ConnectionString").get()));
    payroll::RequirePayrollTables(*connection);
    self_.connection = std::move(connection);
    opened_ = true;
}

ExportConnection::~ExportConnection() {
    if (opened_) self_.connection.reset();
}

}  // namespace component
