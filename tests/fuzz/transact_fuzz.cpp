// A coverage-guided fuzz target over Transact: every input is a request text, handed to a new
// ISalaryPerson when it mentions salaryperson and to a new ISalaryItem otherwise, of one of the
// three interface revisions, through IDispatch as the platform calls it, with a stub login and
// (in the current revision) a caller for pages, against a fresh
// copy of the demo payroll database kept in memory-backed storage. Faults are answers; a crash,
// a leak or a sanitizer report is a finding.
//
// Built with clang's libFuzzer (WAGELINK_FUZZ=ON); scripts/fuzz.sh runs it at length.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/fault.h"
#include "com/automation.h"
#include "com/late_call.h"
#include "component/class_factory.h"
#include "component/classes.h"
#include "demo_database.h"
#include "platform/objects.h"
#include "revisions/revisions.h"

namespace {

// Accepts every page, as a platform that forwards them would.
class Pages final : public com::Automation<Pages> {
  public:
    void* Answer(const com::IID& iid) { return iid == com::IID_IDispatch ? this : nullptr; }
    static com::HRESULT ProcessExport(Pages&, com::DispatchArguments&, com::WORD, com::VARIANT*) {
        return com::S_OK;
    }
    static constexpr com::DispatchMember<Pages> kMembers[] = {
        {"ProcessExport", 1, 3, 3, &ProcessExport}};
};

// The template database, written once, and the copy each input runs against.
struct Databases {
    std::string folder;
    std::string templ;
    std::string copy;
    std::string bytes;

    Databases() {
        const char* shm = std::filesystem::exists("/dev/shm") ? "/dev/shm" : nullptr;
        std::string pattern =
            std::string(shm ? shm : std::filesystem::temp_directory_path().c_str()) +
            "/wagelink-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        templ = folder + "/template.db";
        copy = folder + "/payroll.db";
        sql::WriteDemoDatabase(templ);
        std::ifstream in(templ, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ~Databases() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    // A fresh copy: the database file as the template, with no log beside it. The copy is
    // written again only when the input before changed it (most inputs write nothing).
    void Fresh() {
        if (Stamp() == written) return;
        std::filesystem::remove(copy + "-wal");
        std::filesystem::remove(copy + "-shm");
        std::ofstream(copy, std::ios::binary | std::ios::trunc) << bytes;
        written = Stamp();
    }

  private:
    // What tells a changed copy: its size and modification time, and whether a log is left.
    std::string Stamp() const {
        struct stat st {};
        if (::stat(copy.c_str(), &st) != 0) return "none";
        return std::to_string(st.st_size) + "/" + std::to_string(st.st_mtim.tv_sec) + "." +
               std::to_string(st.st_mtim.tv_nsec) + "/" +
               std::to_string(std::filesystem::exists(copy + "-wal"));
    }
    std::string written = "never";
};

// ISalaryItem or ISalaryPerson of the current (0), second (1) or first (2) revision, as its
// library's class factory creates it.
com::ComPtr<com::IDispatch> NewServer(std::size_t revision, bool person) {
    std::span<const com::CreatableClass> classes = revision == 0 ? component::ServerClasses()
                                                   : revision == 1
                                                       ? revisions::SecondRevisionClasses()
                                                       : revisions::FirstRevisionClasses();
    com::ComPtr<com::IUnknown> object = classes[person ? 1 : 0].create();
    com::ComPtr<com::IDispatch> dispatch;
    if (com::FAILED(object->QueryInterface(com::IID_IDispatch,
                                           reinterpret_cast<void**>(dispatch.Receive()))))
        std::abort();
    return dispatch;
}

void Put(com::IDispatch* object, const char* property, com::Variant value) {
    com::CallByName(object, property, com::DISPATCH_PROPERTYPUT, {*value.get()});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Databases databases;
    databases.Fresh();
    const std::string request(reinterpret_cast<const char*>(data), size);
    // The revision by the input's length, so that every input runs against one of the three.
    const std::size_t revision = size % 3;
    com::ComPtr<com::IDispatch> server =
        NewServer(revision, request.find("salaryperson") != std::string::npos);
    com::ComPtr<com::IDispatch> login = platform::CreateLogin();
    try {
        Put(login.get(), "ConnectionString",
            com::Variant::FromText("Provider=SQLite;Data Source=" + databases.copy));
        Put(login.get(), "LoginYear", com::Variant::FromText("2026"));
        Put(login.get(), "LoginMonth", com::Variant::FromShort(12));
        com::Variant caller = com::Variant::FromDispatch(Pages::Create().get());
        if (revision == 0)  // the earlier revisions hold no caller
            com::CallByName(server.get(), "AddObjectReference", com::DISPATCH_METHOD,
                            {com::ByRef(caller)});
        com::Variant text = com::Variant::FromText(request);
        com::Variant loginArg = com::Variant::FromDispatch(login.get());
        com::CallByName(server.get(), "Transact", com::DISPATCH_METHOD,
                        {*text.get(), com::ByRef(loginArg)});
    } catch (const base::Fault&) {
        // A failed call is an answer: the server refused the request.
    }
    return 0;
}
