// The DOM on Windows: the system's MSXML (6.0 where present, else 3.0, which every Windows has),
// the DOM the platform itself works with. The text is checked as on Linux before MSXML sees it
// (so a document type declaration never reaches it), and MSXML is told besides to prohibit one,
// to resolve nothing external and to keep every blank. Names are matched, texts gathered and
// trees written by the code of this file, node by node, so that what a caller reads and the
// bytes of every reply are those of the Linux build.
#include "xml/document.h"

#include <utility>

#include "base/fault.h"
#include "xml/checked_text.h"
#include "xml/escape.h"
#include "xml/msxml/access.h"
#include "xml/msxml/writer.h"
#include "xml/well_formed.h"

namespace xml {

// --- References ----------------------------------------------------------------------------

NodeRef::NodeRef(const NodeRef& other) : p_(other.p_) {
    if (p_) p_->AddRef();
}

NodeRef::~NodeRef() {
    if (p_) p_->Release();
}

using namespace msxml;

namespace {

// Elements are found by their exact name, as XPath finds them: an element in a namespace (with a
// prefix, or under a default namespace) does not answer to the plain name.
bool IsElementNamed(IXMLDOMNode* node, std::string_view name) {
    if (TypeOf(node) != NODE_ELEMENT || name.find(':') != std::string_view::npos ||
        NameOf(node) != name)
        return false;
    Bstr uri;
    node->get_namespaceURI(uri.Receive());
    return !uri.get() || SysStringLen(uri.get()) == 0;
}

// A new element of that name in `document`, in no tree yet; a fault for an invalid name.
NodeRef CreateNamedElement(IXMLDOMDocument* document, std::string_view name) {
    if (!IsXmlName(name))
        base::ThrowFailure("'" + std::string(name) + "' is not a valid element name");
    IXMLDOMElement* element = nullptr;
    Succeed(document->createElement(Bstr(name).get(), &element), "create an element");
    return NodeRef::Adopt(element);
}

void AppendText(std::string& out, IXMLDOMNode* element) {
    for (NodeRef n = FirstOf(element); n; n = NextOf(n.get())) {
        const DOMNodeType type = TypeOf(n.get());
        if (type == NODE_TEXT || type == NODE_CDATA_SECTION)
            out += ValueOf(n.get());
        else if (type == NODE_ELEMENT)
            AppendText(out, n.get());
    }
}

}  // namespace

// --- Element -------------------------------------------------------------------------------

std::string Element::Name() const {
    return node_ ? NameOf(node_.get()) : "";
}

bool Element::IsNamed(std::string_view name) const {
    return node_ && IsElementNamed(node_.get(), name);
}

std::string Element::GetAttribute(std::string_view name) const {
    Ref<IXMLDOMElement> element = AsElement(node_.get());
    if (!element || IsNamespaceDeclaration(name)) return "";
    Variant value;
    Succeed(element->getAttribute(Bstr(name).get(), &value.v), "read an attribute");
    return value.Utf8();
}

bool Element::HasAttribute(std::string_view name) const {
    Ref<IXMLDOMElement> element = AsElement(node_.get());
    if (!element || IsNamespaceDeclaration(name)) return false;
    Ref<IXMLDOMAttribute> attribute;
    element->getAttributeNode(Bstr(name).get(), attribute.Receive());
    return static_cast<bool>(attribute);
}

void Element::SetAttribute(std::string_view name, std::string_view value) {
    Ref<IXMLDOMElement> element = AsElement(node_.get());
    if (!element) return;
    Bstr text(value);
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = text.get();
    Succeed(element->setAttribute(Bstr(name).get(), v), "set an attribute");
}

std::string Element::Text() const {
    std::string text;
    if (node_) AppendText(text, node_.get());
    return text;
}

void Element::AppendXml(std::string& out) const {
    if (node_) Writer<MsxmlFace>().WriteNode(out, node_.get());
}

void Element::SetText(std::string_view text) {
    if (!node_) return;
    while (NodeRef child = FirstOf(node_.get())) {
        IXMLDOMNode* removed = nullptr;
        Succeed(node_->removeChild(child.get(), &removed), "remove a node");
        NodeRef::Adopt(removed);
    }
    if (text.empty()) return;
    Ref<IXMLDOMDocument> owner;
    Succeed(node_->get_ownerDocument(owner.Receive()), "find a node's document");
    Ref<IXMLDOMText> textNode;
    Succeed(owner->createTextNode(Bstr(text).get(), textNode.Receive()), "create a text");
    IXMLDOMNode* appended = nullptr;
    Succeed(node_->appendChild(textNode.get(), &appended), "append a text");
    NodeRef::Adopt(appended);
}

void Element::AppendChild(NewElement child) {
    if (!node_) return;
    IXMLDOMNode* appended = nullptr;
    if (FAILED(node_->appendChild(child.node_.get(), &appended)))
        base::ThrowFailure("an element cannot be appended here");
    NodeRef::Adopt(appended);
    child.Release();
}

Element Element::AppendElement(std::string_view name) {
    if (!node_) return Element();
    Ref<IXMLDOMDocument> owner;
    Succeed(node_->get_ownerDocument(owner.Receive()), "find a node's document");
    NodeRef child = CreateNamedElement(owner.get(), name);
    IXMLDOMNode* appended = nullptr;
    Succeed(node_->appendChild(child.get(), &appended), "append an element");
    return Handle(NodeRef::Adopt(appended));
}

Element Element::FirstChild(std::string_view name) const {
    if (!node_) return Element();
    for (NodeRef n = FirstOf(node_.get()); n; n = NextOf(n.get()))
        if (IsElementNamed(n.get(), name)) return Handle(std::move(n));
    return Element();
}

Element Element::LastChild(std::string_view name) const {
    if (!node_) return Element();
    for (NodeRef n = LastOf(node_.get()); n; n = PreviousOf(n.get()))
        if (IsElementNamed(n.get(), name)) return Handle(std::move(n));
    return Element();
}

NodeList Element::Children(std::string_view name) const {
    std::vector<Element> items;
    if (node_)
        for (NodeRef n = FirstOf(node_.get()); n; n = NextOf(n.get()))
            if (IsElementNamed(n.get(), name)) items.push_back(Handle(n));
    return NodeList(std::move(items));
}

NodeList Element::Select(std::string_view xpath) const {
    if (!node_) return NodeList();
    Ref<IXMLDOMNodeList> selected;
    if (FAILED(node_->selectNodes(Bstr(xpath).get(), selected.Receive())) || !selected)
        base::ThrowFailure("Invalid XPath expression: " + std::string(xpath));
    long count = 0;
    selected->get_length(&count);
    std::vector<Element> items;
    for (long i = 0; i < count; ++i) {
        IXMLDOMNode* item = nullptr;
        Succeed(selected->get_item(i, &item), "read a selected node");
        NodeRef node = NodeRef::Adopt(item);
        if (node && TypeOf(node.get()) == NODE_ELEMENT) items.push_back(Handle(std::move(node)));
    }
    return NodeList(std::move(items));
}

// --- NewElement ----------------------------------------------------------------------------

NewElement::NewElement(NewElement&& other) noexcept : node_(other.node_), handle_(other.handle_) {
    other.Release();
}

// A node never appended goes with its last reference.
NewElement::~NewElement() = default;

NodeRef NewElement::Release() {
    NodeRef n = std::move(node_);
    handle_ = Element();
    return n;
}

// --- Document ------------------------------------------------------------------------------

struct Document::Tree {
    Ref<IXMLDOMDocument2> doc;

