// What a script cannot reach, checked from C++ through the system's COM: every interface
// identifier each class answers to, the vtable slot order of the default interfaces, the type
// library's DISPIDs against GetIDsOfNames and against the published tables, error info through
// the vtable, DllCanUnloadNow, a platform's own message resource and integration kit taking
// the place of ours, and a platform's own row mapper that reads the recordset as a script does,
// with a login whose properties answer only a property get. Loads the three server DLLs from the
// folder named on the command line without registering them (the platform DLL, which the login
// object comes from, is registered). Prints "not ok - ..." for each failed check and a last line
// "summary: N passed, M failed".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "wagelink_identities.h"

namespace {

// A braced GUID of identities.h as a wide text.
#define W(guid) L"" WAGELINK_GUID_TEXT(guid)

int passed = 0;
int failed = 0;

void Check(bool ok, const std::string& what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("not ok - %s\n", what.c_str());
    }
}

GUID Guid(const wchar_t* text) {
    GUID g{};
    CLSIDFromString(text, &g);
    return g;
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) out += static_cast<char>(*text < 128 ? *text : '?');
    return out;
}

struct Method {
    const wchar_t* name;
    DISPID id;
};

struct Class {
    const wchar_t* clsid;
    const wchar_t* defaultIid;
    std::vector<const wchar_t*> alsoIids;  // earlier versions the same object answers to
    std::vector<Method> methods;           // in slot order after IDispatch's seven
};

struct Library {
    const wchar_t* file;
    std::vector<Class> classes;
};

const std::vector<Method> kCurrent = {
    {L"AddObjectReference", WAGELINK_DISPID_ADD_OBJECT_REFERENCE},
    {L"DropObjectReference", WAGELINK_DISPID_DROP_OBJECT_REFERENCE},
    {L"Transact", WAGELINK_DISPID_TRANSACT},
    {L"QueryProc", WAGELINK_DISPID_QUERY_PROC},
    {L"GenLen", WAGELINK_DISPID_GEN_LEN},
    {L"GetResString", WAGELINK_DISPID_GET_RES_STRING},
    {L"GetResStringArg", WAGELINK_DISPID_GET_RES_STRING_ARG},
    {L"Lang", WAGELINK_DISPID_LANG},
    {L"unLang", WAGELINK_DISPID_UN_LANG}};
const std::vector<Method> kSecond = {
    {L"Transact", WAGELINK_EARLIER_DISPID_TRANSACT},
    {L"QueryProc", WAGELINK_EARLIER_DISPID_QUERY_PROC},
    {L"GenLen", WAGELINK_EARLIER_DISPID_GEN_LEN},
    {L"GetResString", WAGELINK_EARLIER_DISPID_GET_RES_STRING},
    {L"GetResStringArg", WAGELINK_EARLIER_DISPID_GET_RES_STRING_ARG},
    {L"Lang", WAGELINK_EARLIER_DISPID_LANG},
    {L"unLang", WAGELINK_EARLIER_DISPID_UN_LANG}};
const std::vector<Method> kFirst = {{L"Transact", WAGELINK_EARLIER_DISPID_TRANSACT},
                                    {L"QueryProc", WAGELINK_EARLIER_DISPID_QUERY_PROC}};

std::vector<Method> With(std::vector<Method> methods, Method more) {
    methods.push_back(more);
    return methods;
}

