#include "query/export_document.h"

#include "base/fault.h"
#include "base/number.h"
#include "platform/components.h"

namespace query {

namespace {

xml::Document EmptiedRequest(const std::string& text) {
    xml::Document doc;
    if (!doc.Load(text) || !doc.Root())
        base::ThrowObjectNotSet("the export document is not well-formed XML");
    doc.Root().SetText("");
    return doc;
}

}  // namespace

ExportDocument::ExportDocument(const std::string& requestXml)
    : working_(EmptiedRequest(requestXml)),
      template_(working_.Xml()),
      frame_(working_.XmlAroundRootContent()) {}

std::int32_t ExportDocument::PageSize() const {
    std::string text = platform::SharedIntegrationKit().GetAttribute(working_.Root(), "paginate");
    auto n = base::WholeNumber(text);
    if (!n) base::ThrowTypeMismatch("paginate '" + text + "' is not a whole number");
    return base::ToInt32(*n);
}

std::int32_t ExportDocument::PageSizeOrNone() const {
    try {
        return PageSize();
    } catch (const base::Fault&) {
        return 0;
    }
}

xml::NewElement ExportDocument::NewRecord() {
    if (!recordName_) {
        if (!working_.Root().HasAttribute("roottag"))
            base::ThrowInvalidUseOfNull("the request's root has no roottag attribute");
        recordName_ = working_.Root().GetAttribute("roottag");
    }
    return working_.CreateElement(*recordName_);
}

void ExportDocument::Append(xml::NewElement record) {
    if (text_.empty()) text_ = frame_.first;
    record.get().AppendXml(text_);
}  // the record's elements are freed here

void ExportDocument::Renew() {
    std::string().swap(text_);
}

std::string ExportDocument::Xml() const {
    return text_.empty() ? template_ : text_ + frame_.second;
}

std::string ExportDocument::TakeXml() {
    if (text_.empty()) return template_;
    text_ += frame_.second;
    // Growing by doubling left up to half of it unused, while the caller makes its own copy.
    text_.shrink_to_fit();
    return std::move(text_);
}

}  // namespace query
