#include "component/transact.h"

#include "base/fault.h"
#include "base/text.h"
#include "com/late_call.h"
#include "component/add_records.h"
#include "component/request_limits.h"
#include "payroll/tables.h"
#include "platform/components.h"
#include "platform/message_ids.h"

namespace component {

namespace {

// Closes the instance's connection when Transact leaves, whatever the path.
class ConnectionRelease {
  public:
    explicit ConnectionRelease(Instance& instance) : instance_(instance) {}
    ~ConnectionRelease() { instance_.connection.reset(); }
    ConnectionRelease(const ConnectionRelease&) = delete;
    ConnectionRelease& operator=(const ConnectionRelease&) = delete;

  private:
    Instance& instance_;
};

// Holds the login, makes the message resource ready and opens the connection with the login's
// connection string.
void SetUp(Instance& instance, com::IDispatch* login) {
    instance.login = com::ComPtr<com::IDispatch>(login);
    instance.reply = xml::Document();
    instance.messages.Prepare();
    if (!instance.connection) instance.connection = std::make_unique<db::Connection>();
    instance.connection->SetStatementHook(instance.statementHook);
    if (instance.connection->State() == db::adStateOpen) instance.connection->Close();
    std::string connectionString = com::ToText(*com::GetProperty(login, "ConnectionString").get());
    instance.connection->Open(connectionString);
    payroll::RequirePayrollTables(*instance.connection);
}

// mode="validate" (in any case) asks for a trial; the reply's root says so, so that nobody takes
// its results for an import.
AddMode AddModeOf(const Instance& instance, xml::Element root, xml::Document& reply) {
    if (!instance.behaviour.knowsValidateMode) return AddMode::kWrite;
    if (base::AsciiUpper(platform::SharedIntegrationKit().GetAttribute(root, "mode")) != "VALIDATE")
        return AddMode::kWrite;
    if (xml::Element replyRoot = reply.Root()) replyRoot.SetAttribute("mode", "validate");
    return AddMode::kTrial;
}

// What the path roottag + "/field" selects from the root, found by walking the children: the
// `field` children of the root's children named roottag, in document order; with an empty roottag
// the path is "/field", the root itself when it is so named. A walk needs no path compiled, nor
// memory for it.
xml::NodeList RequestConditions(xml::Element root, const std::string& rootTag) {
    if (rootTag.empty())
        return xml::NodeList(root.IsNamed("field") ? std::vector<xml::Element>{root}
                                                   : std::vector<xml::Element>{});
    std::vector<xml::Element> fields;
    for (xml::Element holder : root.Children(rootTag))
        for (xml::Element field : holder.Children("field")) fields.push_back(field);
    return xml::NodeList(std::move(fields));
}

bool ReadKestFlag(const xml::Document& request) {
    try {
        xml::Element first = request.FirstElementByName("salaryitem");
        if (!first) return false;
        return base::AsciiUpper(platform::SharedIntegrationKit().GetAttribute(first, "type")) ==
               "KEST";
    } catch (const base::Fault&) {
        return false;  // a fault while reading leaves the flag clear
    }
}

}  // namespace

std::string Transact(Instance& instance, RecordKind& kind, std::string sXML,
                     com::IDispatch* login) {
    const platform::IntegrationKit& kit = platform::SharedIntegrationKit();
    if (kind.ReadsKestFlag()) instance.kest = false;
    // Declared before the connection's release, so freed after it: closing checkpoints the log,
    // which asks for a large block, and the allocator first merges every small block freed
    // before such a request.
    xml::Document doc;
    ConnectionRelease release(instance);

    try {
        SetUp(instance, login);
    } catch (const std::exception&) {
        // Memory running out included: the set-up's every fault is the reply's.
        const base::Fault fault = base::CurrentFault();
        return kit.MakeReply(std::to_string(fault.number()), fault.description());
    }

    CheckRequestSize(sXML.size());
    xml::ParseResult parsed = doc.LoadInPlace(std::move(sXML));
    if (parsed.status == xml::ParseStatus::kOverLimit) base::ThrowInvalidArgument(parsed.reason);
    if (parsed.status == xml::ParseStatus::kNotWellFormed)
        return kit.MakeReply("100",
                             instance.messages.GetResString(std::string(kind.NotXmlMessageId())));
    xml::Element root = doc.Root();
    if (!root)
        return kit.MakeReply("101", instance.messages.GetResString(message_ids::kNoRootElement));

    std::string rootTag = kit.GetAttribute(root, "roottag");
    std::string docid = kit.GetAttribute(root, "docid");
    std::string proc = kit.GetAttribute(root, "proc");
    // BeginReply's text is well-formed: only memory running out keeps it from loading, and a
    // reply left empty would hide the records written.
    if (!instance.reply.Load(kit.BeginReply(docid, proc))) base::ThrowOutOfMemory();
    if (kind.ReadsKestFlag()) instance.kest = ReadKestFlag(doc);

    xml::NodeList records = root.Children(kind.RecordTag());
    std::string operation = base::AsciiUpper(kit.GetAttribute(root, "proc"));
    std::string reply;
    if (operation == "ADD") {
        AddRecords(instance, kind, records, reply, AddModeOf(instance, root, instance.reply));
    } else if (operation == "QUERY") {
        reply = doc.Xml();
        // roottag becomes part of an XPath expression and the name of every exported record.
        CheckRootTag(rootTag);
        xml::NodeList conditions = RequestConditions(root, rootTag);
        if (instance.kest) {
            kind.ExportKest(conditions, reply);
        } else {
            kind.Export(conditions, reply);
        }
    } else {
        return kit.MakeReply("710", instance.messages.GetResString(message_ids::kNotProvided));
    }
    return reply;
}

}  // namespace component