const Library kLibraries[] = {
    {L"wagelink.dll",
     {{W(WAGELINK_CLSID_SALARY_ITEM),
       W(WAGELINK_IID_SALARY_ITEM),
       {W(WAGELINK_IID_SALARY_ITEM_EARLIER)},
       With(kCurrent, {L"QueryProcKest", WAGELINK_DISPID_QUERY_PROC_KEST})},
      {W(WAGELINK_CLSID_SALARY_PERSON), W(WAGELINK_IID_SALARY_PERSON), {}, kCurrent}}},
    {L"wagelink-rev2.dll",
     {{W(WAGELINK_EARLIER_CLSID_SALARY_ITEM),
       W(WAGELINK_SECOND_IID_SALARY_ITEM),
       {W(WAGELINK_FIRST_IID_SALARY_ITEM), W(WAGELINK_BETWEEN1_IID_SALARY_ITEM),
        W(WAGELINK_BETWEEN2_IID_SALARY_ITEM)},
       kSecond},
      {W(WAGELINK_EARLIER_CLSID_SALARY_PERSON),
       W(WAGELINK_SECOND_IID_SALARY_PERSON),
       {W(WAGELINK_FIRST_IID_SALARY_PERSON), W(WAGELINK_BETWEEN1_IID_SALARY_PERSON),
        W(WAGELINK_BETWEEN2_IID_SALARY_PERSON)},
       kSecond}}},
    {L"wagelink-rev1.dll",
     {{W(WAGELINK_EARLIER_CLSID_SALARY_ITEM), W(WAGELINK_FIRST_IID_SALARY_ITEM), {}, kFirst},
      {W(WAGELINK_EARLIER_CLSID_SALARY_PERSON), W(WAGELINK_FIRST_IID_SALARY_PERSON), {}, kFirst}}},
};

// The type library's description of `iid`: each method's name, DISPID and vtable slot.
void CheckTypeLibrary(ITypeLib* library, const Class& c, const std::string& where) {
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(Guid(c.defaultIid), &info))) {
        Check(false, where + ": the type library describes the default interface");
        return;
    }
    // A dual interface's vtable side tells the slots.
    HREFTYPE vtableSide = 0;
    ITypeInfo* vtable = nullptr;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtableSide)))
        info->GetRefTypeInfo(vtableSide, &vtable);
    ITypeInfo* described = vtable ? vtable : info;
    TYPEATTR* attributes = nullptr;
    described->GetTypeAttr(&attributes);
    Check(attributes && attributes->wTypeFlags & TYPEFLAG_FDUAL,
          where + ": the default interface is dual");
    Check(attributes && attributes->wTypeFlags & TYPEFLAG_FHIDDEN &&
              attributes->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE &&
              attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION,
          where + ": hidden, non-extensible, OLE automation");
    const UINT functions = attributes ? attributes->cFuncs : 0;
    described->ReleaseTypeAttr(attributes);
    Check(functions == c.methods.size(), where + ": the type library has " +
                                             std::to_string(functions) + " methods, expected " +
                                             std::to_string(c.methods.size()));
    for (UINT i = 0; i < functions && i < c.methods.size(); ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(described->GetFuncDesc(i, &f))) continue;
        BSTR name = nullptr;
        described->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr);
        const Method& m = c.methods[i];
        const std::string method = where + " " + Narrow(m.name);
        Check(name && std::wstring(name) == m.name, method + ": in slot " + std::to_string(7 + i));
        Check(f->memid == m.id, method + ": its DISPID in the type library");
        Check(f->oVft == static_cast<SHORT>((7 + i) * sizeof(void*)),
              method + ": its vtable offset in the type library");
        SysFreeString(name);
        described->ReleaseFuncDesc(f);
    }
    if (vtable) vtable->Release();
    info->Release();
}

