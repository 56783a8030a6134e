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

// Every rule of XML 1.0 holds, also those the tree builder alone would let pass.
TEST(Xml, EveryRuleOfXmlIsKept) {
    xml::Document doc;
    for (const char* bad : {"<a>&nbsp;</a>",
                            "<a>&amp</a>",
                            "<a>&#0;</a>",
                            "<a>&#xD800;</a>",
                            "<a>&#1114112;</a>",
                            "<a b='<'/>",
                            "<a b='1'c='2'/>",
                            "<a b=1/>",
                            "<a>]]></a>",
                            "<a>\x0c</a>",
                            "<a>\xff</a>",
                            "<a>\xc0\x80</a>",
                            "<a>\xef\xbf\xbe</a>",
                            "<!-- a -- b --><a/>",
                            "<!-- a ---><a/>",
                            " <?xml version='1.0'?><a/>",
                            "<?xml version='2.0'?><a/>",
                            "<?xml encoding='x' version='1.0'?><a/>",
                            "<?XML version='1.0'?><a/>",
                            "<a><?xml x?></a>",
                            "<a/ >",
                            "< a/>",
                            "<-a/>",
                            "<a\xc3\x97/>",
                            "<a><b></a></b>",
                            "<a>x",
                            "x<a/>",
                            "<a/><!DOCTYPE a>",
                            "<a><!ELEMENT a ANY></a>",
                            "<a><![CDATA[x</a>"})
        EXPECT_EQ(doc.Load(bad).status, xml::ParseStatus::kNotWellFormed) << bad;
    for (const char* good :
         {"\xef\xbb\xbf<a/>", "<?xml version='1.' ?><a/>", "<a>\x7f\xc2\x80&#x10FFFF;</a>",
          "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?><a/>", "<a ></a >",
          "<a\xe4\xb8\xad b.c='' d-e=\"'\"/>", "<x:a y:b='1'/>", "<?xmlfoo?><a>-->--</a>"})
        EXPECT_TRUE(doc.Load(good)) << good;
}

// A document written out again reads as it came: blanks, comments, processing instructions and
// CDATA kept, line ends and blanks in attributes normalised, each special character escaped.
TEST(Xml, WrittenAsItWasRead) {
    xml::Document doc;
    for (auto [text, written] : std::initializer_list<std::pair<const char*, const char*>>{
             {"<?xml version='1.0'?>\n<!--c-->\n<a>t</a>\n<?p  d\r\ne?>",
              "<!--c-->\n<a>t</a>\n<?p d\ne?>"},
             {"<a>\n  <b/> <![CDATA[x<y]]><!--c--><?p?></a>",
              "<a>\n  <b/> <![CDATA[x<y]]><!--c--><?p?></a>"},
             {"<a b='x\ty\r\nz&#10;&#9;&#13;' c=\"'\" d='&quot;&gt;'>t\rq&#13;'\"&gt;></a>",
              "<a b=\"x y z&#10;&#9;&#13;\" c=\"'\" d=\"&quot;&gt;\">t\nq&#13;'\"&gt;&gt;</a>"},
             {"<a xmlns:n='u' n:b='1' xmlns='v'/>", "<a xmlns:n=\"u\" xmlns=\"v\" n:b=\"1\"/>"}}) {
        ASSERT_TRUE(doc.Load(text)) << text;
        EXPECT_EQ(doc.Xml(), written) << text;
    }
}

TEST(Xml, DocumentTypeDeclarationsAreRefusedBeforeTheirEntities) {
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"lol\">";
    std::string previous = "a";
    for (int i = 1; i <= 9; ++i) {
        std::string name = "a" + std::to_string(i);
        laughs += "<!ENTITY " + name + " \"";
        for (int k = 0; k < 10; ++k) laughs += "&" + previous + ";";
        laughs += "\">";
        previous = name;
    }
    xml::Document doc;
    for (const std::string& text :
         {laughs + "]><l>&" + previous + ";</l>", laughs + "]><l a='&" + previous + ";'/>",
          std::string("<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><r>&x;</r>"),
          std::string("<!DOCTYPE r SYSTEM \"http://127.0.0.1:1/r.dtd\"><r/>"),
          std::string("<!-- first --><!DOCTYPE r><r/>")}) {
        xml::ParseResult result = doc.Load(text);
        EXPECT_EQ(result.status, xml::ParseStatus::kNotWellFormed) << text;
        EXPECT_EQ(result.reason, "document type declarations are not accepted");
        EXPECT_FALSE(doc.Root());
    }
    EXPECT_TRUE(doc.Load("<r a='&lt;&#x4E2D;'>&amp;<![CDATA[<!DOCTYPE x>]]><!-- <!DOCTYPE --></r>"))
        << "the predefined entities, character references, and the text of a declaration in "
           "CDATA or a comment are fine";
    EXPECT_EQ(doc.Root().GetAttribute("a"), "<中");
}

