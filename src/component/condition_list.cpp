#include "component/condition_list.h"

#include "base/fault.h"
#include "com/late_call.h"

namespace component {

ConditionList ConditionsOf(com::IDispatch* list) {
    ConditionList out;
    if (!list) return out;
    const com::LONG length = com::ToLong(*com::GetProperty(list, "length").get());
    std::vector<xml::Element> elements;
    out.documents.reserve(static_cast<std::size_t>(length > 0 ? length : 0));
    for (com::LONG i = 0; i < length; ++i) {
        com::Variant index = com::Variant::FromLong(i);
        com::Variant node = com::CallByName(
            list, "item", com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET, {*index.get()});
        std::string text =
            com::ToText(*com::GetProperty(com::ToDispatch(*node.get()), "xml").get());
        xml::Document& doc = out.documents.emplace_back();
        if (!doc.Load(text) || !doc.Root())
            base::ThrowTypeMismatch("condition " + std::to_string(i + 1) + " is not an element");
        elements.push_back(doc.Root());
    }
    out.nodes = xml::NodeList(std::move(elements));
    return out;
}

}  // namespace component
