#include "support/revisions.h"

#include <stdexcept>

#include "component/class_factory.h"
#include "revisions/revisions.h"

namespace testing_support {

namespace {

// The classes of every revision: ISalaryItem first, then ISalaryPerson.
com::ComPtr<com::IDispatch> Create(const com::CreatableClass& kind) {
    com::ComPtr<com::IUnknown> object = kind.create();
    com::ComPtr<com::IDispatch> dispatch;
    if (com::FAILED(object->QueryInterface(com::IID_IDispatch,
                                           reinterpret_cast<void**>(dispatch.Receive()))))
        throw std::runtime_error("the object does not answer IDispatch");
    return dispatch;
}

}  // namespace

RevisionUnderTest CurrentRevision() {
    return {"current", component::ServerClasses()};
}
RevisionUnderTest SecondRevision() {
    return {"second", revisions::SecondRevisionClasses()};
}
RevisionUnderTest FirstRevision() {
    return {"first", revisions::FirstRevisionClasses()};
}

std::vector<RevisionUnderTest> AllRevisions() {
    return {CurrentRevision(), SecondRevision(), FirstRevision()};
}

com::ComPtr<com::IDispatch> NewSalaryItemOf(const RevisionUnderTest& revision) {
    return Create(revision.classes[0]);
}

com::ComPtr<com::IDispatch> NewSalaryPersonOf(const RevisionUnderTest& revision) {
    return Create(revision.classes[1]);
}

std::string RevisionName(const ::testing::TestParamInfo<RevisionUnderTest>& info) {
    return info.param.name;
}

}  // namespace testing_support