void CheckObject(IUnknown* object, const Class& c, const std::string& where) {
    IDispatch* dispatch = nullptr;
    Check(SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))),
          where + ": answers IDispatch");
    std::vector<const wchar_t*> iids = c.alsoIids;
    iids.push_back(c.defaultIid);
    for (const wchar_t* iid : iids) {
        IUnknown* answered = nullptr;
        Check(SUCCEEDED(object->QueryInterface(Guid(iid), reinterpret_cast<void**>(&answered))),
              where + ": answers " + Narrow(iid));
        if (answered) answered->Release();
    }
    IUnknown* none = nullptr;
    Check(object->QueryInterface(Guid(L"{12345678-1234-1234-1234-123456789ABC}"),
                                 reinterpret_cast<void**>(&none)) == E_NOINTERFACE &&
              !none,
          where + ": E_NOINTERFACE for an identifier of no interface of its own");
    ISupportErrorInfo* support = nullptr;
    object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support));
    const HRESULT supports =
        support ? support->InterfaceSupportsErrorInfo(Guid(c.defaultIid)) : E_NOINTERFACE;
    Check(supports == S_OK, where + ": ISupportErrorInfo says the default interface leaves error " +
                                "info: " + std::to_string(supports));
    if (support) support->Release();
    if (!dispatch) return;
    UINT count = 0;
    ITypeInfo* described = nullptr;
    dispatch->GetTypeInfoCount(&count);
    dispatch->GetTypeInfo(0, 0, &described);
    TYPEATTR* attributes = nullptr;
    if (described) described->GetTypeAttr(&attributes);
    Check(count == 1 && attributes && attributes->guid == Guid(c.defaultIid),
          where + ": GetTypeInfo describes the default interface");
    if (attributes) described->ReleaseTypeAttr(attributes);
    if (described) described->Release();
    for (const Method& m : c.methods) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        Check(SUCCEEDED(hr) && id == m.id, where + " " + Narrow(m.name) + ": GetIDsOfNames");
    }
    dispatch->Release();
}

// GenLen called through its vtable slot: the slot order the platform's compiled callers use, and
// the error info a failure leaves.
void CheckGenLenSlot(IUnknown* object, const Class& c, const std::string& where) {
    std::size_t slot = 0;
    for (std::size_t i = 0; i < c.methods.size(); ++i)
        if (std::wstring(c.methods[i].name) == L"GenLen") slot = 7 + i;
    if (!slot) return;
    IUnknown* defaultInterface = nullptr;
    object->QueryInterface(Guid(c.defaultIid), reinterpret_cast<void**>(&defaultInterface));
    if (!defaultInterface) return;
    using GenLenFn = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, BSTR*, SHORT*);
    auto genLen = (*reinterpret_cast<GenLenFn**>(defaultInterface))[slot];
    BSTR text = SysAllocString(L"abc\x5E94\x53D1");  // three ASCII letters and two Chinese
    SHORT length = 0;
    HRESULT hr = genLen(defaultInterface, &text, &length);
    Check(hr == S_OK && length == 7, where + ": GenLen through vtable slot " +
                                         std::to_string(slot) + " = " + std::to_string(length));
    SysFreeString(text);
    text = SysAllocStringLen(nullptr, 40000);
    for (UINT i = 0; i < 40000; ++i) text[i] = L'a';
    hr = genLen(defaultInterface, &text, &length);
    Check(hr == static_cast<HRESULT>(0x800A0006), where + ": an overflow fails with 0x800A0006");
    IErrorInfo* error = nullptr;
    BSTR description = nullptr;
    if (GetErrorInfo(0, &error) == S_OK && error) {
        error->GetDescription(&description);
        error->Release();
    }
    Check(description && std::wstring(description) == L"Overflow",
          where + ": GetErrorInfo tells 'Overflow'");
    SysFreeString(description);
    SysFreeString(text);
    defaultInterface->Release();
}

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

// An export of `module` as the function it is; null when absent. (Through void (*)(), the type
// any function pointer may be cast to and from without a warning.)
template <class Function>
Function ExportOf(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The class factory of `clsid` from the module's DllGetClassObject; null when there is none.
IClassFactory* FactoryOf(HMODULE module, const wchar_t* clsid) {
    auto getClassObject =
        module ? ExportOf<GetClassObjectFn>(module, "DllGetClassObject") : nullptr;
    IClassFactory* factory = nullptr;
    if (getClassObject)
        getClassObject(Guid(clsid), IID_IClassFactory, reinterpret_cast<void**>(&factory));
    return factory;
}

// A new object of the factory's class, as its IUnknown (null when none); releases the factory.
IUnknown* CreateFrom(IClassFactory* factory) {
    IUnknown* object = nullptr;
    factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object));
    factory->Release();
    return object;
}

