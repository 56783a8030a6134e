#include "xml/document.h"

#include <cstring>
#include <limits>
#include <pugixml.hpp>

#include "base/fault.h"
#include "xml/well_formed.h"
#include "xml/writer.h"

namespace xml {

namespace {

// The tree keeps everything the text holds (blanks between elements, comments, processing
// instructions, CDATA sections), so that a request written out again reads as it came. The text
// is checked to be well-formed before (CheckWellFormed): the builder's leniency never shows.
// An element's first text is kept in the element itself (its value), not in a node of its own:
// most of a request's elements hold one value, and a node for each would double the tree.
constexpr unsigned kParseOptions =
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_wconv_attribute | pugi::parse_eol |
    pugi::parse_comments | pugi::parse_pi | pugi::parse_ws_pcdata | pugi::parse_embed_pcdata;

pugi::xml_node Node(pugi::xml_node_struct* node) {
    return pugi::xml_node(node);
}

// Whether a default namespace other than none is in force at `element`: the nearest xmlns
// declaration among the element and its ancestors decides.
bool InDefaultNamespace(pugi::xml_node element) {
    for (pugi::xml_node n = element; n.type() == pugi::node_element; n = n.parent())
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
            if (a.name()[0] == 'x' && std::strcmp(a.name(), "xmlns") == 0) return *a.value();
    return false;
}

// Elements are found by their exact name, as XPath finds them: an element in a namespace (with a
// prefix, or under a default namespace) does not answer to the plain name. `namespaces`: whether
// the document may declare one.
bool IsElementNamed(pugi::xml_node n, std::string_view name, bool namespaces) {
    if (n.type() != pugi::node_element) return false;
    const char* held = n.name();
    for (char c : name)
        if (*held == '\0' || *held++ != c) return false;  // a name holding NUL matches nothing
    return *held == '\0' && name.find(':') == std::string_view::npos &&
           !(namespaces && InDefaultNamespace(n));
}

// The attribute of that qualified name, as the platform's DOM finds it; namespace declarations
// are no attributes.
pugi::xml_attribute FindAttribute(pugi::xml_node element, std::string_view name) {
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
        if (std::string_view(a.name()) == name && !IsNamespaceDeclaration(a.name())) return a;
    return pugi::xml_attribute();
}

void AppendText(std::string& out, pugi::xml_node element) {
    out += element.value();  // its first text, when kept in the element
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            out += child.value();
        else if (child.type() == pugi::node_element)
            AppendText(out, child);
    }
}

// Whether the text holds nothing but prolog: blanks, a declaration, comments, processing
// instructions.
bool OnlyProlog(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (text.substr(i, 2) == "<?" || text.substr(i, 4) == "<!--") {
            const std::string_view close = text[i + 1] == '?' ? "?>" : "-->";
            const std::size_t end = text.find(close, i + 2);
            if (end == std::string_view::npos) return false;
            i = end + close.size();
        } else {
            return false;
        }
    }
    return true;
}

ParseResult Failure(ParseStatus status, std::string reason, int line = 0) {
    return {status, std::move(reason), line};
}

}  // namespace

bool IsName(std::string_view name) {
    return IsXmlName(name);
}

// --- Element -------------------------------------------------------------------------------

std::string Element::Name() const {
    return node_ ? Node(node_).name() : "";
}

bool Element::IsNamed(std::string_view name) const {
    return node_ && IsElementNamed(Node(node_), name, namespaces_);
}

std::string Element::GetAttribute(std::string_view name) const {
    return std::string(AttributeView(name));
}

std::string_view Element::AttributeView(std::string_view name) const {
    if (!node_) return {};
    pugi::xml_attribute attribute = FindAttribute(Node(node_), name);
    return attribute ? std::string_view(attribute.value()) : std::string_view();
}

bool Element::HasAttribute(std::string_view name) const {
    return node_ && FindAttribute(Node(node_), name);
}

