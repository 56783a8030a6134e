// A coverage-guided fuzz target over the automation surface a platform reaches: GetIDsOfNames and
// Invoke of every class of the three revisions, of every object of the platform library and of
// the recordset face given to row mappers, and of every object their calls hand back. Each input
// is a short program of calls: which object, which DISPID (the tables' own, the special ones,
// any other), any flags, 0 to 12 arguments of every well-formed VARIANT type (by value and by
// reference, missing markers, arrays, our own objects), named arguments, and null result, error
// and argument pointers. An HRESULT is an answer; a crash, a leak or a sanitizer report is a
// finding.
//
// Built with clang's libFuzzer (WAGELINK_FUZZ=ON), run for a minute among the tests.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/fault.h"
#include "com/automation.h"
#include "com/late_call.h"
#include "component/class_factory.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "platform/objects.h"
#include "platform/recordset_object.h"
#include "revisions/revisions.h"
#include "wagelink_identities.h"

namespace {

using com::VARIANT;

// The DISPIDs worth trying first: every table's, the special ones, and the gaps between.
const com::DISPID kDispIds[] = {WAGELINK_DISPID_ADD_OBJECT_REFERENCE,
                                WAGELINK_DISPID_DROP_OBJECT_REFERENCE,
                                WAGELINK_DISPID_TRANSACT,
                                WAGELINK_DISPID_QUERY_PROC,
                                WAGELINK_DISPID_GEN_LEN,
                                WAGELINK_DISPID_GET_RES_STRING,
                                WAGELINK_DISPID_GET_RES_STRING_ARG,
                                WAGELINK_DISPID_LANG,
                                WAGELINK_DISPID_UN_LANG,
                                WAGELINK_DISPID_QUERY_PROC_KEST,
                                WAGELINK_EARLIER_DISPID_QUERY_PROC,
                                WAGELINK_EARLIER_DISPID_GEN_LEN,
                                WAGELINK_EARLIER_DISPID_GET_RES_STRING,
                                WAGELINK_EARLIER_DISPID_GET_RES_STRING_ARG,
                                WAGELINK_EARLIER_DISPID_LANG,
                                WAGELINK_EARLIER_DISPID_UN_LANG,
                                0x60030003,
                                0x60030014,
                                0,
                                1,
                                2,
                                3,
                                4,
                                5,
                                6,
                                7,
                                8,
                                9,
                                -1,
                                -2,
                                -3,
                                -4,
                                -5,
                                -6,
                                -7,
                                -8,
                                -552};
const char* const kNames[] = {"AddObjectReference",
                              "DropObjectReference",
                              "Transact",
                              "QueryProc",
                              "QueryProcKest",
                              "GenLen",
                              "GetResString",
                              "GetResStringArg",
                              "Lang",
                              "unLang",
                              "ConnectionString",
                              "LoginYear",
                              "LoginMonth",
                              "loadXML",
                              "selectNodes",
                              "length",
                              "item",
                              "nodeName",
                              "xml",
                              "LoadMessage",
                              "MakeReply",
                              "GetAttribute",
                              "GetFieldValue",
                              "AddResult",
                              "BeginReply",
                              "FillRecord",
                              "Fields",
                              "EOF",
                              "Item",
                              "Count",
                              "Value",
                              "Name",
                              ""};
const char* const kTexts[] = {"",
                              "Qz.WA.EAI.00010",
                              "应发合计",
                              "<vkinterface proc='ADD'/>",
                              "<vkinterface roottag='salaryitem' proc='QUERY' paginate='2'/>",
                              "//field",
                              "SalaryItemXmlRs.Xml",
                              "cPsn_Num",
                              "salaryitem",
                              "n"};

// The recordset face a row mapper gets, over a row of an in-memory database, for the process.
struct Recordset {
    db::Connection connection;
    db::Recordset rows;
    std::unique_ptr<platform::RecordsetFace> face;
    Recordset() {
        connection.Open("Provider=SQLite;Data Source=:memory:");
        connection.Execute("create table t (cPsn_Num varchar(10), iMonth int, m money)");
        connection.Execute("insert into t values ('0001', 12, 1500.5), (null, null, null)");
        rows.Open("select * from t", connection);
        face = std::make_unique<platform::RecordsetFace>(rows);
    }
};

class Program {
  public:
    explicit Program(FuzzedDataProvider& in) : in_(in) {
        for (auto classes : {component::ServerClasses(), revisions::SecondRevisionClasses(),
                             revisions::FirstRevisionClasses(), platform::PlatformClasses()})
            for (const com::CreatableClass& c : classes) Add(c.create());
        static Recordset recordset;
        objects_.emplace_back(recordset.face->object());
        // A login whose database opens, so that a call can get past its set-up.
        com::ComPtr<com::IDispatch> login = platform::CreateLogin();
        com::Variant where = com::Variant::FromText("Provider=SQLite;Data Source=:memory:");
        com::CallByName(login.get(), "ConnectionString", com::DISPATCH_PROPERTYPUT, {*where.get()});
        objects_.push_back(std::move(login));
    }

