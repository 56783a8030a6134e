// The DOM on Windows: the system's MSXML (6.0 where present, else 3.0, which every Windows has),
// the DOM the platform itself works with. The text is checked as on Linux before MSXML sees it
// (so a document type declaration never reaches it), and MSXML is told besides to prohibit one,
// to resolve nothing external and to keep every blank. Names are matched, texts gathered and
// trees written by the code of this file, node by node, so that what a caller reads and the
// bytes of every reply are those of the Linux build.
#include "xml/document.h"

#include "base/fault.h"
#include "base/utf.h"
#include "xml/checked_text.h"
#include "xml/escape.h"
#include "xml/well_formed.h"

// After ours: <windows.h> defines macros that names of ours might meet.
#include <msxml2.h>
#include <windows.h>

#include <optional>
#include <utility>

namespace xml {

// --- References ----------------------------------------------------------------------------

NodeRef::NodeRef(const NodeRef& other) : p_(other.p_) {
    if (p_) p_->AddRef();
}

NodeRef::~NodeRef() {
    if (p_) p_->Release();
}

namespace {

// The identifiers of MSXML's interfaces and classes; mingw's libraries lack some of them.
constexpr GUID kDomDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr GUID kDomDocument30 = {
    0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
constexpr GUID kIXMLDOMDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
constexpr GUID kIXMLDOMElement = {
    0x2933bf86, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// A counted reference to any other MSXML object.
template <class T>
class Ref {
  public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    Ref& operator=(Ref&& other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Ref() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** Receive() {
        *this = Ref();
        return &p_;
    }

  private:
    T* p_ = nullptr;
};

// A BSTR we made or were handed, freed at the end of its scope.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : p_(SysAllocString(text)) {
        if (!p_) base::ThrowOutOfMemory();
    }
    explicit Bstr(std::string_view utf8) {
        const std::u16string wide = base::Utf8ToUtf16(utf8);
        p_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                               static_cast<UINT>(wide.size()));
        if (!p_) base::ThrowOutOfMemory();
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(p_); }
    BSTR get() const { return p_; }
    BSTR* Receive() {
        SysFreeString(p_);
        p_ = nullptr;
        return &p_;
    }
    std::string Utf8() const {
        if (!p_) return "";
        return base::Utf16ToUtf8(
            std::u16string_view(reinterpret_cast<const char16_t*>(p_), SysStringLen(p_)));
    }

  private:
    BSTR p_ = nullptr;
};

// A VARIANT we were handed, cleared at the end of its scope.
struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v); }
    std::string Utf8() const {
        if (v.vt != VT_BSTR || !v.bstrVal) return "";
        return base::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(v.bstrVal),
                                                     SysStringLen(v.bstrVal)));
    }
};

void Succeed(HRESULT hr, const char* what) {
    if (SUCCEEDED(hr)) return;
    if (hr == E_OUTOFMEMORY) base::ThrowOutOfMemory();
    base::ThrowFailure(std::string("the XML DOM could not ") + what);
}

DOMNodeType TypeOf(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    return type;
}

std::string NameOf(IXMLDOMNode* node) {
    Bstr name;
    Succeed(node->get_nodeName(name.Receive()), "read a node's name");
    return name.Utf8();
}

std::string ValueOf(IXMLDOMNode* node) {
    Variant value;
    Succeed(node->get_nodeValue(&value.v), "read a node's value");
    return value.Utf8();
}

// The node one of MSXML's getters hands out (first child, next sibling, ...), or a null one.
NodeRef Step(IXMLDOMNode* node, decltype(&IXMLDOMNode::get_firstChild) getter) {
    IXMLDOMNode* next = nullptr;
    (node->*getter)(&next);
    return NodeRef::Adopt(next);
}
NodeRef FirstOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_firstChild);
}
NodeRef LastOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_lastChild);
}
NodeRef NextOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_nextSibling);
}
NodeRef PreviousOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_previousSibling);
}
NodeRef ParentOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_parentNode);
}

Ref<IXMLDOMElement> AsElement(IXMLDOMNode* node) {
    Ref<IXMLDOMElement> element;
    if (node && TypeOf(node) == NODE_ELEMENT)
        node->QueryInterface(kIXMLDOMElement, reinterpret_cast<void**>(element.Receive()));
    return element;
}

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

void AppendText(std::string& out, IXMLDOMNode* element) {
    for (NodeRef n = FirstOf(element); n; n = NextOf(n.get())) {
        const DOMNodeType type = TypeOf(n.get());
        if (type == NODE_TEXT || type == NODE_CDATA_SECTION)
            out += ValueOf(n.get());
        else if (type == NODE_ELEMENT)
            AppendText(out, n.get());
    }
}

// --- The writer ----------------------------------------------------------------------------

void Attribute(std::string& out, const std::string& name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendEscapedAttribute(out, value);
    out += '"';
}

