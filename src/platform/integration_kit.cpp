#include "platform/integration_kit.h"

#include <string>

namespace platform {

namespace {

// Builds `<reply .../>` with the attributes in order, escaped by the XML layer.
std::string ReplyElement(
    std::initializer_list<std::pair<std::string_view, std::string_view>> attributes) {
    xml::Document doc;
    doc.SetRoot(doc.CreateElement("reply"));
    xml::Element root = doc.Root();
    for (const auto& [name, value] : attributes) root.SetAttribute(name, value);
    return doc.Xml();
}

}  // namespace

std::string InProcessIntegrationKit::MakeReply(std::string_view code,
                                               std::string_view message) const {
    return ReplyElement({{"code", code}, {"message", message}});
}

std::string InProcessIntegrationKit::GetAttribute(xml::Element node, std::string_view name) const {
    return node.GetAttribute(name);
}

std::string InProcessIntegrationKit::GetFieldValue(xml::Element record,
                                                   std::string_view name) const {
    if (xml::Element child = record.FirstChild(name)) return child.Text();
    return record.GetAttribute(name);
}

void InProcessIntegrationKit::AddResult(xml::Document& reply, std::string_view key, long code,
                                        std::string_view message) const {
    AddResultTo(reply.Root(), key, code, message);
}

void InProcessIntegrationKit::AddResultTo(xml::Element root, std::string_view key, long code,
                                          std::string_view message) const {
    // n counts the results from 1, so that a result names its record's place in the request
    // where keys (person names) repeat; the last result says how far the count has come.
    long n = 1;
    if (xml::Element last = root.LastChild("result")) n = std::stol(last.GetAttribute("n")) + 1;
    xml::Element result = root.AppendElement("result");
    result.SetAttribute("n", std::to_string(n));
    result.SetAttribute("key", key);
    result.SetAttribute("code", std::to_string(code));
    result.SetAttribute("message", message);
}

std::string InProcessIntegrationKit::BeginReply(std::string_view docid,
                                                std::string_view proc) const {
    return ReplyElement({{"docid", docid}, {"proc", proc}});
}

}  // namespace platform