void Element::SetAttribute(std::string_view name, std::string_view value) {
    if (!node_) return;
    const std::string n(name);
    pugi::xml_node element = Node(node_);
    pugi::xml_attribute attribute = element.attribute(n.c_str());
    if (!attribute) attribute = element.append_attribute(n.c_str());
    if (!attribute || !attribute.set_value(value.data(), value.size())) base::ThrowOutOfMemory();
}

std::string Element::Text() const {
    if (!node_) return "";
    const pugi::xml_node element = Node(node_);
    const pugi::xml_node child = element.first_child();
    // Most values are the one text of their element: read without building.
    if (!child) return element.value();
    if (!*element.value() && !child.next_sibling() &&
        (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata))
        return child.value();
    std::string text;
    AppendText(text, Node(node_));
    return text;
}

std::string Element::Xml() const {
    std::string out;
    AppendXml(out);
    return out;
}

void Element::AppendXml(std::string& out) const {
    if (node_) WriteNode(out, Node(node_));
}

void Element::SetText(std::string_view text) {
    if (!node_) return;
    pugi::xml_node element = Node(node_);
    element.remove_children();
    if (*element.value()) element.text().set("");  // a first text kept in the element (frees it)
    if (text.empty()) return;
    pugi::xml_node child = element.append_child(pugi::node_pcdata);
    if (!child || !child.set_value(text.data(), text.size())) base::ThrowOutOfMemory();
}

void Element::AppendChild(NewElement child) {
    if (!node_) return;
    pugi::xml_node moved = Node(child.node_);
    if (!Node(node_).append_move(moved)) base::ThrowFailure("an element cannot be appended here");
    child.Release();
}

Element Element::FirstChild(std::string_view name) const {
    if (!node_) return Element();
    for (pugi::xml_node n = Node(node_).first_child(); n; n = n.next_sibling())
        if (IsElementNamed(n, name, namespaces_)) return Handle(n.internal_object());
    return Element();
}

Element Element::LastChild(std::string_view name) const {
    if (!node_) return Element();
    for (pugi::xml_node n = Node(node_).last_child(); n; n = n.previous_sibling())
        if (IsElementNamed(n, name, namespaces_)) return Handle(n.internal_object());
    return Element();
}

NodeList Element::Children(std::string_view name) const {
    std::vector<Element> items;
    if (node_)
        for (pugi::xml_node n = Node(node_).first_child(); n; n = n.next_sibling())
            if (IsElementNamed(n, name, namespaces_)) items.push_back(Handle(n.internal_object()));
    return NodeList(std::move(items));
}

NodeList Element::Select(std::string_view xpath) const {
    if (!node_) return NodeList();
    pugi::xpath_node_set selected;
    try {
        selected = Node(node_).select_nodes(std::string(xpath).c_str());
    } catch (const pugi::xpath_exception&) {
        base::ThrowFailure("Invalid XPath expression: " + std::string(xpath));
    } catch (const std::bad_alloc&) {
        base::ThrowOutOfMemory();
    }
    selected.sort();
    std::vector<Element> items;
    for (const pugi::xpath_node& n : selected)
        if (n.node().type() == pugi::node_element) items.emplace_back(n.node().internal_object());
    return NodeList(std::move(items));
}

// --- NewElement ----------------------------------------------------------------------------

NewElement::NewElement(NewElement&& other) noexcept : node_(other.node_), handle_(other.handle_) {
    other.Release();
}

NewElement::~NewElement() {
    if (!node_) return;
    pugi::xml_node node = Node(node_);
    node.parent().remove_child(node);
}

pugi::xml_node_struct* NewElement::Release() {
    pugi::xml_node_struct* n = node_;
    node_ = nullptr;
    handle_ = Element();
    return n;
}

// --- Document ------------------------------------------------------------------------------

Document::Document() : doc_(std::make_unique<pugi::xml_document>()) {}

Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

