#include "support/requests.h"

#include <regex>

namespace testing_support {

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string ItemRecord(const std::map<std::string, std::string>& changes,
                       const std::vector<Entry>& entries) {
    std::map<std::string, std::string> fields = {{"salarygradeno", "001"},
                                                 {"departmentno", "0101"},
                                                 {"year", "2026"},
                                                 {"month", "11"},
                                                 {"personno", "0001"},
                                                 {"personname", "林晓东"},
                                                 {"persongradeno", "管理人员"}};
    for (const auto& [k, v] : changes) fields[k] = v;
    std::string xml = "<salaryitem>";
    for (const char* name : {"salarygradeno", "salarygradename", "departmentno", "year", "month",
                             "personno", "personname", "persongradeno"}) {
        auto it = fields.find(name);
        if (it != fields.end() && !it->second.empty())
            xml += std::string("<") + name + ">" + XmlEscape(it->second) + "</" + name + ">";
    }
    for (const Entry& e : entries) {
        xml += "<entry";
        if (e.hasName) xml += " name=\"" + XmlEscape(e.name) + "\"";
        if (e.hasType) xml += " type=\"" + XmlEscape(e.type) + "\"";
        xml += ">" + XmlEscape(e.value) + "</entry>";
    }
    return xml + "</salaryitem>";
}

std::string PersonRecord(const std::map<std::string, std::string>& changes,
                         const std::vector<Extra>& extras) {
    std::map<std::string, std::string> fields = {
        {"salarygradeno", "001"}, {"departmentno", "0101"},      {"personno", "0020"},
        {"personname", "梁诗雨"}, {"persongradeno", "管理人员"}, {"isforeign", "0"},
        {"taxtoken", "1"}};
    for (const auto& [k, v] : changes) fields[k] = v;
    std::string xml = "<salaryperson>";
    for (const char* name : {"salarygradeno", "salarygradename", "departmentno", "personno",
                             "personname", "persongradeno", "isforeign", "taxtoken"}) {
        auto it = fields.find(name);
        if (it != fields.end() && !it->second.empty())
            xml += std::string("<") + name + ">" + XmlEscape(it->second) + "</" + name + ">";
    }
    for (const Extra& e : extras) {
        xml += "<entry";
        if (e.hasName) xml += " name=\"" + XmlEscape(e.name) + "\"";
        if (e.hasExtraname) xml += " extraname=\"" + XmlEscape(e.extraname) + "\"";
        xml += ">" + XmlEscape(e.value) + "</entry>";
    }
    return xml + "</salaryperson>";
}

std::string ResultLines(const std::string& reply) {
    static const std::regex result(R"(<result n="\d+" (key="[^"]*" code="\d+" message="[^"]*")/>)");
    std::string lines;
    for (auto it = std::sregex_iterator(reply.begin(), reply.end(), result);
         it != std::sregex_iterator(); ++it)
        lines += (*it)[1].str() + "\n";
    return lines;
}

std::string AddRequest(const std::vector<std::string>& records, const std::string& recordTag) {
    std::string xml = "<vkinterface roottag=\"" + recordTag + "\" docid=\"T\" proc=\"ADD\">";
    for (const std::string& r : records) xml += r;
    return xml + "</vkinterface>";
}

}  // namespace testing_support
