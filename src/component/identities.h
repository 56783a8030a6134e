// The registered identities of the server: type library, classes, interfaces, ProgIDs, DISPIDs.
#pragma once

#include "com/guid.h"

namespace component {

extern const com::GUID LIBID_Wagelink;
inline constexpr const char* kTypeLibraryName = "Wagelink";
inline constexpr const char* kTypeLibraryVersion = "1.1";

extern const com::CLSID CLSID_ISalaryItem;
extern const com::IID IID_SalaryItem;
// An earlier identifier of SalaryItemInterface, still answered by the same object.
extern const com::IID IID_SalaryItemEarlier;
extern const com::CLSID CLSID_ISalaryPerson;
extern const com::IID IID_SalaryPerson;

inline constexpr const char* kSalaryItemProgId = "Wagelink.ISalaryItem";
inline constexpr const char* kSalaryPersonProgId = "Wagelink.ISalaryPerson";

enum DispId : com::DISPID {
    kAddObjectReference = 0x60030000,
    kDropObjectReference = 0x60030001,
    kTransact = 0x60030002,
    kQueryProc = 0x60030007,
    kGenLen = 0x60030009,
    kGetResString = 0x6003000A,
    kGetResStringArg = 0x6003000B,
    kLang = 0x6003000C,
    kUnLang = 0x6003000D,
    kQueryProcKest = 0x60030013,
};

}  // namespace component
