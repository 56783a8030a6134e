// The state one server instance keeps between calls, and what differs between the two classes.
#pragma once

#include <functional>
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

// What each class plugs into Transact: its record checks, writer and exports.
struct Operations {
    std::string_view recordTag;        // "salaryitem" or "salaryperson"
    std::string_view notXmlMessageId;  // the answer "100" for text that is not XML
    bool readsKestFlag = false;
    // Called before each record of an ADD with its place among them: reads ahead, now and then,
    // what the checks of the records to come will look up.
    std::function<void(const xml::NodeList& records, std::size_t index)> readAhead =
        [](const xml::NodeList&, std::size_t) {};
    // Called as each attempt at a record begins (the record's remembered data is forgotten).
    std::function<void()> beginRecord = [] {};
    // Whether, on a database of `dialect`, the writer's one statement is all a record writes:
    // on a server it then commits by itself, and the record costs one round trip rather than a
    // transaction's three.
    std::function<bool(const db::Dialect& dialect)> writesOneStatement = [](const db::Dialect&) {
        return false;
    };
    std::function<bool(xml::Element record, std::string& message)> validate;
    std::function<bool(xml::Element record, std::string& message)> write;
    // Whether the database holds what `record` writes: asked on a new connection when the link
    // broke while the record's commit was on its way. Unset: such a record counts as not written.
    std::function<bool(xml::Element record)> written;
    std::function<void(const xml::NodeList& eleList, std::string& sRetXml)> query;
    std::function<void(const xml::NodeList& eleList, std::string& sRetXml)> queryKest;
};

}  // namespace component
