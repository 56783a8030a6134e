// On Windows the server's components are the registered ones, created through the system's COM by
// their class identifiers and called by name, so that a platform's own take the place of ours.
// Our trees are MSXML's there, and an MSXML node is the automation object a component is given.
#include "platform/components.h"

#include <functional>
#include <map>
#include <optional>

#include "base/fault.h"
#include "com/activation.h"
#include "com/late_call.h"
#include "com/variant.h"
#include "platform/recordset_object.h"
#include "wagelink_identities.h"
#include "xml/msxml/access.h"

// <windows.h>, which MSXML's header brings, defines as a macro a name that com/ declares.
#undef DISPATCH_METHOD

namespace platform {

namespace {

// A registered component, each member's DISPID asked once: the kit and the mapper are called for
// every field and every record.
class Component {
  public:
    explicit Component(const char* clsid) : object_(com::CreateObject(clsid)) {}

    com::Variant Call(std::string_view member, const std::vector<com::VARIANT>& args) const {
        auto known = ids_.find(member);
        if (known == ids_.end())
            known = ids_.emplace(std::string(member), com::GetDispId(object_.get(), member)).first;
        return com::CallById(object_.get(), known->second, member, com::DISPATCH_METHOD, args);
    }
    // A member whose answer is a text, or nothing.
    std::string CallForText(std::string_view member, const std::vector<com::VARIANT>& args) const {
        com::Variant result = Call(member, args);
        return result.type() == com::VT_EMPTY ? "" : com::ToText(*result.get());
    }

  private:
    com::ComPtr<com::IDispatch> object_;
    mutable std::map<std::string, com::DISPID, std::less<>> ids_;
};

// An MSXML node (any of its interfaces begins with IDispatch's) as an object argument.
template <class Node>
com::Variant NodeObject(Node* node) {
    return com::Variant::FromDispatch(reinterpret_cast<com::IDispatch*>(node));
}

com::Variant Text(std::string_view text) {
    return com::Variant::FromText(text);
}

class ComIntegrationKit final : public IntegrationKit {
  public:
    ComIntegrationKit() : kit_(WAGELINK_GUID_TEXT(WAGELINK_CLSID_INTEGRATION_KIT)) {}

    // The component's third argument, an extra text, empty.
    std::string MakeReply(std::string_view code, std::string_view message) const override {
        com::Variant c = Text(code), m = Text(message), e = Text("");
        return kit_.CallForText("MakeReply", {*c.get(), *m.get(), com::ByRef(e)});
    }
    // A missing node has no attributes and no fields: nothing to ask the component.
    std::string GetAttribute(xml::Element node, std::string_view name) const override {
        if (!node) return "";
        com::Variant n = NodeObject(node.node().get()), a = Text(name);
        return kit_.CallForText("GetAttribute", {*n.get(), *a.get()});
    }
    std::string GetFieldValue(xml::Element record, std::string_view name) const override {
        if (!record) return "";
        com::Variant r = NodeObject(record.node().get()), f = Text(name);
        return kit_.CallForText("GetFieldValue", {*r.get(), *f.get()});
    }
    // The reply document by reference, the number 0 and four empty texts by reference.
    void AddResult(xml::Document& reply, std::string_view key, long code,
                   std::string_view message) const override {
        xml::Element root = reply.Root();
        if (!root) base::ThrowObjectNotSet("the reply document has no root element");
        xml::msxml::Ref<IXMLDOMDocument> owner;
        root.node()->get_ownerDocument(owner.Receive());
        if (!owner) base::ThrowObjectNotSet("the reply element has no document");
        com::Variant document = NodeObject(owner.get());
        com::Variant k = Text(key), c = com::Variant::FromLong(code), m = Text(message),
                     zero = com::Variant::FromLong(0), a = Text(""), b = Text(""), d = Text(""),
                     e = Text("");
        kit_.Call("AddResult", {com::ByRef(document), *k.get(), *c.get(), *m.get(), *zero.get(),
                                com::ByRef(a), com::ByRef(b), com::ByRef(d), com::ByRef(e)});
    }
    std::string BeginReply(std::string_view docid, std::string_view proc) const override {
        com::Variant d = Text(docid), p = Text(proc);
        return kit_.CallForText("BeginReply", {*d.get(), com::ByRef(p)});
    }

  private:
    Component kit_;
};

// Made at its first use, given the record element and the recordset's COM face.
class ComRowXmlMapper final : public RowXmlMapper {
  public:
    // The record and the recordset by reference, the mapping name by value.
    void FillRecord(xml::Document&, xml::Element record, const std::string& mappingName,
                    const db::Recordset& rows) override {
        if (!mapper_) mapper_.emplace(WAGELINK_GUID_TEXT(WAGELINK_CLSID_ROW_XML_MAPPER));
        if (!face_ || &face_->rows() != &rows) face_ = std::make_unique<RecordsetFace>(rows);
        com::Variant element = NodeObject(record.node().get());
        com::Variant name = Text(mappingName);
        com::Variant recordset = com::Variant::FromDispatch(face_->object());
        mapper_->Call("FillRecord", {com::ByRef(element), *name.get(), com::ByRef(recordset)});
    }

  private:
    std::optional<Component> mapper_;
    std::unique_ptr<RecordsetFace> face_;
};

class ComMessageResource final : public MessageResource {
  public:
    ComMessageResource() : resource_(WAGELINK_GUID_TEXT(WAGELINK_CLSID_MESSAGE_RESOURCE)) {}

    // LoadMessage(id, substitute, arguments): the arguments an array of VARIANT with lower bound
    // 0, by reference, each missing one as the missing-argument marker.
    std::string LoadMessage(const std::string& id, int substitute,
                            const std::vector<MessageArgument>& arguments) const override {
        com::SAFEARRAY* array = com::SafeArrayCreateVector(
            com::VT_VARIANT, 0, static_cast<com::ULONG>(arguments.size()));
        if (!array) base::ThrowOutOfMemory();
        com::Variant list = com::Variant::FromArray(array);
        com::VARIANT* elements = com::SafeArrayElements(array);
        for (std::size_t i = 0; i < arguments.size(); ++i)
            elements[i] = (arguments[i] ? Text(*arguments[i]) : com::Variant::Missing()).Detach();
        com::Variant text = Text(id), number = com::Variant::FromLong(substitute);
        return com::ToText(
            *resource_.Call("LoadMessage", {*text.get(), *number.get(), com::ByRef(list)}).get());
    }

  private:
    Component resource_;
};

}  // namespace

const IntegrationKit& SharedIntegrationKit() {
    // One per thread, made at the thread's first use in its apartment, as COM objects are used.
    // It is kept in a system TLS slot and never destroyed: a per-thread C++ object with a
    // destructor in a DLL hangs the thread's exit (com/module_lifetime.h).
    static const DWORD slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES) base::ThrowOutOfMemory();
    if (auto* kit = static_cast<ComIntegrationKit*>(TlsGetValue(slot))) return *kit;
    auto made = std::make_unique<ComIntegrationKit>();  // a fault when the class is not registered
    if (!TlsSetValue(slot, made.get())) base::ThrowOutOfMemory();
    return *made.release();
}

std::unique_ptr<RowXmlMapper> NewRowXmlMapper() {
    return std::make_unique<ComRowXmlMapper>();
}

std::unique_ptr<MessageResource> NewMessageResource() {
    return std::make_unique<ComMessageResource>();
}

}  // namespace platform
