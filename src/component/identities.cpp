#include "component/identities.h"

namespace component {

const com::GUID LIBID_Wagelink = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_LIBID));
const com::CLSID CLSID_ISalaryItem = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_CLSID_SALARY_ITEM));
const com::IID IID_SalaryItem = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_SALARY_ITEM));
const com::IID IID_SalaryItemEarlier =
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_SALARY_ITEM_EARLIER));
const com::CLSID CLSID_ISalaryPerson =
    com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_CLSID_SALARY_PERSON));
const com::IID IID_SalaryPerson = com::MakeGuid(WAGELINK_GUID_TEXT(WAGELINK_IID_SALARY_PERSON));

}  // namespace component
