// The state one server instance keeps between calls.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "com/unknown.h"
#include "component/behaviour.h"
#include "db/connection.h"
#include "messages/messages.h"
#include "xml/document.h"

namespace component {

struct Instance {
    // An instance of a class whose Lang and unLang translate `itemNames`.
    Instance(const Behaviour& b, std::span<const messages::ItemName> itemNames)
        : behaviour(b), messages(itemNames, b.fixedTexts) {}
    explicit Instance(std::span<const messages::ItemName> itemNames)
        : Instance(CurrentBehaviour(), itemNames) {}

    const Behaviour& behaviour;                  // of the server's interface revision
    xml::Document reply;                         // the reply of the latest ADD request
    std::unique_ptr<db::Connection> connection;  // open only while Transact runs
    com::ComPtr<com::IDispatch> login;           // the login of the latest Transact
    messages::Messages messages;                 // creates the message resource at first use
    com::ComPtr<com::IDispatch> caller;          // receives ProcessExport calls
    bool kest = false;                           // ISalaryItem: QUERY answered by the kest export
    std::string itemFilter;                      // ISalaryItem: m_itemFilter
    // Test seam: installed on every connection Transact opens (see db::Connection).
    db::Connection::StatementHook statementHook;
};

}  // namespace component
