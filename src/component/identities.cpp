#include "component/identities.h"

namespace component {

const com::GUID LIBID_Wagelink = com::MakeGuid("{E6963367-ED87-410F-BD7D-DE811C62AF0B}");
const com::CLSID CLSID_ISalaryItem = com::MakeGuid("{AFC2C0DE-B3E9-4985-BB0F-F9171BDB0D84}");
const com::IID IID_SalaryItem = com::MakeGuid("{2C62CCCF-B960-4CDD-80A4-805FA96607A3}");
const com::IID IID_SalaryItemEarlier = com::MakeGuid("{02E3A7F6-BBAF-4C9A-9053-1973D7E4DAD1}");
const com::CLSID CLSID_ISalaryPerson = com::MakeGuid("{A7E5F9D2-CFC0-4300-91BE-6D7965D1396B}");
const com::IID IID_SalaryPerson = com::MakeGuid("{528ED197-7DCB-4D5F-8206-368AD2F9EDEF}");

}  // namespace component