    void Run() {
        for (int step = 0; step < 24 && in_.remaining_bytes() > 0; ++step) {
            com::IDispatch* target = Pick();
            if (in_.ConsumeIntegralInRange(0, 7) == 0)
                AskNames(target);
            else
                Invoke(target);
        }
    }

    // A server instance keeps the latest login and caller, as a COM object keeps what it is
    // given, so a program that handed an instance itself (or two instances each other) made a
    // cycle of references. The platform's way out is ours: give each instance Nothing.
    ~Program() {
        com::Variant nothing = com::Variant::FromDispatch(nullptr);
        com::Variant empty = com::Variant::FromText("");
        for (std::size_t i = 0; i < kServers; ++i) {
            CallIgnoringFaults(objects_[i].get(), "Transact", {*empty.get(), *nothing.get()});
            if (i < 2)
                CallIgnoringFaults(objects_[i].get(), "AddObjectReference", {*nothing.get()});
        }
    }

  private:
    static constexpr std::size_t kServers = 6;  // the first objects: three revisions' two classes

    static void CallIgnoringFaults(com::IDispatch* object, const char* name,
                                   const std::vector<VARIANT>& args) {
        try {
            com::CallByName(object, name, com::DISPATCH_METHOD, args);
        } catch (const base::Fault&) {
        }
    }

    void Add(com::ComPtr<com::IUnknown> object) {
        com::ComPtr<com::IDispatch> dispatch = object.As<com::IDispatch>(com::IID_IDispatch);
        if (dispatch && objects_.size() < 48) objects_.push_back(std::move(dispatch));
    }
    com::IDispatch* Pick() {
        return objects_[in_.ConsumeIntegralInRange<std::size_t>(0, objects_.size() - 1)].get();
    }
    // A text as a client may send it: one of the vocabulary's, or any UTF-16 code units (lone
    // surrogates and NULs included), owned by the Bstr.
    com::Bstr Text() {
        if (in_.ConsumeBool())
            return com::Bstr(
                kTexts[in_.ConsumeIntegralInRange<std::size_t>(0, std::size(kTexts) - 1)]);
        std::u16string units;
        for (std::size_t n = in_.ConsumeIntegralInRange<std::size_t>(0, 48); n > 0; --n)
            units.push_back(in_.ConsumeIntegral<char16_t>());
        return com::Bstr::Attach(
            com::SysAllocStringLen(units.data(), static_cast<com::UINT>(units.size())));
    }

