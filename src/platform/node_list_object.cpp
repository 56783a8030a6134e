#include "platform/node_list_object.h"

#include "com/automation.h"

namespace platform {

const com::CLSID CLSID_XmlDocument = com::MakeGuid("{8E2B7C41-3F6A-4D05-B19E-6C0D2A7F5E88}");
const com::IID IID_INodeListAccess = com::MakeGuid("{1B9F4E27-6A3C-4F80-8D52-E7C61A0B3D94}");

namespace {

using com::DispatchArguments;
using com::VARIANT;
using com::WORD;

class NodeList final : public com::Automation<NodeList>, private INodeListAccess {
  public:
    NodeList(std::shared_ptr<const xml::Document> owner, xml::NodeList nodes)
        : owner_(std::move(owner)), nodes_(std::move(nodes)) {}

    void* Answer(com::REFIID iid) {
        if (iid == com::IID_IDispatch) return static_cast<com::IDispatch*>(this);
        if (iid == IID_INodeListAccess) return static_cast<INodeListAccess*>(this);
        return nullptr;
    }
    const xml::NodeList* Nodes() override { return &nodes_; }

    // INodeListAccess shares the object's count.
    com::HRESULT QueryInterface(com::REFIID iid, void** object) override {
        return com::Automation<NodeList>::QueryInterface(iid, object);
    }
    com::ULONG AddRef() override { return com::Automation<NodeList>::AddRef(); }
    com::ULONG Release() override { return com::Automation<NodeList>::Release(); }

    static com::HRESULT Length(NodeList& self, DispatchArguments&, WORD, VARIANT* out) {
        *out = com::Variant::FromLong(static_cast<com::LONG>(self.nodes_.size())).Detach();
        return com::S_OK;
    }
    static constexpr com::DispatchMember<NodeList> kMembers[] = {{"length", 1, 0, 0, &Length}};

  private:
    std::shared_ptr<const xml::Document> owner_;
    xml::NodeList nodes_;
};

class XmlDocument final : public com::Automation<XmlDocument> {
  public:
    void* Answer(com::REFIID iid) {
        return iid == com::IID_IDispatch ? static_cast<com::IDispatch*>(this) : nullptr;
    }

    static com::HRESULT LoadXml(XmlDocument& self, DispatchArguments& args, WORD, VARIANT* out) {
        com::BstrArgument text(args, 0);
        auto doc = std::make_shared<xml::Document>();
        bool ok = static_cast<bool>(doc->Load(com::BstrToUtf8(text.value())));
        self.doc_ = std::move(doc);
        *out = com::Variant::FromBool(ok).Detach();
        return com::S_OK;
    }
    static com::HRESULT SelectNodes(XmlDocument& self, DispatchArguments& args, WORD,
                                    VARIANT* out) {
        com::BstrArgument path(args, 0);
        xml::NodeList nodes;
        if (xml::Element root = self.doc_->Root())
            nodes = root.Select("/" + com::BstrToUtf8(path.value()));
        com::ComPtr<com::IDispatch> list = CreateNodeList(self.doc_, std::move(nodes));
        out->vt = com::VT_DISPATCH;
        out->pdispVal = list.Detach();
        return com::S_OK;
    }
    static constexpr com::DispatchMember<XmlDocument> kMembers[] = {
        {"loadXML", 1, 1, 1, &LoadXml},
        {"selectNodes", 2, 1, 1, &SelectNodes},
    };

  private:
    std::shared_ptr<xml::Document> doc_ = std::make_shared<xml::Document>();
};

}  // namespace

com::ComPtr<com::IDispatch> CreateXmlDocument() {
    return XmlDocument::Create();
}

com::ComPtr<com::IDispatch> CreateNodeList(std::shared_ptr<const xml::Document> owner,
                                           xml::NodeList nodes) {
    return NodeList::Create(std::move(owner), std::move(nodes));
}

xml::NodeList NodesOf(com::IDispatch* list) {
    if (!list) return xml::NodeList();
    com::ComPtr<INodeListAccess> access;
    if (com::FAILED(
            list->QueryInterface(IID_INodeListAccess, reinterpret_cast<void**>(access.Receive()))))
        com::ThrowTypeMismatch();
    return *access->Nodes();
}

}  // namespace platform