void CheckLibrary(const std::wstring& folder, const Library& l) {
    const std::wstring path = folder + L"\\" + l.file;
    const std::string where = Narrow(l.file);
    HMODULE module = LoadLibraryW(path.c_str());
    Check(module != nullptr, where + ": loads");
    if (!module) return;
    auto getClassObject = ExportOf<GetClassObjectFn>(module, "DllGetClassObject");
    auto canUnloadNow = ExportOf<CanUnloadNowFn>(module, "DllCanUnloadNow");
    Check(getClassObject && canUnloadNow && GetProcAddress(module, "DllRegisterServer") &&
              GetProcAddress(module, "DllUnregisterServer"),
          where + ": exports the four calls by their plain names");
    if (!getClassObject || !canUnloadNow) return;
    ITypeLib* library = nullptr;
    Check(SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library)),
          where + ": holds a type library");
    for (const Class& c : l.classes) {
        const std::string name = where + " " + Narrow(c.clsid);
        IClassFactory* factory = FactoryOf(module, c.clsid);
        Check(factory != nullptr, name + ": a class factory");
        if (!factory) continue;
        IUnknown* object = CreateFrom(factory);
        Check(object != nullptr, name + ": an instance");
        if (!object) continue;
        Check(canUnloadNow() == S_FALSE, name + ": DllCanUnloadNow is S_FALSE while it lives");
        CheckObject(object, c, name);
        CheckGenLenSlot(object, c, name);
        if (library) CheckTypeLibrary(library, c, name);
        object->Release();
    }
    if (library) library->Release();
    Check(canUnloadNow() == S_OK, where + ": DllCanUnloadNow is S_OK once every object is gone");
}

// A thread that uses the server and then frees it, as CoFreeUnusedLibraries frees an idle DLL
// while the thread lives on. The server stays loaded (it holds per-thread state of the thread),
// and the thread ends cleanly. Returns 1 when the DLL stayed.
DWORD WINAPI UseThenUnload(void* folder) {
    const std::wstring path = *static_cast<const std::wstring*>(folder) + L"\\wagelink.dll";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE module = LoadLibraryW(path.c_str());
    if (IClassFactory* factory = FactoryOf(module, kLibraries[0].classes[0].clsid)) {
        IUnknown* object = CreateFrom(factory);
        // A failing call and a measured text leave the thread's error info and code page state.
        if (object) {
            CheckGenLenSlot(object, kLibraries[0].classes[0], "a thread that unloads the DLL");
            object->Release();
        }
    }
    if (module) FreeLibrary(module);
    const bool stayed = GetModuleHandleW(path.c_str()) != nullptr;
    CoUninitialize();
    return stayed ? 1 : 2;
}

// The IUnknown and type-info part of the probe's own dispatch objects: counted references, freed
// at the last Release, no type information.
class PlainDispatch : public IDispatch {
  public:
    virtual ~PlainDispatch() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  private:
    ULONG references_ = 1;
};

// A platform's own message resource and integration kit, as small as the server's calls need:
// LoadMessage answers "own: ID", MakeReply "<own/>"; every other name is unknown.
class OwnComponent final : public PlainDispatch {
  public:
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        const std::wstring name = count ? names[0] : L"";
        ids[0] = name == L"LoadMessage" ? 4 : name == L"MakeReply" ? 1 : DISPID_UNKNOWN;
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (!result || !params || params->cArgs == 0) return E_INVALIDARG;
        std::wstring text = L"<own/>";
        if (id == 4) {
            const VARIANT& first = params->rgvarg[params->cArgs - 1];  // the identifier
            text = std::wstring(L"own: ") + (first.vt == VT_BSTR ? first.bstrVal : L"?");
        }
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(text.c_str());
        return S_OK;
    }
};

