// What both DOMs share (xml/pugi/document.cpp, xml/msxml/document.cpp).
#include "xml/document.h"

#include "xml/well_formed.h"

namespace xml {

bool IsName(std::string_view name) {
    return IsXmlName(name);
}

std::string Element::Xml() const {
    std::string out;
    AppendXml(out);
    return out;
}

}  // namespace xml
