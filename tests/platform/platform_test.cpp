#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "base/fault.h"
#include "com/late_call.h"
#include "com/variant.h"
#include "db/recordset.h"
#include "platform/integration_kit.h"
#include "platform/message_resource.h"
#include "platform/objects.h"
#include "platform/recordset_object.h"
#include "platform/row_xml_mapper.h"
#include "support/demo_db.h"
#include "support/language.h"

namespace {

TEST(IntegrationKit, RepliesAreWellFormedWhateverTheyCarry) {
    platform::InProcessIntegrationKit kit;
    EXPECT_EQ(kit.MakeReply("100", "a<b & \"c\""),
              "<reply code=\"100\" message=\"a&lt;b &amp; &quot;c&quot;\"/>");
    xml::Document reply;
    ASSERT_TRUE(reply.Load(kit.BeginReply("D'1", "add")));
    kit.AddResult(reply, "林晓东", 0, "成功");
    kit.AddResult(reply, "Item", 999, "boom");
    EXPECT_EQ(reply.Xml(),
              "<reply docid=\"D'1\" proc=\"add\"><result n=\"1\" key=\"林晓东\" code=\"0\" "
              "message=\"成功\"/>"
              "<result n=\"2\" key=\"Item\" code=\"999\" message=\"boom\"/></reply>");
}

TEST(IntegrationKit, FieldValuePrefersTheChildElementThenTheAttribute) {
    platform::InProcessIntegrationKit kit;
    xml::Document doc;
    ASSERT_TRUE(doc.Load("<r year='1999' month='5'><year>2026</year><x><month>7</month></x></r>"));
    EXPECT_EQ(kit.GetFieldValue(doc.Root(), "year"), "2026");
    EXPECT_EQ(kit.GetFieldValue(doc.Root(), "month"), "5") << "only direct children count";
    EXPECT_EQ(kit.GetFieldValue(doc.Root(), "absent"), "");
    EXPECT_EQ(kit.GetAttribute(doc.Root(), "absent"), "");
}

TEST(RowXmlMapper, WritesMappedColumnsInOrderWithNullsEmpty) {
    testing_support::DemoDb demo;
    auto connection = demo.Connect();
    db::Recordset rows;
    rows.Open(
        "select wa_account.cgzgradename, WA_GZData.*, WA_grade.cPsnGrd from WA_GZData join "
        "wa_account on wa_account.cGZGradeNum = WA_GZData.cGZGradeNum left join WA_grade on "
        "WA_grade.iPsnGrd_id = 99 where cPsn_Num = '0001' and iMonth = 11",
        *connection);
    xml::Document doc;
    ASSERT_TRUE(doc.Load("<r/>"));
    platform::InProcessRowXmlMapper mapper;
    mapper.FillRecord(doc, doc.Root(), "SalaryItemXmlRs.Xml", rows);
    EXPECT_EQ(
        doc.Xml(),
        "<r><salarygradeno>001</salarygradeno><salarygradename>正式人员</salarygradename>"
        "<departmentno>0101</departmentno><personno>0001</personno><personname>林晓东</personname>"
        "<persongradeno/><year>2026</year><month>11</month></r>");
    EXPECT_THROW(mapper.FillRecord(doc, doc.Root(), "Nope.Xml", rows), base::Fault);
    db::Recordset narrow;
    narrow.Open("select cPsn_Num from WA_GZData", *connection);
    platform::InProcessRowXmlMapper other;
    EXPECT_THROW(other.FillRecord(doc, doc.Root(), "SalaryItemXmlRs.Xml", narrow), base::Fault);
}

// The recordset as a component reads it by name: Fields.Item by name (any case) or ordinal, each
// value the export's text or Null; once the export's face is gone, a kept object faults.
TEST(RowXmlMapper, TheRecordsetsComFaceReadsTheCurrentRow) {
    testing_support::DemoDb demo;
    auto connection = demo.Connect();
    db::Recordset rows;
    rows.Open("select cPsn_Num, cPsn_Name, NULL as absentee from WA_psn where cPsn_Num = '0001'",
              *connection);
    auto face = std::make_unique<platform::RecordsetFace>(rows);
    com::Variant fields = com::GetProperty(face->object(), "Fields");
    auto value = [&](com::Variant key) {
        com::Variant field = com::CallByName(com::ToDispatch(*fields.get()), "Item",
                                             com::DISPATCH_METHOD, {*key.get()});
        return com::GetProperty(com::ToDispatch(*field.get()), "Value");
    };
    EXPECT_EQ(com::ToLong(*com::GetProperty(com::ToDispatch(*fields.get()), "Count").get()), 3);
    EXPECT_EQ(com::ToText(*value(com::Variant::FromText("CPSN_NAME")).get()), "林晓东");
    EXPECT_EQ(com::ToText(*value(com::Variant::FromLong(0)).get()), "0001");
    EXPECT_TRUE(com::IsNull(*value(com::Variant::FromText("absentee")).get()));
    EXPECT_THROW(value(com::Variant::FromText("absent")), base::Fault);
    face.reset();
    EXPECT_THROW(value(com::Variant::FromLong(0)), base::Fault) << "the export has ended";
}

// A mapper written in a script reads the recordset with the idioms of ADO: rs("name"),
// rs.Fields("name"), rs.Fields(0).Name, rs.Fields.Count and rs.EOF, in the forms VBScript (a
// property or method) and JScript (a method) call them: a member without parameters given
// arguments hands them to the default member of what it returns.
TEST(RowXmlMapper, TheRecordsetsComFaceTakesTheIdiomsOfScripts) {
    testing_support::DemoDb demo;
    auto connection = demo.Connect();
    db::Recordset rows;
    rows.Open("select cPsn_Num, cPsn_Name from WA_psn where cPsn_Num = '0001'", *connection);
    platform::RecordsetFace face(rows);
    com::IDispatch* rs = face.object();
    const com::Variant name = com::Variant::FromText("cPsn_Name");
    const com::Variant first = com::Variant::FromLong(0);
    // The value of a field object, as a script's conversion asks its default member.
    auto valueOf = [](const com::Variant& field) {
        return com::ToText(*com::CallById(com::ToDispatch(*field.get()), com::DISPID_VALUE, "Value",
                                          com::DISPATCH_PROPERTYGET)
                                .get());
    };
    for (com::WORD form :
         {com::WORD(com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET), com::DISPATCH_METHOD}) {
        EXPECT_EQ(valueOf(com::CallById(rs, com::DISPID_VALUE, "rs", form, {*name.get()})),
                  "林晓东")
            << form;
        EXPECT_EQ(valueOf(com::CallByName(rs, "Fields", form, {*name.get()})), "林晓东") << form;
        com::Variant field = com::CallByName(rs, "fields", form, {*first.get()});
        EXPECT_EQ(com::ToText(*com::GetProperty(com::ToDispatch(*field.get()), "Name").get()),
                  "cPsn_Num");
    }
    com::Variant fields = com::GetProperty(rs, "Fields");
    EXPECT_EQ(com::ToLong(*com::GetProperty(com::ToDispatch(*fields.get()), "Count").get()), 2);
    EXPECT_FALSE(com::ToBool(*com::GetProperty(rs, "EOF").get()));
    // A value is not a collection: its member takes no arguments.
    EXPECT_THROW(com::CallByName(rs, "EOF", com::DISPATCH_PROPERTYGET, {*first.get()}),
                 base::Fault);
}

TEST(MessageResource, SubstitutesArgumentsAndRefusesUnknownIdentifiers) {
    platform::InProcessMessageResource zh("zh-CN");
    EXPECT_EQ(zh.LoadMessage("Qz.WA.EAI.00015", 1, {"001", "0101"}),
              "工资类别[001]中没有部门[0101]！");
    EXPECT_EQ(zh.LoadMessage("Qz.WA.EAI.00015", 1, {std::nullopt, "0101"}),
              "工资类别[]中没有部门[0101]！");
    EXPECT_EQ(zh.LoadMessage("Qz.WA.EAI.00015", 0, {"x"}), "工资类别[%1]中没有部门[%2]！");
    EXPECT_THROW(zh.LoadMessage("Qz.WA.EAI.99999", 0, {}), base::Fault);
    EXPECT_THROW(platform::InProcessMessageResource("fr-FR"), base::Fault);
}

// The COM face the Windows server calls by name: the arguments an array of VARIANT by reference,
// a missing one read as the empty text; a fault of the component reaches the caller with its text;
// a language without a catalog fails the creation.
TEST(MessageResource, AnswersThroughItsComFace) {
    testing_support::Language chinese("zh-CN");
    com::ComPtr<com::IDispatch> resource = platform::CreateMessageResource();
    com::SAFEARRAY* array = com::SafeArrayCreateVector(com::VT_VARIANT, 0, 2);
    com::Variant list = com::Variant::FromArray(array);
    com::SafeArrayElements(array)[0] = com::Variant::Missing().Detach();
    com::SafeArrayElements(array)[1] = com::Variant::FromText("0101").Detach();
    auto load = [&](const char* id, com::LONG substitute) {
        com::Variant text = com::Variant::FromText(id), number = com::Variant::FromLong(substitute);
        return com::ToText(*com::CallByName(resource.get(), "LoadMessage", com::DISPATCH_METHOD,
                                            {*text.get(), *number.get(), com::ByRef(list)})
                                .get());
    };
    EXPECT_EQ(load("Qz.WA.EAI.00015", 1), "工资类别[]中没有部门[0101]！");
    EXPECT_EQ(load("Qz.WA.EAI.00015", 0), "工资类别[%1]中没有部门[%2]！");
    try {
        load("Qz.WA.EAI.99999", 0);
        ADD_FAILURE() << "an unknown identifier gave a text";
    } catch (const base::Fault& fault) {
        EXPECT_NE(fault.description().find("Qz.WA.EAI.99999"), std::string::npos)
            << fault.description();
    }
    testing_support::Language french("fr-FR");
    EXPECT_THROW(platform::CreateMessageResource(), base::Fault);
}

// The kit's COM face: replies by name; on Linux no DOM node crosses COM, so a node argument that
// is not one is refused rather than read.
TEST(IntegrationKit, AnswersThroughItsComFace) {
    com::ComPtr<com::IDispatch> kit = platform::CreateIntegrationKit();
    com::Variant docid = com::Variant::FromText("D&1"), proc = com::Variant::FromText("ADD");
    EXPECT_EQ(com::ToText(*com::CallByName(kit.get(), "BeginReply", com::DISPATCH_METHOD,
                                           {*docid.get(), com::ByRef(proc)})
                               .get()),
              "<reply docid=\"D&amp;1\" proc=\"ADD\"/>");
    com::Variant notNode = com::Variant::FromDispatch(kit.get());
    try {
        com::CallByName(kit.get(), "GetFieldValue", com::DISPATCH_METHOD,
                        {*notNode.get(), *proc.get()});
        ADD_FAILURE() << "an object that is no node was read as one";
    } catch (const base::Fault& fault) {
        EXPECT_EQ(fault.number(), base::kInvalidArgument) << fault.description();
    }
}

// Every identifier the code names is in both catalogs, and the catalogs agree.
TEST(MessageResource, BothCatalogsHoldEveryIdentifierTheCodeUses) {
    std::set<std::string> used;
    std::regex id(R"(Qz\.WA\.(EAI\.\d{5}|TRVEK\.[A-Za-z_]+\.\d+))");
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(WAGELINK_SOURCE_DIR "/src")) {
        if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
        std::ifstream file(entry.path());
        std::string text((std::istreambuf_iterator<char>(file)), {});
        for (std::sregex_iterator it(text.begin(), text.end(), id), end; it != end; ++it)
            used.insert(it->str());
    }
    ASSERT_GT(used.size(), 40u);
    platform::InProcessMessageResource zh("zh-CN"), en("en-US");
    for (const std::string& identifier : used) {
        EXPECT_NO_THROW(zh.LoadMessage(identifier, 0, {})) << identifier;
        EXPECT_NO_THROW(en.LoadMessage(identifier, 0, {})) << identifier;
    }
    EXPECT_EQ(zh.Identifiers(), en.Identifiers());
}

}  // namespace