// A class object of `Made` (a PlainDispatch), living on the stack.
template <class Made>
class StackFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        Made* made = new Made;
        const HRESULT hr = made->QueryInterface(iid, out);
        made->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// What a platform's own registered components get: the server creates its message resource and
// integration kit through COM, so a class registered under their identifiers (here for this
// process, as CoRegisterClassObject registers one) answers in their place. On a thread of its
// own, whose kit is made afresh.
DWORD WINAPI OwnComponentsTakeOurPlace(void* folder) {
    const std::wstring path = *static_cast<const std::wstring*>(folder) + L"\\wagelink.dll";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    StackFactory<OwnComponent> factory;
    DWORD cookies[2] = {};
    const wchar_t* own[2] = {W(WAGELINK_CLSID_MESSAGE_RESOURCE), W(WAGELINK_CLSID_INTEGRATION_KIT)};
    for (int i = 0; i < 2; ++i)
        Check(SUCCEEDED(CoRegisterClassObject(Guid(own[i]), &factory, CLSCTX_INPROC_SERVER,
                                              REGCLS_MULTIPLEUSE, &cookies[i])),
              "a platform's own component registers");
    HMODULE module = LoadLibraryW(path.c_str());
    IUnknown* object = CreateFrom(FactoryOf(module, kLibraries[0].classes[0].clsid));
    IDispatch* server = nullptr;
    if (object) object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&server));
    auto call = [&](const wchar_t* name, std::vector<VARIANT> args) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        VARIANT result;
        VariantInit(&result);
        DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        if (server && SUCCEEDED(server->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
            server->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
        std::wstring text = result.vt == VT_BSTR && result.bstrVal ? result.bstrVal : L"";
        VariantClear(&result);
        return text;
    };
    VARIANT id;
    id.vt = VT_BSTR;
    id.bstrVal = SysAllocString(L"Qz.WA.EAI.00008");
    Check(call(L"GetResString", {id}) == L"own: Qz.WA.EAI.00008",
          "GetResString answers from the platform's own message resource");
    VariantClear(&id);
    // A request whose database cannot be opened gets the fault reply, which the kit makes.
    IDispatch* login = nullptr;
    CoCreateInstance(Guid(W(WAGELINK_CLSID_LOGIN)), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                     reinterpret_cast<void**>(&login));
    VARIANT request, loginArgument;
    request.vt = VT_BSTR;
    request.bstrVal = SysAllocString(L"<vkinterface roottag='salaryitem' proc='ADD'/>");
    loginArgument.vt = VT_DISPATCH;
    loginArgument.pdispVal = login;
    // Arguments in reverse order: the login, then the request.
    Check(login && call(L"Transact", {loginArgument, request}) == L"<own/>",
          "Transact's fault reply comes from the platform's own integration kit");
    VariantClear(&request);
    if (login) login->Release();
    if (server) server->Release();
    if (object) object->Release();
    for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}

// Calls `name` on `object` by name, as a script does; the result (empty when the call failed).
VARIANT CallNamed(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
    VARIANT result;
    VariantInit(&result);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (!object || FAILED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id))) return result;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = {args.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr,
                         static_cast<UINT>(args.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    object->Invoke(id, IID_NULL, 0, flags, &params, &result, nullptr, nullptr);
    return result;
}
VARIANT Text(const wchar_t* text) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}
VARIANT Number(LONG n) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}
// The object a VARIANT argument holds, by value or through VT_BYREF|VT_VARIANT (not AddRef'd).
IDispatch* ObjectOf(const VARIANT& v) {
    const VARIANT& value = v.vt == (VT_BYREF | VT_VARIANT) ? *v.pvarVal : v;
    return value.vt == VT_DISPATCH ? value.pdispVal : nullptr;
}
std::wstring TextOf(VARIANT v) {
    VARIANT text;
    VariantInit(&text);
    std::wstring out =
        SUCCEEDED(VariantChangeType(&text, &v, 0, VT_BSTR)) && text.bstrVal ? text.bstrVal : L"?";
    VariantClear(&text);
    VariantClear(&v);
    return out;
}

