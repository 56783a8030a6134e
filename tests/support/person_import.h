// A fixture for person imports: a fresh demo database, an ISalaryPerson and a login for it.
#pragma once

#include <gtest/gtest.h>

#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/requests.h"
#include "xml/document.h"

namespace testing_support {

class PersonImportTest : public ::testing::Test {
  protected:
    DemoDb demo;
    com::ComPtr<com::IDispatch> server = NewSalaryPerson();
    com::ComPtr<com::IDispatch> login = NewLogin(demo.ConnectionString(), "2026", 12);

    std::string ImportReply(const std::vector<std::string>& records) {
        return Transact(server.get(), AddRequest(records, "salaryperson"), login.get());
    }
    // The code and message of the single record's result.
    std::pair<std::string, std::string> Import(const std::string& record) {
        std::string reply = ImportReply({record});
        xml::Document doc;
        EXPECT_TRUE(doc.Load(reply)) << reply;
        xml::Element result = doc.Root().FirstChild("result");
        EXPECT_TRUE(result) << reply;
        return {result.GetAttribute("code"), result.GetAttribute("message")};
    }
    // A record that must not be written: its code and message, with the database file unchanged.
    std::pair<std::string, std::string> Unwritten(const std::string& record) {
        std::string before = demo.FileBytes();
        auto outcome = Import(record);
        EXPECT_EQ(demo.FileBytes(), before) << "a record that was not written changed the file";
        return outcome;
    }
    // A rejected record's message (code 101).
    std::string Rejection(const std::map<std::string, std::string>& changes,
                          const std::vector<Extra>& extras = {}) {
        auto [code, message] = Unwritten(PersonRecord(changes, extras));
        EXPECT_EQ(code, "101") << message;
        return message;
    }
};

}  // namespace testing_support
