// On Windows the kit is the registered component, created through the system's COM by its class
// identifier and called by name, so that a platform's own IntegrationKit takes the place of ours.
// Our trees are MSXML's there, and an MSXML node is the automation object the component is given.
#include <memory>

#include "base/fault.h"
#include "platform/integration_kit.h"
#include "platform/integration_kit_object.h"
#include "platform/windows/com_client.h"
#include "xml/msxml/access.h"

namespace platform {

namespace {

using windows::NodeObject;

com::Variant Text(std::string_view text) {
    return com::Variant::FromText(text);
}

class ComIntegrationKit final : public IntegrationKit {
  public:
    ComIntegrationKit() : kit_(kIntegrationKitClsid) {}

    // The component's third argument, an extra text, empty.
    std::string MakeReply(std::string_view code, std::string_view message) const override {
        com::Variant c = Text(code), m = Text(message), e = Text("");
        return Call("MakeReply", {*c.get(), *m.get(), com::ByRef(e)});
    }
    // A missing node has no attributes and no fields: nothing to ask the component.
    std::string GetAttribute(xml::Element node, std::string_view name) const override {
        if (!node) return "";
        com::Variant n = NodeObject(node.node().get()), a = Text(name);
        return Call("GetAttribute", {*n.get(), *a.get()});
    }
    std::string GetFieldValue(xml::Element record, std::string_view name) const override {
        if (!record) return "";
        com::Variant r = NodeObject(record.node().get()), f = Text(name);
        return Call("GetFieldValue", {*r.get(), *f.get()});
    }
    // The reply document by reference, the number 0 and four empty texts by reference.
    void AddResult(xml::Document& reply, std::string_view key, long code,
                   std::string_view message) const override {
        constexpr long zero = 0;
        constexpr std::string_view t1, t2, t3, t4;
        xml::Element root = reply.Root();
        if (!root) base::ThrowObjectNotSet("the reply document has no root element");
        xml::msxml::Ref<IXMLDOMDocument> owner;
        root.node()->get_ownerDocument(owner.Receive());
        if (!owner) base::ThrowObjectNotSet("the reply element has no document");
        com::Variant document = NodeObject(owner.get());
        com::Variant k = Text(key), c = com::Variant::FromLong(code), m = Text(message),
                     z = com::Variant::FromLong(zero), a = Text(t1), b = Text(t2), d = Text(t3),
                     e = Text(t4);
        Call("AddResult", {com::ByRef(document), *k.get(), *c.get(), *m.get(), *z.get(),
                           com::ByRef(a), com::ByRef(b), com::ByRef(d), com::ByRef(e)});
    }
    std::string BeginReply(std::string_view docid, std::string_view proc) const override {
        com::Variant d = Text(docid), p = Text(proc);
        return Call("BeginReply", {*d.get(), com::ByRef(p)});
    }

  private:
    std::string Call(std::string_view member, const std::vector<com::VARIANT>& args) const {
        com::Variant result = kit_.Call(member, args);
        return result.type() == com::VT_EMPTY ? "" : com::ToText(*result.get());
    }

    windows::Component kit_;
};

}  // namespace

IntegrationKit& SharedIntegrationKit() {
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

}  // namespace platform
