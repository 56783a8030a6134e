// The thread's error info is the system's (SetErrorInfo), where a client that called one of our
// methods through its vtable reads the description with GetErrorInfo. The fault's number, which
// the system's error info has no place for, waits beside it in a TLS slot of the system's, with
// the error info object it belongs to. Nothing here needs clean-up when a thread ends: a DLL
// cannot count on the C++ runtime's per-thread destructors there (com/module_lifetime.h).
#include <new>

#include "com/error_info.h"
#include "com/unknown.h"
#include "com/windows/system.h"

namespace com {

namespace {

// The number of the thread's last fault, and the error info object that holds its description.
struct Slots {
    DWORD number = ::TlsAlloc();
    DWORD owner = ::TlsAlloc();
};

const Slots& ThreadSlots() {
    static const Slots slots;
    return slots;
}

}  // namespace

void SetErrorInfo(const ErrorInfo& info) {
    ComPtr<ICreateErrorInfo> create;
    ComPtr<IErrorInfo> error;
    if (FAILED(::CreateErrorInfo(create.Receive()))) throw std::bad_alloc();
    create->SetSource(const_cast<wchar_t*>(L"Wagelink"));
    create->SetDescription(const_cast<wchar_t*>(system::Wide(info.description).c_str()));
    if (FAILED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(error.Receive()))))
        throw std::bad_alloc();
    ::SetErrorInfo(0, error.get());
    ::TlsSetValue(ThreadSlots().number, reinterpret_cast<void*>(static_cast<INT_PTR>(info.number)));
    ::TlsSetValue(ThreadSlots().owner, error.get());
}

void ClearErrorInfo() noexcept {
    ::SetErrorInfo(0, nullptr);
    ::TlsSetValue(ThreadSlots().owner, nullptr);
}

std::optional<ErrorInfo> TakeErrorInfo(HRESULT failed) {
    ComPtr<IErrorInfo> error;
    if (::GetErrorInfo(0, error.Receive()) != S_OK || !error) return std::nullopt;
    // The number waits beside error info of this module's own; another's tells no number.
    const bool ours = error.get() == ::TlsGetValue(ThreadSlots().owner);
    ::TlsSetValue(ThreadSlots().owner, nullptr);
    ::BSTR description = nullptr;
    error->GetDescription(&description);
    const com::Bstr owned = com::Bstr::Attach(reinterpret_cast<com::BSTR>(description));
    const std::int32_t number = ours ? static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(
                                           ::TlsGetValue(ThreadSlots().number)))
                                     : HresultToFaultNumber(failed);
    return ErrorInfo{number, owned.utf8()};
}

}  // namespace com
