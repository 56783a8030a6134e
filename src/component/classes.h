// The two creatable classes.
#pragma once

#include "component/server_object.h"

namespace component {

// ISalaryItem: salary data of employees. Answers SalaryItemInterface under its current and its
// earlier interface identifier.
class SalaryItem final : public ServerObject<SalaryItem, SalaryItemInterface> {
  public:
    explicit SalaryItem(const Behaviour& behaviour = CurrentBehaviour());
    void* Answer(const com::IID& iid);
    const com::IID* DescribingInterface() const { return &IID_SalaryItem; }

    HRESULT WAGELINK_CALL QueryProc(IDispatch* eleList, BSTR* sRetXml, BSTR sRootTag,
                                    IDispatch** Ocom, VARIANT_BOOL* result) override;
    HRESULT WAGELINK_CALL QueryProcKest(IDispatch* eleList, BSTR* sRetXml, BSTR sRootTag,
                                        IDispatch** Ocom, VARIANT_BOOL* result) override;

    static std::unique_ptr<RecordKind> NewRecordKind(Instance& instance);
    static constexpr com::DispatchMember<SalaryItem> kMembers[] = {
        WAGELINK_COMMON_MEMBERS(SalaryItem),
        {"QueryProcKest", kQueryProcKest, 4, 4, &CommonMembers<SalaryItem>::QueryProcKest},
    };
};

// ISalaryPerson: the persons enrolled in a payroll.
class SalaryPerson final : public ServerObject<SalaryPerson, SalaryPersonInterface> {
  public:
    explicit SalaryPerson(const Behaviour& behaviour = CurrentBehaviour());
    void* Answer(const com::IID& iid);
    const com::IID* DescribingInterface() const { return &IID_SalaryPerson; }

    HRESULT WAGELINK_CALL QueryProc(IDispatch* eleList, BSTR* sRetXml, BSTR sRootTag,
                                    IDispatch** Ocom, VARIANT_BOOL* result) override;

    static std::unique_ptr<RecordKind> NewRecordKind(Instance& instance);
    static constexpr com::DispatchMember<SalaryPerson> kMembers[] = {
        WAGELINK_COMMON_MEMBERS(SalaryPerson),
    };
};

}  // namespace component