    // Made at first use: an empty document costs no DOM.
    IXMLDOMDocument2* Doc() {
        if (!doc) Create();
        return doc.get();
    }

    void Create() {
        HRESULT hr = CoCreateInstance(kDomDocument60, nullptr, CLSCTX_INPROC_SERVER,
                                      kIXMLDOMDocument2, reinterpret_cast<void**>(doc.Receive()));
        if (FAILED(hr))
            hr = CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument2,
                                  reinterpret_cast<void**>(doc.Receive()));
        if (hr == E_OUTOFMEMORY) base::ThrowOutOfMemory();
        if (hr == CO_E_NOTINITIALIZED)
            base::ThrowFailure("the XML DOM needs COM, which this thread has not initialized");
        if (FAILED(hr)) base::ThrowFailure("the system's XML DOM (MSXML) is not available");
        doc->put_async(VARIANT_FALSE);
        doc->put_validateOnParse(VARIANT_FALSE);
        doc->put_resolveExternals(VARIANT_FALSE);
        doc->put_preserveWhiteSpace(VARIANT_TRUE);
        // Our own check refuses a document type declaration before MSXML sees the text; MSXML
        // is told so as well where it knows the setting.
        SetProperty(L"ProhibitDTD", true);
        Succeed(SetProperty(L"SelectionLanguage", L"XPath"), "select by XPath");
    }

