// A host that calls QueryProc itself, with a node list it made from a request text.
#include <gtest/gtest.h>

#include "base/fault.h"
#include "com/automation.h"
#include "component/classes.h"
#include "platform/objects.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/pages.h"

namespace {

const char* kRequest =
    "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" paginate=\"2\"><salaryitem>"
    "<field name=\"cGZGradeNum\" operation=\"=\" value=\"002\"/></salaryitem></vkinterface>";

TEST(DirectExport, QueryProcWithANodeListFromTheHost) {
    testing_support::DemoDb demo;
    auto server = testing_support::NewSalaryItem();
    auto login = testing_support::NewLogin(demo.ConnectionString());
    auto sink = testing_support::PageCollector::Create();
    com::Variant caller = com::Variant::FromDispatch(sink.get());
    com::CallByName(server.get(), "AddObjectReference", com::DISPATCH_METHOD, {com::ByRef(caller)});
    EXPECT_TRUE(com::ToBool(*com::CallByName(server.get(), "DropObjectReference",
                                             com::DISPATCH_METHOD, {com::ByRef(caller)})
                                 .get()));

    auto document = platform::CreateXmlDocument();
    EXPECT_TRUE(com::ToBool(*com::CallByName(document.get(), "loadXML", com::DISPATCH_METHOD,
                                             {*com::Variant::FromText(kRequest).get()})
                                 .get()));
    com::Variant list =
        com::CallByName(document.get(), "selectNodes", com::DISPATCH_METHOD,
                        {*com::Variant::FromText("vkinterface/salaryitem/field").get()});
    EXPECT_EQ(com::ToLong(*com::GetProperty(com::ToDispatch(*list.get()), "length").get()), 1);

    com::Variant text = com::Variant::FromText(kRequest);
    com::Variant rootTag = com::Variant::FromText("salaryitem");
    com::Variant nothing;
    auto queryProc = [&] {
        return com::CallByName(
            server.get(), "QueryProc", com::DISPATCH_METHOD,
            {*list.get(), com::ByRef(text), *rootTag.get(), com::ByRef(nothing)});
    };
    EXPECT_THROW(queryProc(), base::Fault) << "no login yet to connect with";

    testing_support::Transact(server.get(), "<r proc='ADD'/>", login.get());
    EXPECT_FALSE(com::ToBool(*queryProc().get()));
    ASSERT_EQ(sink->pages.size(), 3u) << "the caller stays held after DropObjectReference";
    EXPECT_EQ(sink->pages[2].number, 3);
    EXPECT_EQ(com::ToText(*text.get()), sink->pages[2].xml)
        << "sRetXml holds the last partial page";
    auto* object = static_cast<component::SalaryItem*>(
        static_cast<component::SalaryItemInterface*>(server.get()));
    EXPECT_FALSE(object->instance().connection) << "a direct export left its connection open";

    com::Variant notAList = com::Variant::FromDispatch(login.get());
    EXPECT_THROW(
        com::CallByName(server.get(), "QueryProc", com::DISPATCH_METHOD,
                        {*notAList.get(), com::ByRef(text), *rootTag.get(), com::ByRef(nothing)}),
        base::Fault);
}

}  // namespace

namespace {

TEST(DirectExport, RosterQueryProcWithANodeListFromTheHost) {
    testing_support::DemoDb demo;
    auto server = testing_support::NewSalaryPerson();
    auto login = testing_support::NewLogin(demo.ConnectionString());
    const std::string request =
        "<vkinterface roottag=\"salaryperson\" proc=\"QUERY\" paginate=\"0\"><salaryperson>"
        "<field name=\"cPsn_Num\" operation=\"like\" value=\"001\" logic=\"and\"/>"
        "<field name=\"cGZGradeNum\" operation=\"=\" value=\"002\"/></salaryperson>"
        "</vkinterface>";
    auto document = platform::CreateXmlDocument();
    com::CallByName(document.get(), "loadXML", com::DISPATCH_METHOD,
                    {*com::Variant::FromText(request).get()});
    com::Variant list =
        com::CallByName(document.get(), "selectNodes", com::DISPATCH_METHOD,
                        {*com::Variant::FromText("vkinterface/salaryperson/field").get()});
    testing_support::Transact(server.get(), "<r proc='ADD'/>", login.get());
    com::Variant text = com::Variant::FromText(request);
    com::Variant rootTag = com::Variant::FromText("salaryperson");
    com::Variant nothing;
    com::CallByName(server.get(), "QueryProc", com::DISPATCH_METHOD,
                    {*list.get(), com::ByRef(text), *rootTag.get(), com::ByRef(nothing)});
    EXPECT_EQ(testing_support::RecordCount(com::ToText(*text.get()), "salaryperson"), 5u)
        << com::ToText(*text.get());
}

}  // namespace
