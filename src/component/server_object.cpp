#include "component/server_object.h"

#include "com/late_call.h"
#include "payroll/tables.h"

namespace component {

messages::MessageArgument MessageArgumentOf(const VARIANT* value) {
    if (!value || com::IsMissing(*value)) return std::nullopt;
    if (com::IsNull(*value)) return std::string();
    return com::ToText(*value);
}

ExportConnection::ExportConnection(Instance& instance) : instance_(instance) {
    if (instance_.connection && instance_.connection->State() == db::adStateOpen) return;
    if (!instance_.login) base::ThrowObjectNotSet("no login to connect with (call Transact first)");
    auto connection = std::make_unique<db::Connection>();
    connection->Open(
        com::ToText(*com::GetProperty(instance_.login.get(), "ConnectionString").get()));
    payroll::RequirePayrollTables(*connection);
    instance_.connection = std::move(connection);
    opened_ = true;
}

ExportConnection::~ExportConnection() {
    if (opened_) instance_.connection.reset();
}

}  // namespace component