    void AskNames(com::IDispatch* target) {
        const com::UINT count = in_.ConsumeIntegralInRange<com::UINT>(0, 3);
        std::vector<com::Bstr> names;
        std::vector<com::LPOLESTR> pointers;
        for (com::UINT i = 0; i < count; ++i) {
            const std::size_t known =
                in_.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) * 2);
            names.push_back(known < std::size(kNames) ? com::Bstr(kNames[known]) : Text());
            pointers.push_back(in_.ConsumeIntegralInRange(0, 9) == 0 ? nullptr
                                                                     : names.back().get());
        }
        std::vector<com::DISPID> ids(count + 1);
        const bool nullNames = in_.ConsumeIntegralInRange(0, 9) == 0;
        const bool nullIds = in_.ConsumeIntegralInRange(0, 9) == 0;
        target->GetIDsOfNames(
            in_.ConsumeIntegralInRange(0, 9) == 0 ? com::IID_IDispatch : com::IID_NULL,
            nullNames ? nullptr : pointers.data(), count, 0, nullIds ? nullptr : ids.data());
    }

    // One argument, of a type chosen by the input; what it refers to lives in `Store`.
    struct Store {
        std::vector<std::unique_ptr<com::Variant>> values;  // owned values and referents
        std::vector<std::unique_ptr<com::BSTR>> texts;      // referents of VT_BSTR | VT_BYREF
        std::vector<std::unique_ptr<com::IDispatch*>> objects;
        std::vector<std::unique_ptr<std::int64_t>> scalars;
        ~Store() {
            for (auto& t : texts) com::SysFreeString(*t);
            for (auto& o : objects)
                if (*o) (*o)->Release();
        }
    };

    com::Variant Scalar(com::VARTYPE vt) {
        com::Variant v;
        v.get()->vt = vt;
        v.get()->llVal = 0;
        switch (vt) {
            case 4:  // VT_R4
                *reinterpret_cast<float*>(&v.get()->llVal) = in_.ConsumeFloatingPoint<float>();
                break;
            case com::VT_R8:
            case 7:  // VT_DATE
                v.get()->dblVal = in_.ConsumeFloatingPoint<double>();
                break;
            default:
                v.get()->llVal = in_.ConsumeIntegral<std::int64_t>();
        }
        return v;
    }

    com::Variant Value(Store& store, int depth) {
        switch (in_.ConsumeIntegralInRange(0, 13)) {
            case 0:
                return com::Variant();
            case 1:
                return com::Variant::Null();
            case 2:
                return com::Variant::Missing();
            case 3:
                return com::Variant::FromBstr(Text());
            case 4: {
                com::Variant v;
                v.get()->vt = com::VT_BSTR;  // a null BSTR, the empty text
                v.get()->bstrVal = nullptr;
                return v;
            }
            case 5:
                return com::Variant::FromDispatch(in_.ConsumeBool() ? Pick() : nullptr);
            case 6: {
                com::Variant v;
                v.get()->vt = com::VT_UNKNOWN;
                v.get()->punkVal = in_.ConsumeBool() ? Pick() : nullptr;
                if (v.get()->punkVal) v.get()->punkVal->AddRef();
                return v;
            }
            case 7:
                return com::Variant::FromBool(in_.ConsumeBool());
            case 8: {
                constexpr com::VARTYPE kScalars[] = {2,  3,  4,  5,  6,  7,  10, 16,
                                                     17, 18, 19, 20, 21, 22, 23};
                return Scalar(kScalars[in_.ConsumeIntegralInRange<std::size_t>(0, 14)]);
            }
            case 9: {
                const com::ULONG n = in_.ConsumeIntegralInRange<com::ULONG>(0, 3);
                com::SAFEARRAY* array = com::SafeArrayCreateVector(com::VT_VARIANT, 0, n);
                for (com::ULONG i = 0; i < n && depth < 2; ++i)
                    com::SafeArrayElements(array)[i] = Value(store, depth + 1).Detach();
                com::Variant v;
                v.get()->vt = com::VT_ARRAY | com::VT_VARIANT;
                v.get()->parray = array;
                return v;
            }
            case 10: {  // a VARIANT by reference
                if (depth > 0) return com::Variant();
                store.values.push_back(std::make_unique<com::Variant>(Value(store, depth + 1)));
                com::Variant v;
                v.get()->vt = com::VT_BYREF | com::VT_VARIANT;
                v.get()->pvarVal = store.values.back()->get();
                return v;
            }
            case 11: {
                store.texts.push_back(std::make_unique<com::BSTR>(Text().Detach()));
                com::Variant v;
                v.get()->vt = com::VT_BYREF | com::VT_BSTR;
                v.get()->pbstrVal = store.texts.back().get();
                return v;
            }
            case 12: {
                com::IDispatch* object = in_.ConsumeBool() ? Pick() : nullptr;
                if (object) object->AddRef();
                store.objects.push_back(std::make_unique<com::IDispatch*>(object));
                com::Variant v;
                v.get()->vt = com::VT_BYREF | com::VT_DISPATCH;
                v.get()->ppdispVal = store.objects.back().get();
                return v;
            }
            default: {
                constexpr com::VARTYPE kScalars[] = {2, 3, 5, 11};
                store.scalars.push_back(
                    std::make_unique<std::int64_t>(in_.ConsumeIntegral<std::int64_t>()));
                com::Variant v;
                v.get()->vt =
                    com::VT_BYREF | kScalars[in_.ConsumeIntegralInRange<std::size_t>(0, 3)];
                v.get()->byref = store.scalars.back().get();
                return v;
            }
        }
    }

    void Invoke(com::IDispatch* target) {
        com::DISPID id =
            in_.ConsumeBool()
                ? kDispIds[in_.ConsumeIntegralInRange<std::size_t>(0, std::size(kDispIds) - 1)]
                : in_.ConsumeIntegral<com::DISPID>();
        const com::WORD flags = in_.ConsumeBool()
                                    ? static_cast<com::WORD>(in_.ConsumeIntegralInRange(1, 4))
                                    : in_.ConsumeIntegral<com::WORD>();
        Store store;
        const std::size_t count = in_.ConsumeIntegralInRange<std::size_t>(0, 12);
        std::vector<com::Variant> args;
        for (std::size_t i = 0; i < count; ++i) args.push_back(Value(store, 0));
        std::vector<VARIANT> raw;
        for (com::Variant& a : args) raw.push_back(*a.get());  // Invoke borrows them
        std::vector<com::DISPID> named(count);
        const com::UINT namedCount = in_.ConsumeIntegralInRange<com::UINT>(0, count);
        for (com::UINT i = 0; i < namedCount; ++i)
            named[i] = in_.ConsumeBool() ? com::DISPID_PROPERTYPUT
                                         : in_.ConsumeIntegralInRange<com::DISPID>(-4, 4);
        com::DISPPARAMS params{raw.data(), named.data(), static_cast<com::UINT>(count), namedCount};
        com::Variant result;
        com::EXCEPINFO info{};
        com::UINT argErr = 0;
        const int pointers = in_.ConsumeIntegral<std::uint8_t>();
        target->Invoke(id, com::IID_NULL, 0, flags, pointers & 1 ? nullptr : &params,
                       pointers & 2 ? nullptr : result.Receive(), pointers & 4 ? nullptr : &info,
                       pointers & 8 ? nullptr : &argErr);
        com::ClearExcepInfo(&info);
        const VARIANT value = com::Dereference(*result.get());
        if (value.vt == com::VT_DISPATCH && value.pdispVal)
            Add(com::ComPtr<com::IUnknown>(value.pdispVal));
    }

    FuzzedDataProvider& in_;
    std::vector<com::ComPtr<com::IDispatch>> objects_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // No ODBC driver to load: a connection string a call makes up stays on this machine.
    static const std::string none =
        (std::filesystem::temp_directory_path() / "wagelink-invoke-fuzz-no-odbc").string();
    std::filesystem::create_directories(none);
    setenv("ODBCSYSINI", none.c_str(), 1);
    setenv("ODBCINI", (none + "/odbc.ini").c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Program(in).Run();
    return 0;
}
