#include <memory>

#include "com/automation.h"
#include "platform/objects.h"
#include "wagelink_identities.h"
#include "xml/document.h"

namespace platform {

namespace {

using com::DispatchArguments;
using com::VARIANT;
using com::WORD;
using Owner = std::shared_ptr<const xml::Document>;

class Node final : public com::Automation<Node> {
  public:
    Node(Owner owner, xml::Element element) : owner_(std::move(owner)), element_(element) {}
    void* Answer(com::REFIID iid) { return com::AnswerDispatchOnly(this, iid); }

    static com::HRESULT NodeName(Node& self, DispatchArguments&, WORD, VARIANT* out) {
        *out = com::Variant::FromText(self.element_.Name()).Detach();
        return com::S_OK;
    }
    static com::HRESULT Xml(Node& self, DispatchArguments&, WORD, VARIANT* out) {
        *out = com::Variant::FromText(self.element_.Xml()).Detach();
        return com::S_OK;
    }
    static constexpr com::DispatchMember<Node> kMembers[] = {{"nodeName", 1, 0, 0, &NodeName},
                                                             {"xml", 2, 0, 0, &Xml}};

  private:
    Owner owner_;
    xml::Element element_;
};

class NodeList final : public com::Automation<NodeList> {
  public:
    NodeList(Owner owner, xml::NodeList nodes)
        : owner_(std::move(owner)), nodes_(std::move(nodes)) {}
    void* Answer(com::REFIID iid) { return com::AnswerDispatchOnly(this, iid); }

    static com::HRESULT Length(NodeList& self, DispatchArguments&, WORD, VARIANT* out) {
        *out = com::Variant::FromLong(static_cast<com::LONG>(self.nodes_.size())).Detach();
        return com::S_OK;
    }
    // An index outside the list gives Nothing, as the DOM's item does.
    static com::HRESULT Item(NodeList& self, DispatchArguments& args, WORD, VARIANT* out) {
        com::LONG index = com::ToLong(args.Raw(0));
        if (index < 0 || static_cast<std::size_t>(index) >= self.nodes_.size()) {
            com::ReturnObject(nullptr, out);
            return com::S_OK;
        }
        com::ReturnObject(Node::Create(self.owner_, self.nodes_[static_cast<std::size_t>(index)]),
                          out);
        return com::S_OK;
    }
    static constexpr com::DispatchMember<NodeList> kMembers[] = {{"length", 1, 0, 0, &Length},
                                                                 {"item", 0, 1, 1, &Item}};

  private:
    Owner owner_;
    xml::NodeList nodes_;
};

class XmlDocument final : public com::Automation<XmlDocument> {
  public:
    void* Answer(com::REFIID iid) { return com::AnswerDispatchOnly(this, iid); }

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
        com::ReturnObject(NodeList::Create(self.doc_, std::move(nodes)), out);
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

}  // namespace platform