    HRESULT SetProperty(const wchar_t* name, bool on) {
        VARIANT v;
        v.vt = VT_BOOL;
        v.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
        return doc->setProperty(Bstr(name).get(), v);
    }
    HRESULT SetProperty(const wchar_t* name, const wchar_t* text) {
        Bstr value(text);
        VARIANT v;
        v.vt = VT_BSTR;
        v.bstrVal = value.get();
        return doc->setProperty(Bstr(name).get(), v);
    }

    NodeRef Node() const {
        if (!doc) return NodeRef();
        IXMLDOMNode* node = doc.get();
        node->AddRef();
        return NodeRef::Adopt(node);
    }

    ParseResult Build(std::string_view text) {
        VARIANT_BOOL loaded = VARIANT_FALSE;
        Succeed(Doc()->loadXML(Bstr(text).get(), &loaded), "parse a text");
        if (loaded == VARIANT_TRUE) return {};
        std::string reason = "the XML DOM refused the text";
        Ref<IXMLDOMParseError> error;
        Bstr said;
        if (SUCCEEDED(doc->get_parseError(error.Receive())) && error &&
            SUCCEEDED(error->get_reason(said.Receive())) && !said.Utf8().empty())
            reason += ": " + said.Utf8();
        doc = Ref<IXMLDOMDocument2>();
        return ParseFailure(ParseStatus::kNotWellFormed, reason);
    }
};

Document::Document() : tree_(std::make_unique<Tree>()) {}

Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

ParseResult Document::Check(std::string_view text, const Limits& limits) {
    tree_->doc = Ref<IXMLDOMDocument2>();
    return CheckText(text, limits);
}

namespace {

// The text without its XML declaration, which our check has read: MSXML is given the text as
// UTF-16, and a declaration naming another encoding (GB2312) would have Wine's MSXML decode it
// again from that.
std::string_view WithoutDeclaration(std::string_view text) {
    if (text.substr(0, 5) != "<?xml" || text.size() < 6 ||
        std::string_view(" \t\r\n").find(text[5]) == std::string_view::npos)
        return text;
    const std::size_t end = text.find("?>");
    return end == std::string_view::npos ? text : text.substr(end + 2);
}

}  // namespace

ParseResult Document::Load(std::string_view text, const Limits& limits) {
    if (ParseResult checked = Check(text, limits); !checked) return checked;
    text.remove_prefix(ByteOrderMark(text));
    return tree_->Build(WithoutDeclaration(text));
}

ParseResult Document::LoadInPlace(std::string&& text, const Limits& limits) {
    const std::string held = std::move(text);
    return Load(held, limits);
}

Element Document::Root() const {
    if (!tree_->doc) return Element();
    Ref<IXMLDOMElement> root;
    tree_->doc->get_documentElement(root.Receive());
    if (!root) return Element();
    IXMLDOMNode* node = root.get();
    node->AddRef();
    return Element(NodeRef::Adopt(node));
}

void Document::SetRoot(NewElement root) {
    Ref<IXMLDOMElement> element = AsElement(root.node_.get());
    if (!element || FAILED(tree_->Doc()->putref_documentElement(element.get())))
        base::ThrowFailure("the root element cannot be set");
    root.Release();
}

NewElement Document::CreateElement(std::string_view name) {
    return NewElement(CreateNamedElement(tree_->Doc(), name), namespaces_);
}

Element Document::FirstElementByName(std::string_view name) const {
    // Iterative pre-order walk below the root, by depth: MSXML may hand out a new object for a
    // node each time, so a node is not known again by its reference.
    const Element root = Root();
    NodeRef n = root.node();
    std::size_t depth = 0;
    while (n) {
        if (IsElementNamed(n.get(), name)) return Element(n);
        if (NodeRef child = FirstOf(n.get())) {
            n = std::move(child);
            ++depth;
            continue;
        }
        for (;;) {
            if (depth == 0) return Element();
            if (NodeRef next = NextOf(n.get())) {
                n = std::move(next);
                break;
            }
            n = ParentOf(n.get());
            --depth;
        }
    }
    return Element();
}

std::string Document::Xml() const {
    std::string out;
    if (NodeRef node = tree_->Node()) Writer<MsxmlFace>().WriteDocument(out, node.get());
    return out;
}

std::pair<std::string, std::string> Document::XmlAroundRootContent() const {
    std::pair<std::string, std::string> pieces;
    if (NodeRef node = tree_->Node())
        Writer<MsxmlFace>().WriteDocument(pieces.first, node.get(), &pieces.second);
    return pieces;
}

}  // namespace xml
