#include "transact_command.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>

#include "base/fault.h"
#include "base/text.h"
#include "com/activation.h"
#include "com/late_call.h"
#include "page_writer.h"
#include "progress.h"
#include "registrations.h"
#include "reply_summary.h"
#include "request_text.h"
#include "stop_signals.h"
#include "trial_request.h"
#include "usage_error.h"
#include "xml/document.h"

namespace cli {

namespace {

using ProgressSetter = void (*)(void (*)(int, long, long));

std::string ReadRequest(const std::string& source) {
    std::ifstream file;
    if (source != "-") {
        file.open(source, std::ios::binary);
        if (!file) throw base::Fault(base::kFileNotFound, "File not found: " + source);
    }
    std::istream& in = source == "-" ? std::cin : file;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return RequestText(std::move(bytes));
}

void Put(com::IDispatch* object, const char* property, com::Variant value) {
    com::CallByName(object, property, com::DISPATCH_PROPERTYPUT, {*value.get()});
}

// The record elements of the class a ProgID names, and of the other class.
std::string RecordTagOf(const std::string& progId) {
    return base::AsciiLower(progId) == "wagelink.isalaryperson" ? "salaryperson" : "salaryitem";
}
std::string OtherRecordTag(const std::string& tag) {
    return tag == "salaryperson" ? "salaryitem" : "salaryperson";
}

// An ADD the server answered without a result handled no record: what the root holds instead
// (element names and counts, in order of first appearance), and which class takes records of the
// other kind, for the person at the prompt. The request is read again only then.
void TellWhatTheRootHolds(const std::string& request, const std::string& progId) {
    const std::string recordTag = RecordTagOf(progId);
    std::cerr << "wagelink: the ADD handled no record: " << progId << " takes <" << recordTag
              << "> records, ";
    xml::Document doc;
    if (doc.Load(request).status != xml::ParseStatus::kOk || !doc.Root()) {
        std::cerr << "and the request has no root element\n";
        return;
    }
    std::vector<std::pair<std::string, std::size_t>> held;
    for (xml::Element child : doc.Root().Select("*")) {
        auto it = std::find_if(held.begin(), held.end(),
                               [&](const auto& h) { return h.first == child.Name(); });
        if (it == held.end())
            held.emplace_back(child.Name(), 1);
        else
            ++it->second;
    }
    std::cerr << "and the root <" << doc.Root().Name() << "> holds ";
    if (held.empty()) std::cerr << "no element";
    for (std::size_t i = 0; i < held.size(); ++i)
        std::cerr << (i ? ", " : "") << held[i].second << " <" << held[i].first << ">";
    std::cerr << "\n";
    const std::string other = OtherRecordTag(recordTag);
    if (!doc.Root().Children(other).empty())
        std::cerr << "wagelink: "
                  << (other == "salaryperson" ? "Wagelink.ISalaryPerson" : "Wagelink.ISalaryItem")
                  << " takes the " << other << " records\n";
}

// An earlier interface revision knows no trial and would write every record: the current one is
// the only one whose classes answer AddObjectReference.
void RequireTrialMode(com::IDispatch* server, const std::string& progId) {
    try {
        com::GetDispId(server, "AddObjectReference");
    } catch (const base::Fault&) {
        const com::Registry registry = com::Registry::Open();
        std::optional<Registration> r = RegistrationOf(registry, progId);
        throw UsageError("--validate-only: the class registered for " + progId + " (" +
                         (r ? r->library + ", type library " + r->typeLibVersion : "?") +
                         ") is an earlier interface revision, which has no trial mode and "
                         "would write every record; nothing was sent. Register the current "
                         "revision (wagelink register) or leave out --validate-only.");
    }
}

// The library behind a ProgID, for its host-control exports; empty when it cannot be found.
std::string LibraryOf(const std::string& progId) {
    const com::Registry registry = com::Registry::Open();
    std::optional<Registration> r = RegistrationOf(registry, progId);
    return r ? r->library : "";
}

template <class Function>
Function OptionalExport(const std::string& library, const char* name) {
    if (library.empty()) return nullptr;
    try {
        return reinterpret_cast<Function>(com::LoadExport(library, name));
    } catch (const base::Fault&) {
        return nullptr;  // a library without it: no stop at a boundary, no progress
    }
}

}  // namespace

int Transact(const TransactOptions& o) {
    std::string request = ReadRequest(o.request);
    com::ComPtr<com::IDispatch> server = com::CreateObject(o.progId);
    if (o.validateOnly) {
        RequireTrialMode(server.get(), o.progId);
        request = TrialRequest(request);
    }
    com::ComPtr<com::IDispatch> login = com::CreateObject("QzLogin.Login");
    Put(login.get(), "ConnectionString", com::Variant::FromText(o.connection));
    Put(login.get(), "LoginYear", com::Variant::FromText(std::to_string(o.loginYear)));
    Put(login.get(), "LoginMonth", com::Variant::FromLong(o.loginMonth));
    if (!o.pages.empty()) {
        PreparePageDirectory(o.pages, o.overwrite);
        com::Variant caller = com::Variant::FromDispatch(CreatePageWriter(o.pages).get());
        com::CallByName(server.get(), "AddObjectReference", com::DISPATCH_METHOD,
                        {com::ByRef(caller)});
    }

    const std::string library = LibraryOf(o.progId);
    CatchStopSignals(OptionalExport<StopFunction>(library, "WagelinkRequestStop"));
    const auto setProgress = OptionalExport<ProgressSetter>(library, "WagelinkSetProgress");
    if (o.progress || ::isatty(STDERR_FILENO)) {
        StartProgress();
        if (setProgress) setProgress(&ShowServerProgress);
    }

    com::Variant xml = com::Variant::FromText(request);
    com::Variant loginArg = com::Variant::FromDispatch(login.get());
    com::Variant reply;
    try {
        reply = com::CallByName(server.get(), "Transact", com::DISPATCH_METHOD,
                                {*xml.get(), com::ByRef(loginArg)});
    } catch (...) {
        EndProgress();
        throw;
    }
    EndProgress();
    if (setProgress) setProgress(nullptr);
    const std::string replyText = com::ToText(*reply.get());
    std::cout << replyText << '\n' << std::flush;
    if (!std::cout)
        throw base::Fault(base::kFileAccess, "Cannot write the reply to standard output");
    const bool noRecord = AnswersNoRecord(replyText);
    if (noRecord) TellWhatTheRootHolds(request, o.progId);
    if (o.summary) std::cerr << ReplySummary(request, replyText, RecordTagOf(o.progId));
    if (StopSignal()) return 128 + StopSignal();
    return noRecord ? kNoRecord : ExitCodeOfReply(replyText);
}

}  // namespace cli