// A platform's own row mapper as a script writes one: it reaches the recordset only by name and
// Invoke, with the idioms of ADO (rs("name"), rs.Fields(0).Name, rs.Fields.Count, rs.EOF), and
// writes the record through MSXML's members by name.
class ScriptLikeMapper final : public PlainDispatch {
  public:
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) override {
        ids[0] = std::wstring(names[0]) == L"FillRecord" ? 1 : DISPID_UNKNOWN;
        return ids[0] == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    // FillRecord(record, mapping name, recordset): the arguments stand in reverse order.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        if (id != 1 || !params || params->cArgs != 3) return DISP_E_BADPARAMCOUNT;
        IDispatch* record = ObjectOf(params->rgvarg[2]);
        IDispatch* rs = ObjectOf(params->rgvarg[0]);
        const WORD get = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
        // rs("cPsn_Num") is the default member with the field's name; its value, the field's.
        VARIANT field = {};
        VariantInit(&field);
        DISPPARAMS byName = {nullptr, nullptr, 1, 0};
        VARIANT name = Text(L"cPsn_Num");
        byName.rgvarg = &name;
        if (rs) rs->Invoke(DISPID_VALUE, IID_NULL, 0, get, &byName, &field, nullptr, nullptr);
        VariantClear(&name);
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        VARIANT value;
        VariantInit(&value);
        if (field.vt == VT_DISPATCH && field.pdispVal)
            field.pdispVal->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value,
                                   nullptr, nullptr);
        VariantClear(&field);
        VARIANT first = CallNamed(rs, L"Fields", get, {Number(0)});
        VARIANT fields = CallNamed(rs, L"Fields", get, {});
        Append(record, L"personno", TextOf(value));
        Append(record, L"firstfield", TextOf(CallNamed(ObjectOf(first), L"Name", get, {})));
        Append(record, L"fieldcount", TextOf(CallNamed(ObjectOf(fields), L"Count", get, {})));
        Append(record, L"eof", TextOf(CallNamed(rs, L"EOF", get, {})));
        VariantClear(&first);
        VariantClear(&fields);
        return S_OK;
    }

  private:
    static void Append(IDispatch* record, const wchar_t* name, const std::wstring& text) {
        VARIANT owner = CallNamed(record, L"ownerDocument", DISPATCH_PROPERTYGET, {});
        VARIANT element =
            CallNamed(ObjectOf(owner), L"createElement", DISPATCH_METHOD, {Text(name)});
        VARIANT content = Text(text.c_str());
        VARIANT none = CallNamed(ObjectOf(element), L"text", DISPATCH_PROPERTYPUT, {content});
        VariantClear(&content);
        VariantClear(&none);
        VARIANT child = element;
        VARIANT appended = CallNamed(record, L"appendChild", DISPATCH_METHOD, {child});
        VariantClear(&appended);
        VariantClear(&element);
        VariantClear(&owner);
    }
};

// A login whose properties answer DISPATCH_PROPERTYGET and no other form, as some COM objects'
// do: ConnectionString, LoginYear (a number) and LoginMonth (text).
class PropertyGetLogin final : public PlainDispatch {
  public:
    explicit PropertyGetLogin(std::wstring connection) : connection_(std::move(connection)) {
        AddRef();  // lives on the stack: never freed by a Release
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) override {
        const std::wstring name = names[0];
        ids[0] = name == L"ConnectionString" ? 1
                 : name == L"LoginYear"      ? 2
                 : name == L"LoginMonth"     ? 3
                                             : DISPID_UNKNOWN;
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (flags != DISPATCH_PROPERTYGET || !result) return DISP_E_MEMBERNOTFOUND;
        *result = id == 1 ? Text(connection_.c_str()) : id == 2 ? Number(2026) : Text(L"12");
        return S_OK;
    }

