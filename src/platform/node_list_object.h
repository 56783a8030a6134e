// A COM face for XML node lists, so a host can hand QueryProc its condition elements directly:
// XmlDocument (ProgID Wagelink.XmlDocument) loads a request text (loadXML) and selects nodes
// (selectNodes, relative to the document); the node list it returns tells its length and keeps
// its document alive. The server reads the nodes back through a private interface.
#pragma once

#include <memory>

#include "com/object.h"
#include "xml/document.h"

namespace platform {

extern const com::CLSID CLSID_XmlDocument;
inline constexpr const char* kXmlDocumentProgId = "Wagelink.XmlDocument";

// The private interface of node lists made here.
struct INodeListAccess : com::IUnknown {
    virtual const xml::NodeList* Nodes() = 0;
};
extern const com::IID IID_INodeListAccess;

com::ComPtr<com::IDispatch> CreateXmlDocument();
com::ComPtr<com::IDispatch> CreateNodeList(std::shared_ptr<const xml::Document> owner,
                                           xml::NodeList nodes);
// The nodes of a node list made here; a type-mismatch fault for any other object. Nothing
// (a null list) reads as an empty list.
xml::NodeList NodesOf(com::IDispatch* list);

}  // namespace platform
