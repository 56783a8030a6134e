// A COM face for XML documents, so that a host can hand QueryProc its condition elements itself:
// XmlDocument (ProgID Wagelink.XmlDocument) loads a request text (loadXML) and selects nodes
// (selectNodes, relative to the document). The node list it returns tells its `length` and hands
// out its items (`item(index)`, from 0); a node tells its `nodeName` and its `xml` text. Every
// object keeps its document alive.
#pragma once

#include "com/guid.h"
#include "com/unknown.h"
#include "wagelink_identities.h"

namespace platform {

extern const com::CLSID CLSID_XmlDocument;
inline constexpr const char* kXmlDocumentProgId = WAGELINK_PROGID_XML_DOCUMENT;

com::ComPtr<com::IDispatch> CreateXmlDocument();

}  // namespace platform