  private:
    std::wstring connection_;
};

struct ExportCase {
    std::wstring folder;
    std::wstring connection;
};

// An export through a platform's own row mapper that reads the recordset as a script does, with
// a login whose properties answer only DISPATCH_PROPERTYGET. On a thread of its own.
DWORD WINAPI PlatformObjectsOfOtherClients(void* argument) {
    const ExportCase& c = *static_cast<const ExportCase*>(argument);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    StackFactory<ScriptLikeMapper> factory;
    DWORD cookie = 0;
    Check(SUCCEEDED(CoRegisterClassObject(Guid(W(WAGELINK_CLSID_ROW_XML_MAPPER)), &factory,
                                          CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)),
          "a platform's own row mapper registers");
    HMODULE module = LoadLibraryW((c.folder + L"\\wagelink.dll").c_str());
    IUnknown* object = CreateFrom(FactoryOf(module, kLibraries[0].classes[0].clsid));
    IDispatch* server = nullptr;
    if (object) object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&server));
    PropertyGetLogin login(c.connection);
    VARIANT loginArgument;
    loginArgument.vt = VT_DISPATCH;
    loginArgument.pdispVal = &login;
    // Arguments in reverse order: the login, then the request.
    const std::wstring reply =
        TextOf(CallNamed(server, L"Transact", DISPATCH_METHOD,
                         {loginArgument, Text(L"<vkinterface roottag='salaryitem' proc='QUERY' "
                                              L"paginate='0'><salaryitem><field name='cPsn_Num' "
                                              L"operation='=' value='0001'/></salaryitem>"
                                              L"</vkinterface>")}));
    Check(reply.find(L"<personno>0001</personno><firstfield>cgzgradename</firstfield>"
                     L"<fieldcount>") != std::wstring::npos &&
              (reply.find(L"<eof>False</eof>") != std::wstring::npos ||
               reply.find(L"<eof>0</eof>") != std::wstring::npos),
          "an export through a row mapper that reads rs(\"cPsn_Num\"), rs.Fields(0).Name, "
          "rs.Fields.Count and rs.EOF by name, with a property-get-only login: " +
              Narrow(reply.substr(0, 300).c_str()));
    if (server) server->Release();
    if (object) object->Release();
    CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // every line out at once, even if the probe hangs
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count < 3) {
        std::printf("usage: wagelink-probe FOLDER-OF-THE-DLLS CONNECTION-STRING\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const Library& l : kLibraries) CheckLibrary(arguments[1], l);
    CoUninitialize();
    const std::wstring folder = arguments[1];
    HANDLE thread =
        CreateThread(nullptr, 0, &UseThenUnload, const_cast<std::wstring*>(&folder), 0, nullptr);
    DWORD stayed = 0;
    // A thread that cannot end would hang the test: after a minute it counts as a failure.
    const bool ended = thread && WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0;
    if (ended) GetExitCodeThread(thread, &stayed);
    Check(ended, "a thread that used the server and freed it ends");
    Check(stayed == 1, "the server stays loaded once it made objects");
    if (!ended) {
        std::printf("summary: %d passed, %d failed\n", passed, failed);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    if (thread) CloseHandle(thread);
    thread = CreateThread(nullptr, 0, &OwnComponentsTakeOurPlace,
                          const_cast<std::wstring*>(&folder), 0, nullptr);
    Check(thread && WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0,
          "the thread of the platform's own components ends");
    if (thread) CloseHandle(thread);
    ExportCase exportCase{folder, arguments[2]};
    thread = CreateThread(nullptr, 0, &PlatformObjectsOfOtherClients, &exportCase, 0, nullptr);
    Check(thread && WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0,
          "the thread of the platform's own row mapper ends");
    if (thread) CloseHandle(thread);
    std::printf("summary: %d passed, %d failed\n", passed, failed);
    LocalFree(arguments);
    return failed ? 1 : 0;
}
