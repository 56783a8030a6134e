// The thread's error info is also the system's (SetErrorInfo), where a client that called one of
// our methods through its vtable reads the description with GetErrorInfo.
#include "com/error_info.h"
#include "com/windows/system.h"

namespace com {

namespace {

template <class T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

}  // namespace

void PublishErrorInfo(const ErrorInfo* info) noexcept {
    if (!info) {
        ::SetErrorInfo(0, nullptr);
        return;
    }
    Released<ICreateErrorInfo> create;
    Released<IErrorInfo> error;
    if (FAILED(::CreateErrorInfo(&create.p))) return;
    try {
        create.p->SetSource(const_cast<wchar_t*>(L"Wagelink"));
        create.p->SetDescription(const_cast<wchar_t*>(system::Wide(info->description).c_str()));
    } catch (...) {
        // without memory for the description the number still tells
    }
    if (SUCCEEDED(create.p->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&error.p))))
        ::SetErrorInfo(0, error.p);
}

}  // namespace com
