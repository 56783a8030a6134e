// A fixture for salary item imports: a fresh demo database, an ISalaryItem and a login for it.
#pragma once

#include <gtest/gtest.h>

#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/requests.h"

namespace testing_support {

class ItemImportTest : public ::testing::Test {
  protected:
    DemoDb demo;
    com::ComPtr<com::IDispatch> server = NewSalaryItem();
    com::ComPtr<com::IDispatch> login = NewLogin(demo.ConnectionString());

    // The reply to an ADD request holding `record`.
    std::string ImportReply(const std::string& record) {
        return Transact(server.get(), AddRequest({record}), login.get());
    }
};

}  // namespace testing_support
