// A DOM with RAII: over pugixml on Linux, over MSXML (the platform's DOM) on Windows
// (xml/node_ref.h), the same to its callers.
//
// The Document owns the tree. Element is a cheap non-owning handle, valid while its document
// lives and the node stays in it; a null Element is safe to call and reads as empty. A new
// element is a NewElement that owns its node until it is appended somewhere.
//
// Elements are looked up by name (FirstChild, Children, FirstElementByName) as XPath looks up an
// unprefixed name: only elements in no namespace answer to it.
//
// Parsing is safe on hostile input and costs time linear in its size: the text is checked against
// every rule of XML 1.0 before the tree is built (xml/checked_text.h), a document type
// declaration is refused (so no entity but the five predefined ones exists), and names,
// attributes per element and nesting are bounded (xml/limits.h). Serialization writes no XML
// declaration, and the same bytes from either DOM (xml/escape.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/limits.h"
#include "xml/node_ref.h"

namespace xml {

class NodeList;
class NewElement;

// True when `name` is a valid XML element name.
bool IsName(std::string_view name);

class Element {
  public:
    Element() = default;
    // `namespaces`: whether the element's document may declare a namespace (when it does not,
    // no lookup by name needs to look for one).
    explicit Element(NodeRef node, bool namespaces = true)
        : node_(std::move(node)), namespaces_(namespaces) {}

    explicit operator bool() const { return static_cast<bool>(node_); }
    const NodeRef& node() const { return node_; }
    std::string Name() const;
    // Whether the element is named `name`, in no namespace (as a plain name in a path selects).
    bool IsNamed(std::string_view name) const;

    // The attribute's value, "" when absent.
    std::string GetAttribute(std::string_view name) const;
    bool HasAttribute(std::string_view name) const;
    void SetAttribute(std::string_view name, std::string_view value);

    // The concatenated text of all descendants.
    std::string Text() const;
    // The element itself as XML text (its markup and everything below it).
    std::string Xml() const;
    // The same, appended to `out`.
    void AppendXml(std::string& out) const;
    // Replaces every child with one text node (none when `text` is empty).
    void SetText(std::string_view text);

    void AppendChild(NewElement child);
    // Appends a new empty element of that name and returns it (a fault for an invalid name).
    Element AppendElement(std::string_view name);
    // The first child element of that name; a null Element when there is none.
    Element FirstChild(std::string_view name) const;
    // The last child element of that name, found from the end; a null Element when there is none.
    Element LastChild(std::string_view name) const;
    NodeList Children(std::string_view name) const;
    // Elements selected by an XPath expression relative to this element; a fault when the
    // expression is not valid XPath.
    NodeList Select(std::string_view xpath) const;

    friend bool operator==(const Element& a, const Element& b) { return a.node_ == b.node_; }

  private:
    Element Handle(NodeRef node) const { return Element(std::move(node), namespaces_); }

    NodeRef node_ = nullptr;
    bool namespaces_ = true;
};

// An element created in a document but not yet in its tree; frees its node unless appended.
class NewElement {
  public:
    NewElement(NewElement&& other) noexcept;
    NewElement& operator=(NewElement&&) = delete;
    ~NewElement();
    Element get() const { return handle_; }
    Element* operator->() { return &handle_; }

  private:
    friend class Document;
    friend class Element;
    NewElement(NodeRef node, bool namespaces) : node_(node), handle_(node, namespaces) {}
    NodeRef Release();
    NodeRef node_;
    Element handle_;
};

class NodeList {
  public:
    NodeList() = default;
    explicit NodeList(std::vector<Element> items) : items_(std::move(items)) {}
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    Element operator[](std::size_t i) const { return i < items_.size() ? items_[i] : Element(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<Element> items_;
};

enum class ParseStatus { kOk, kNotWellFormed, kNoRootElement, kOverLimit };

struct [[nodiscard]] ParseResult {
    ParseStatus status = ParseStatus::kOk;
    std::string reason;  // what is wrong, for a failure
    int line = 0;
    explicit operator bool() const { return status == ParseStatus::kOk; }
};

class Document {
  public:
    // An empty document (no root element).
    Document();
    ~Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;

    // Replaces the content with the parsed text; on failure the document is left empty.
    ParseResult Load(std::string_view text, const Limits& limits = Limits{});
    // The same, keeping the text: the tree's strings stay where they are in it, uncopied.
    ParseResult LoadInPlace(std::string&& text, const Limits& limits = Limits{});

    Element Root() const;
    // Makes `root` the document element, replacing any earlier one.
    void SetRoot(NewElement root);
    NewElement CreateElement(std::string_view name);
    // The first element of that name anywhere in the document, in document order.
    Element FirstElementByName(std::string_view name) const;
    // The document as text, without an XML declaration.
    std::string Xml() const;
    // The document as text in two pieces, around the root element's content: up to the end of
    // its start tag, and from its end tag on. The root's children are left out: its content is
    // what a caller writes between the two.
    std::pair<std::string, std::string> XmlAroundRootContent() const;

  private:
    // The DOM's own document, with what it needs besides (xml/pugi/document.cpp,
    // xml/msxml/document.cpp); at an address of its own, so that a move of the document leaves
    // the tree where it is.
    struct Tree;

    // Whether `text` may be built into a tree: a failure (and the document left empty) when not.
    ParseResult Check(std::string_view text, const Limits& limits);

    std::unique_ptr<Tree> tree_;
    bool namespaces_ = false;  // whether the parsed text declares any namespace
};

}  // namespace xml
