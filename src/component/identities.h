// The registered identities of the server: type library, classes, interfaces, ProgIDs, DISPIDs.
#pragma once

#include "com/guid.h"
#include "wagelink_identities.h"

namespace component {

extern const com::GUID LIBID_Wagelink;
inline constexpr const char* kTypeLibraryName = "Wagelink";
inline constexpr const char* kTypeLibraryVersion = WAGELINK_TEXT_OF(WAGELINK_LIBRARY_VERSION);

extern const com::CLSID CLSID_ISalaryItem;
extern const com::IID IID_SalaryItem;
// An earlier identifier of SalaryItemInterface, still answered by the same object.
extern const com::IID IID_SalaryItemEarlier;
extern const com::CLSID CLSID_ISalaryPerson;
extern const com::IID IID_SalaryPerson;

inline constexpr const char* kSalaryItemProgId = WAGELINK_PROGID_SALARY_ITEM;
inline constexpr const char* kSalaryPersonProgId = WAGELINK_PROGID_SALARY_PERSON;

enum DispId : com::DISPID {
    kAddObjectReference = WAGELINK_DISPID_ADD_OBJECT_REFERENCE,
    kDropObjectReference = WAGELINK_DISPID_DROP_OBJECT_REFERENCE,
    kTransact = WAGELINK_DISPID_TRANSACT,
    kQueryProc = WAGELINK_DISPID_QUERY_PROC,
    kGenLen = WAGELINK_DISPID_GEN_LEN,
    kGetResString = WAGELINK_DISPID_GET_RES_STRING,
    kGetResStringArg = WAGELINK_DISPID_GET_RES_STRING_ARG,
    kLang = WAGELINK_DISPID_LANG,
    kUnLang = WAGELINK_DISPID_UN_LANG,
    kQueryProcKest = WAGELINK_DISPID_QUERY_PROC_KEST,
};

}  // namespace component