// The value of the element's default namespace declaration, read from MSXML's own text of the
// element's start tag: Wine's MSXML cannot hand that declaration out as an attribute. MSXML
// writes a value between double quotes with those and '&', '<' and '>' as references.
std::optional<std::string> DefaultNamespace(IXMLDOMNode* element) {
    Ref<IXMLDOMNode> alone;
    Bstr text;
    if (FAILED(element->cloneNode(VARIANT_FALSE, alone.Receive())) || !alone ||
        FAILED(alone->get_xml(text.Receive())))
        return std::nullopt;
    const std::string tag = text.Utf8();
    const std::size_t start = tag.find(" xmlns=\"");
    const std::size_t end = start == std::string::npos ? start : tag.find('"', start + 8);
    if (end == std::string::npos || tag.find('>') < start) return std::nullopt;
    std::string value;
    for (std::size_t i = start + 8; i < end; ++i) {
        static constexpr std::pair<std::string_view, char> kReferences[] = {
            {"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
        bool replaced = false;
        for (auto [reference, c] : kReferences)
            if (std::string_view(tag).substr(i, reference.size()) == reference) {
                value += c;
                i += reference.size() - 1;
                replaced = true;
                break;
            }
        if (!replaced) value += tag[i];
    }
    return value;
}

void Attributes(std::string& out, IXMLDOMNode* element) {
    Ref<IXMLDOMNamedNodeMap> attributes;
    Succeed(element->get_attributes(attributes.Receive()), "read attributes");
    long count = 0;
    if (attributes) attributes->get_length(&count);
    for (bool declarations : {true, false})
        for (long i = 0; i < count; ++i) {
            IXMLDOMNode* item = nullptr;
            const HRESULT hr = attributes->get_item(i, &item);
            NodeRef attribute = NodeRef::Adopt(item);
            if (FAILED(hr) || !attribute) {
                if (hr == E_OUTOFMEMORY && !DefaultNamespace(element)) base::ThrowOutOfMemory();
                if (declarations)
                    if (std::optional<std::string> uri = DefaultNamespace(element))
                        Attribute(out, "xmlns", *uri);
                continue;
            }
            const std::string name = NameOf(attribute.get());
            if (IsNamespaceDeclaration(name) == declarations)
                Attribute(out, name, ValueOf(attribute.get()));
        }
}

void StartTag(std::string& out, IXMLDOMNode* element, const std::string& name) {
    out += '<';
    out += name;
    Attributes(out, element);
}

void WriteNode(std::string& out, IXMLDOMNode* node) {
    switch (TypeOf(node)) {
        case NODE_ELEMENT: {
            const std::string name = NameOf(node);
            StartTag(out, node, name);
            NodeRef child = FirstOf(node);
            if (!child) {
                out += "/>";
                return;
            }
            out += '>';
            for (; child; child = NextOf(child.get())) WriteNode(out, child.get());
            out += "</";
            out += name;
            out += '>';
            return;
        }
        case NODE_TEXT:
            AppendEscapedText(out, ValueOf(node));
            return;
        case NODE_CDATA_SECTION:
            out += "<![CDATA[";
            out += ValueOf(node);
            out += "]]>";
            return;
        case NODE_COMMENT:
            out += "<!--";
            out += ValueOf(node);
            out += "-->";
            return;
        case NODE_PROCESSING_INSTRUCTION: {
            out += "<?";
            out += NameOf(node);
            const std::string data = ValueOf(node);
            if (!data.empty()) {
                out += ' ';
                AppendLineFeeds(out, data);
            }
            out += "?>";
            return;
        }
        default:
            return;
    }
}

// The XML declaration, which MSXML keeps as a node and the tree of the Linux build does not.
bool IsDeclaration(IXMLDOMNode* node) {
    return TypeOf(node) == NODE_PROCESSING_INSTRUCTION && NameOf(node) == "xml";
}

// As the Linux writer: the top-level nodes each on a line of their own; with `tail`, the root's
// end tag and what follows it go there, its children left out.
void WriteDocument(std::string& out, IXMLDOMNode* document, std::string* tail) {
    std::string* to = &out;
    bool first = true;
    for (NodeRef child = FirstOf(document); child; child = NextOf(child.get())) {
        const DOMNodeType type = TypeOf(child.get());
        if (type == NODE_TEXT || IsDeclaration(child.get())) continue;
        if (!first) *to += '\n';
        first = false;
        if (tail && to == &out && type == NODE_ELEMENT) {
            const std::string name = NameOf(child.get());
            StartTag(out, child.get(), name);
            out += '>';
            to = tail;
            *to += "</";
            *to += name;
            *to += '>';
        } else {
            WriteNode(*to, child.get());
        }
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
    if (node_) WriteNode(out, node_.get());
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
    if (!IsXmlName(name))
        base::ThrowFailure("'" + std::string(name) + "' is not a valid element name");
    Ref<IXMLDOMDocument> owner;
    Succeed(node_->get_ownerDocument(owner.Receive()), "find a node's document");
    IXMLDOMElement* created = nullptr;
    Succeed(owner->createElement(Bstr(name).get(), &created), "create an element");
    NodeRef child = NodeRef::Adopt(created);
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
    if (!IsXmlName(name))
        base::ThrowFailure("'" + std::string(name) + "' is not a valid element name");
    IXMLDOMElement* element = nullptr;
    Succeed(tree_->Doc()->createElement(Bstr(name).get(), &element), "create an element");
    return NewElement(NodeRef::Adopt(element), namespaces_);
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
    if (NodeRef node = tree_->Node()) WriteDocument(out, node.get(), nullptr);
    return out;
}

std::pair<std::string, std::string> Document::XmlAroundRootContent() const {
    std::pair<std::string, std::string> pieces;
    if (NodeRef node = tree_->Node()) WriteDocument(pieces.first, node.get(), &pieces.second);
    return pieces;
}

}  // namespace xml
