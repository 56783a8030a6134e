#include "xml/document.h"

#include <gtest/gtest.h>

#include "base/fault.h"

namespace {

TEST(Xml, NotWellFormedIsToldFromNoRoot) {
    xml::Document doc;
    for (const char* bad : {"abc", "<a>", "<a></b>", "<a/><b/>", "<a/>junk", "<a x='1' x='2'/>"})
        EXPECT_EQ(doc.Load(bad).status, xml::ParseStatus::kNotWellFormed) << bad;
    for (const char* empty : {"", "   ", "<?xml version='1.0'?>", "<!-- only -->\n"})
        EXPECT_EQ(doc.Load(empty).status, xml::ParseStatus::kNoRootElement) << empty;
    EXPECT_FALSE(doc.Root());
    EXPECT_TRUE(doc.Load("<a/>"));
}

TEST(Xml, HostileDocumentsAreRefusedWithoutACrash) {
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"lol\">";
    std::string previous = "a";
    for (int i = 1; i <= 9; ++i) {
        std::string name = "a" + std::to_string(i);
        laughs += "<!ENTITY " + name + " \"";
        for (int k = 0; k < 10; ++k) laughs += "&" + previous + ";";
        laughs += "\">";
        previous = name;
    }
    laughs += "]><l>&" + previous + ";</l>";
    xml::Document doc;
    EXPECT_FALSE(doc.Load(laughs));

    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<d>";
    for (int i = 0; i < 100000; ++i) deep += "</d>";
    EXPECT_EQ(doc.Load(deep).status, xml::ParseStatus::kNotWellFormed);

    // External entities are never loaded.
    ASSERT_TRUE(doc.Load("<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><r>&x;</r>"));
    EXPECT_EQ(doc.Root().Text(), "") << "an external entity was read";
    EXPECT_EQ(doc.Xml().find("<!DOCTYPE"), 0u);
}

TEST(Xml, ChineseTextSurvivesParseAndSerialization) {
    xml::Document doc;
    ASSERT_TRUE(
        doc.Load("<?xml version=\"1.0\" encoding=\"GB2312\"?><r a=\"代扣税 &amp; "
                 "&quot;x&quot;\">应发合计</r>"));
    EXPECT_EQ(doc.Root().GetAttribute("a"), "代扣税 & \"x\"");
    EXPECT_EQ(doc.Root().Text(), "应发合计");
    EXPECT_EQ(doc.Xml(), "<r a=\"代扣税 &amp; &quot;x&quot;\">应发合计</r>")
        << "no declaration, no escaping of Chinese";
}

TEST(Xml, ElementsTextsAndSelections) {
    xml::Document doc;
    ASSERT_TRUE(doc.Load("<r k='1'><x><s n='deep'/></x><s n='1'>t<i/>u</s><s n='2'/><f/></r>"));
    xml::Element root = doc.Root();
    EXPECT_EQ(doc.FirstElementByName("s").GetAttribute("n"), "deep") << "document order";
    EXPECT_EQ(root.Children("s").size(), 2u);
    EXPECT_EQ(root.Children("s")[0].Text(), "tu");
    EXPECT_EQ(root.Select("x/s").size(), 1u);
    EXPECT_EQ(root.Select("s[@n='2']")[0].GetAttribute("n"), "2");
    EXPECT_THROW(root.Select("s[["), base::Fault);
    EXPECT_FALSE(root.FirstChild("nope"));
    EXPECT_EQ(xml::Element().GetAttribute("x"), "") << "a null element reads as empty";

    root.SetText("");
    EXPECT_EQ(doc.Xml(), "<r k=\"1\"/>") << "setting the text removes every child";
    xml::NewElement child = doc.CreateElement("c");
    child->SetText("a<b>");
    child->SetAttribute("q", "'\"");
    root.AppendChild(std::move(child));
    EXPECT_EQ(doc.Xml(), "<r k=\"1\"><c q=\"'&quot;\">a&lt;b&gt;</c></r>");
    EXPECT_THROW(doc.CreateElement("not a name"), base::Fault);
    { xml::NewElement dropped = doc.CreateElement("never-appended"); }  // freed, not leaked
}

}  // namespace
