// The condition elements of a direct QueryProc call, read from the node list object the host
// hands in (IXMLDOMNodeList: `length`, `item(i)` and each node's `xml`), so that the server works
// with any DOM's node list, not only one made in this process.
#pragma once

#include <vector>

#include "com/unknown.h"
#include "xml/document.h"

namespace component {

struct ConditionList {
    std::vector<xml::Document> documents;  // one per node: keeps the elements alive
    xml::NodeList nodes;
};

// Nothing (a null list) is an empty list; an object without the node list members is a fault.
ConditionList ConditionsOf(com::IDispatch* list);

}  // namespace component
