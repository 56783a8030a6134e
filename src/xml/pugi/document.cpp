#include "xml/document.h"

#include <cstring>
#include <pugixml.hpp>

#include "base/fault.h"
#include "xml/checked_text.h"
#include "xml/escape.h"
#include "xml/pugi/writer.h"
#include "xml/well_formed.h"

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

// A new element of that name as the last child of `parent`; a fault for an invalid name.
pugi::xml_node AppendNamedElement(pugi::xml_node parent, std::string_view name) {
    if (!IsXmlName(name))
        base::ThrowFailure("'" + std::string(name) + "' is not a valid element name");
    pugi::xml_node child = parent.append_child(pugi::node_element);
    if (!child) base::ThrowOutOfMemory();
    if (!child.set_name(std::string(name).c_str())) {
        parent.remove_child(child);
        base::ThrowOutOfMemory();
    }
    return child;
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

}  // namespace

// --- Element -------------------------------------------------------------------------------

std::string Element::Name() const {
    return node_ ? Node(node_).name() : "";
}

bool Element::IsNamed(std::string_view name) const {
    return node_ && IsElementNamed(Node(node_), name, namespaces_);
}

std::string Element::GetAttribute(std::string_view name) const {
    if (!node_) return {};
    pugi::xml_attribute attribute = FindAttribute(Node(node_), name);
    return attribute ? std::string(attribute.value()) : std::string();
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

void Element::AppendXml(std::string& out) const {
    if (node_) Writer<PugiFace>().WriteNode(out, Node(node_));
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

Element Element::AppendElement(std::string_view name) {
    if (!node_) return Element();
    return Handle(AppendNamedElement(Node(node_), name).internal_object());
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

NodeRef NewElement::Release() {
    pugi::xml_node_struct* n = node_;
    node_ = nullptr;
    handle_ = Element();
    return n;
}

// --- Document ------------------------------------------------------------------------------

struct Document::Tree {
    // The text a tree was built in place of; declared first, to outlive the tree.
    std::unique_ptr<std::string> text;
    pugi::xml_document doc;
    // Where created elements wait until they are appended: an unnamed element after the root,
    // which no lookup and no serialization sees.
    pugi::xml_node_struct* nursery = nullptr;

    pugi::xml_node_struct* Nursery() {
        if (!nursery) {
            pugi::xml_node node = doc.append_child(pugi::node_element);
            if (!node) base::ThrowOutOfMemory();
            nursery = node.internal_object();
        }
        return nursery;
    }

    void Reset() {
        doc.reset();
        text.reset();
        nursery = nullptr;
    }

    ParseResult Built(const pugi::xml_parse_result& parsed) {
        if (parsed) return {};
        Reset();
        if (parsed.status == pugi::status_out_of_memory) base::ThrowOutOfMemory();
        return ParseFailure(ParseStatus::kNotWellFormed, parsed.description());
    }
};

Document::Document() : tree_(std::make_unique<Tree>()) {}

Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

ParseResult Document::Check(std::string_view text, const Limits& limits) {
    tree_->Reset();
    namespaces_ = text.find("xmlns") != std::string_view::npos;
    return CheckText(text, limits);
}

ParseResult Document::Load(std::string_view text, const Limits& limits) {
    if (ParseResult checked = Check(text, limits); !checked) return checked;
    text.remove_prefix(ByteOrderMark(text));
    return tree_->Built(
        tree_->doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8));
}

ParseResult Document::LoadInPlace(std::string&& text, const Limits& limits) {
    if (ParseResult checked = Check(text, limits); !checked) return checked;
    tree_->text = std::make_unique<std::string>(std::move(text));
    std::string& held = *tree_->text;
    const std::size_t mark = ByteOrderMark(held);
    return tree_->Built(tree_->doc.load_buffer_inplace(held.data() + mark, held.size() - mark,
                                                       kParseOptions, pugi::encoding_utf8));
}

Element Document::Root() const {
    for (pugi::xml_node n = tree_->doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element && n.internal_object() != tree_->nursery)
            return Element(n.internal_object(), namespaces_);
    return Element();
}

void Document::SetRoot(NewElement root) {
    if (Element old = Root()) tree_->doc.remove_child(Node(old.node()));
    pugi::xml_node moved = Node(root.node_);
    if (!tree_->doc.prepend_move(moved)) base::ThrowFailure("the root element cannot be set");
    root.Release();
}

NewElement Document::CreateElement(std::string_view name) {
    return NewElement(AppendNamedElement(Node(tree_->Nursery()), name).internal_object(),
                      namespaces_);
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
    Writer<PugiFace>({Node(tree_->nursery)}).WriteDocument(out, tree_->doc);
    return out;
}

std::pair<std::string, std::string> Document::XmlAroundRootContent() const {
    std::pair<std::string, std::string> pieces;
    Writer<PugiFace>({Node(tree_->nursery)})
        .WriteDocument(pieces.first, tree_->doc, &pieces.second);
    return pieces;
}

}  // namespace xml