TEST(Xml, BoundsAreKeptInLinearTime) {
    xml::Document doc;
    auto status = [&](const std::string& text) { return doc.Load(text).status; };
    std::string deep, deepest;
    for (int i = 0; i < 256; ++i) deep += "<d>";
    for (int i = 0; i < 256; ++i) deep += "</d>";
    EXPECT_EQ(status(deep), xml::ParseStatus::kOk) << "256 levels";
    for (int i = 0; i < 100000; ++i) deepest += "<d>";
    EXPECT_EQ(status(deepest), xml::ParseStatus::kOverLimit);
    std::string many = "<r";
    for (int i = 0; i < 100000; ++i) many += " a" + std::to_string(i) + "=''";
    xml::ParseResult result = doc.Load(many + "/>");
    EXPECT_EQ(result.status, xml::ParseStatus::kOverLimit);
    EXPECT_EQ(result.reason,
              "The request exceeds a limit: an element has more attributes than 256 (line 1)");
    std::string enough = "<r";
    for (int i = 0; i < 256; ++i) enough += " a" + std::to_string(i) + "='>'";
    EXPECT_EQ(status(enough + "/>"), xml::ParseStatus::kOk);
    EXPECT_EQ(status("<r>\n<" + std::string(257, 'n') + "/></r>"), xml::ParseStatus::kOverLimit);
    EXPECT_EQ(doc.Load("<r>\n\n<x " + std::string(300, 'a') + "='1'/></r>").reason,
              "The request exceeds a limit: an attribute name is longer than 256 (line 3)");
    EXPECT_EQ(status("<" + std::string(256, 'n') + "/>"), xml::ParseStatus::kOk);
    EXPECT_EQ(status("<r><!-- <a b='' c='' -->" + std::string(300, 'x') + "</r>"),
              xml::ParseStatus::kOk);
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

// An element's first text is kept in the element itself: it reads, selects, changes and writes
// as any text.
TEST(Xml, FirstTextsKeptInTheirElements) {
    xml::Document doc;
    ASSERT_TRUE(doc.LoadInPlace(std::string("<r>a<b>1</b>c<d>2<e/>3</d> </r>")));
    xml::Element root = doc.Root();
    EXPECT_EQ(root.Text(), "a1c23 ");
    EXPECT_EQ(root.FirstChild("b").Text(), "1");
    EXPECT_EQ(root.Select("b[.='1']").size(), 1u);
    EXPECT_EQ(root.Select("d[.='23']").size(), 1u);
    root.FirstChild("d").SetText("x&");
    EXPECT_EQ(doc.Xml(), "<r>a<b>1</b>c<d>x&amp;</d> </r>");
    xml::Document moved = std::move(doc);
    EXPECT_EQ(moved.Root().FirstChild("b").Text(), "1") << "the text stays where the tree is";
    moved.Root().SetText("");
    EXPECT_EQ(moved.Xml(), "<r/>");
}

TEST(Xml, AttributesAreReadAsTheirValues) {
    xml::Document doc;
    ASSERT_TRUE(doc.Load("<r a='代扣税 &amp; &#x4E2D;' e='' n:x='p' xmlns:n='u'/>"));
    xml::Element root = doc.Root();
    EXPECT_EQ(root.GetAttribute("a"), "代扣税 & 中");
    EXPECT_EQ(root.GetAttribute("e"), "");
    EXPECT_EQ(root.GetAttribute("missing"), "");
    EXPECT_EQ(root.GetAttribute("x"), "") << "a prefixed name is found by its whole name only";
    EXPECT_EQ(root.GetAttribute("n:x"), "p");
    EXPECT_EQ(root.GetAttribute("xmlns:n"), "") << "a namespace declaration is no attribute";
    EXPECT_EQ(xml::Element().GetAttribute("a"), "");
    root.SetAttribute("a", "new");
    EXPECT_EQ(root.GetAttribute("a"), "new");
}

}  // namespace