ParseResult Document::Check(std::string_view text, const Limits& limits) {
    doc_->reset();
    text_.reset();
    nursery_ = nullptr;
    namespaces_ = text.find("xmlns") != std::string_view::npos;
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return Failure(ParseStatus::kOverLimit,
                       "The request exceeds a limit: it is larger than 2 GiB");
    if (text.find('\0') != std::string_view::npos)
        return Failure(ParseStatus::kNotWellFormed, "the text holds a NUL character");
    if (std::optional<std::string> broken = BrokenLimit(text, limits))
        return Failure(ParseStatus::kOverLimit, *broken);
    const FormednessResult formed = CheckWellFormed(text, limits.maxDepth);
    switch (formed.status) {
        case Formedness::kWellFormed:
            return {};
        case Formedness::kNoRootElement:
        case Formedness::kNotWellFormed:
            // Prolog alone, however malformed, is a document without its root element.
            return Failure(
                OnlyProlog(text) ? ParseStatus::kNoRootElement : ParseStatus::kNotWellFormed,
                formed.reason, formed.line);
        case Formedness::kDoctype:
            break;
    }
    return Failure(ParseStatus::kNotWellFormed, formed.reason, formed.line);
}

ParseResult Document::Built(const pugi::xml_parse_result& parsed) {
    if (parsed) return {};
    doc_->reset();
    text_.reset();
    if (parsed.status == pugi::status_out_of_memory) base::ThrowOutOfMemory();
    return Failure(ParseStatus::kNotWellFormed, parsed.description());
}

namespace {

std::size_t ByteOrderMark(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

}  // namespace

ParseResult Document::Load(std::string_view text, const Limits& limits) {
    if (ParseResult checked = Check(text, limits); !checked) return checked;
    text.remove_prefix(ByteOrderMark(text));
    return Built(doc_->load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8));
}

ParseResult Document::LoadInPlace(std::string&& text, const Limits& limits) {
    if (ParseResult checked = Check(text, limits); !checked) return checked;
    text_ = std::make_unique<std::string>(std::move(text));
    const std::size_t mark = ByteOrderMark(*text_);
    return Built(doc_->load_buffer_inplace(text_->data() + mark, text_->size() - mark,
                                           kParseOptions, pugi::encoding_utf8));
}

Element Document::Root() const {
    for (pugi::xml_node n = doc_->first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element && n.internal_object() != nursery_)
            return Element(n.internal_object(), namespaces_);
    return Element();
}

void Document::SetRoot(NewElement root) {
    if (Element old = Root()) doc_->remove_child(Node(old.node()));
    pugi::xml_node moved = Node(root.node_);
    if (!doc_->prepend_move(moved)) base::ThrowFailure("the root element cannot be set");
    root.Release();
}

pugi::xml_node_struct* Document::Nursery() {
    if (!nursery_) {
        pugi::xml_node nursery = doc_->append_child(pugi::node_element);
        if (!nursery) base::ThrowOutOfMemory();
        nursery_ = nursery.internal_object();
    }
    return nursery_;
}

NewElement Document::CreateElement(std::string_view name) {
    if (!IsXmlName(name))
        base::ThrowFailure("'" + std::string(name) + "' is not a valid element name");
    pugi::xml_node nursery = Node(Nursery());
    pugi::xml_node node = nursery.append_child(pugi::node_element);
    if (!node) base::ThrowOutOfMemory();
    if (!node.set_name(std::string(name).c_str())) {
        nursery.remove_child(node);
        base::ThrowOutOfMemory();
    }
    return NewElement(node.internal_object(), namespaces_);
}

Element Document::FirstElementByName(std::string_view name) const {
    // Iterative pre-order walk: document order without recursion.
    pugi::xml_node root = Node(Root().node());
    pugi::xml_node n = root;
    while (n) {
        if (IsElementNamed(n, name, namespaces_)) return Element(n.internal_object(), namespaces_);
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && n != root && !n.next_sibling()) n = n.parent();
        n = n && n != root ? n.next_sibling() : pugi::xml_node();
    }
    return Element();
}

std::string Document::Xml() const {
    std::string out;
    WriteDocument(out, *doc_, Node(nursery_));
    return out;
}

std::pair<std::string, std::string> Document::XmlAroundRootContent() const {
    std::pair<std::string, std::string> pieces;
    WriteDocument(pieces.first, *doc_, Node(nursery_), &pieces.second);
    return pieces;
}

}  // namespace xml
