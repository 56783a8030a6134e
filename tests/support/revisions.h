// The three interface revisions, for tests that run against each: their classes created as their
// libraries' class factories create them.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "com/class_factory.h"
#include "com/late_call.h"

namespace testing_support {

struct RevisionUnderTest {
    std::string name;  // "current", "second", "first"
    std::span<const com::CreatableClass> classes;
};

std::vector<RevisionUnderTest> AllRevisions();
RevisionUnderTest CurrentRevision();
RevisionUnderTest SecondRevision();
RevisionUnderTest FirstRevision();

// ISalaryItem and ISalaryPerson of `revision`, through IDispatch.
com::ComPtr<com::IDispatch> NewSalaryItemOf(const RevisionUnderTest& revision);
com::ComPtr<com::IDispatch> NewSalaryPersonOf(const RevisionUnderTest& revision);

// Prints the revision by its name (gtest would print the object's bytes, padding included).
inline void PrintTo(const RevisionUnderTest& revision, std::ostream* out) {
    *out << revision.name;
}

// For parametrized test names.
std::string RevisionName(const ::testing::TestParamInfo<RevisionUnderTest>& info);

}  // namespace testing_support
