#include "component/transact.h"

#include "base/fault.h"
#include "base/text.h"
#include "com/late_call.h"
#include "component/request_limits.h"
#include "db/contention.h"
#include "payroll/tables.h"
#include "platform/integration_kit.h"

namespace component {

namespace {

constexpr long kRejected = 101;
constexpr long kNotWritten = 100;
constexpr long kBatchFault = 999;

// Closes the instance's connection when Transact leaves, whatever the path.
class ConnectionRelease {
  public:
    explicit ConnectionRelease(Instance& self) : self_(self) {}
    ~ConnectionRelease() { self_.connection.reset(); }
    ConnectionRelease(const ConnectionRelease&) = delete;
    ConnectionRelease& operator=(const ConnectionRelease&) = delete;

  private:
    Instance& self_;
};

void AddResult(Instance& self, const std::string& key, long code, const std::string& message) {
    platform::SharedIntegrationKit().AddResult(self.reply, key, code, message, 0, "", "", "", "");
}

struct Outcome {
    long code;
    std::string message;
};

// One attempt at a record: its checks and its writes in one database transaction, committed only
// when the writer succeeded. The checks read from the transaction's snapshot and take no lock; the
// writes take the write lock, so a writer holds it only while it writes.
Outcome TryRecord(Instance& self, const Operations& ops, xml::Element record) {
    db::Transaction transaction(*self.connection);
    ops.beginRecord();
    std::string m1;
    if (!ops.validate(record, m1)) return {kRejected, m1};
    std::string m2;
    if (!ops.write(record, m2))
        return {kNotWritten, self.messages.GetResString("Qz.WA.EAI.00008") + "：" + m2};
    transaction.Commit();
    return {0, m1};
}

// Records stay independent of each other: each commits (or rolls back) before the next begins.
// A record that meets another writer (the lock taken, or its snapshot made stale) is rolled back
// and run again, checks included, until it gets through or the contention limit passes.
void AddRecord(Instance& self, const Operations& ops, xml::Element record) {
    std::string key = platform::SharedIntegrationKit().GetFieldValue(record, "personname");
    Outcome outcome = db::RetryContended([&] { return TryRecord(self, ops, record); });
    AddResult(self, key, outcome.code, outcome.message);
}

// Holds the login and opens the connection with its connection string.
void SetUp(Instance& self, com::IDispatch* login) {
    self.login = com::ComPtr<com::IDispatch>(login);
    self.reply = xml::Document();
    if (!self.connection) self.connection = std::make_unique<db::Connection>();
    self.connection->SetStatementHook(self.statementHook);
    if (self.connection->State() == db::adStateOpen) self.connection->Close();
    std::string connectionString = com::ToText(*com::GetProperty(login, "ConnectionString").get());
    self.connection->Open(connectionString);
    payroll::RequirePayrollTables(*self.connection);
}

bool ReadKestFlag(const xml::Document& request) {
    try {
        xml::Element first = request.FirstElementByName("salaryitem");
        if (!first) return false;
        return base::AsciiUpper(platform::SharedIntegrationKit().GetAttribute(first, "type")) ==
               "KEST";
    } catch (...) {
        return false;  // a fault while reading leaves the flag clear
    }
}

}  // namespace

bool AddRecords(Instance& self, const Operations& ops, const xml::NodeList& records,
                std::string& reply) {
    try {
        for (xml::Element record : records) AddRecord(self, ops, record);
        reply = self.reply.Xml();
        return true;
    } catch (const base::Fault& fault) {
        AddResult(self, "Item", kBatchFault, fault.description());
    } catch (const std::exception& e) {
        AddResult(self, "Item", kBatchFault, e.what());
    }
    reply = self.reply.Xml();
    return false;
}

std::string Transact(Instance& self, const Operations& ops, const std::string& sXML,
                     com::IDispatch* login) {
    platform::IntegrationKit& kit = platform::SharedIntegrationKit();
    if (ops.readsKestFlag) self.kest = false;
    ConnectionRelease release(self);

    try {
        SetUp(self, login);
    } catch (const base::Fault& fault) {
        return kit.MakeReply(std::to_string(fault.number()), fault.description(), "");
    }

    xml::Document doc;
    CheckRequestSize(sXML.size());
    xml::ParseResult parsed = doc.Load(sXML);
    if (parsed.status == xml::ParseStatus::kOverLimit) base::ThrowInvalidArgument(parsed.reason);
    if (parsed.status == xml::ParseStatus::kNotWellFormed)
        return kit.MakeReply("100", self.messages.GetResString(std::string(ops.notXmlMessageId)),
                             "");
    xml::Element root = doc.Root();
    if (!root) return kit.MakeReply("101", self.messages.GetResString("Qz.WA.EAI.00006"), "");

    std::string rootTag = kit.GetAttribute(root, "roottag");
    std::string docid = kit.GetAttribute(root, "docid");
    std::string proc = kit.GetAttribute(root, "proc");
    // The outcome of the load is not looked at: a reply that did not load just stays empty.
    static_cast<void>(self.reply.Load(kit.BeginReply(docid, proc)));
    if (ops.readsKestFlag) self.kest = ReadKestFlag(doc);

    xml::NodeList records = root.Children(ops.recordTag);
    std::string operation = base::AsciiUpper(kit.GetAttribute(root, "proc"));
    std::string reply;
    if (operation == "ADD") {
        AddRecords(self, ops, records, reply);
    } else if (operation == "QUERY") {
        reply = doc.Xml();
        // roottag becomes part of an XPath expression and the name of every exported record.
        CheckRootTag(rootTag);
        xml::NodeList conditions = root.Select(rootTag + "/field");
        if (self.kest) {
            ops.queryKest(conditions, reply);
        } else {
            ops.query(conditions, reply);
        }
    } else {
        return kit.MakeReply("710", self.messages.GetResString("Qz.WA.EAI.00007"), "");
    }
    return reply;
}

}  // namespace component
