#include "platform/row_xml_mapper.h"

#include <map>

#include "base/fault.h"
#include "platform/embedded_data.h"

namespace platform {

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs ParseMapping(std::string_view text) {
    xml::Document doc;
    if (!doc.Load(text)) throw base::Fault(base::kInvalidArgument, "Malformed row mapping");
    Pairs pairs;
    for (xml::Element field : doc.Root().Children("field"))
        pairs.emplace_back(field.GetAttribute("element"), field.GetAttribute("column"));
    return pairs;
}

}  // namespace

const Pairs& Mapping(const std::string& name) {
    static const std::map<std::string, Pairs> mappings = {
        {"SalaryItemXmlRs.Xml", ParseMapping(wagelink::embedded::SalaryItemXmlRs())},
        {"SalaryPersonXmlRs.Xml", ParseMapping(wagelink::embedded::SalaryPersonXmlRs())},
    };
    auto it = mappings.find(name);
    if (it == mappings.end())
        throw base::Fault(base::kInvalidArgument, "Unknown row mapping " + name);
    return it->second;
}

void InProcessRowXmlMapper::FillRecord(xml::Document& doc, xml::Element record,
                                       const std::string& mappingName, const db::Recordset& rows) {
    if (resolved_.mappingName != mappingName || resolved_.columns != &rows.columns()) {
        Resolved fresh{mappingName, &rows.columns(), {}};
        for (const auto& [element, column] : Mapping(mappingName))
            fresh.elements.emplace_back(element, rows.columns().IndexOf(column));
        resolved_ = std::move(fresh);
    }
    for (const auto& [element, index] : resolved_.elements) {
        xml::NewElement child = doc.CreateElement(element);
        child->SetText(rows[index].Text());
        record.AppendChild(std::move(child));
    }
}

}  // namespace platform
