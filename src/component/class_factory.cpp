#include "component/class_factory.h"

#include "component/classes.h"

namespace component {

namespace {

const com::CreatableClass kClasses[] = {
    {CLSID_ISalaryItem, &com::CreateAs<SalaryItem, SalaryItemInterface>},
    {CLSID_ISalaryPerson, &com::CreateAs<SalaryPerson, SalaryPersonInterface>},
};

}  // namespace

std::span<const com::CreatableClass> ServerClasses() {
    return kClasses;
}

}  // namespace component
