#include "xml/document.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <cstring>
#include <limits>
#include <mutex>

#include "base/fault.h"

namespace xml {

namespace {

// COMPACT keeps short texts inside their nodes: fewer allocations for a request's many values.
// NOENT writes character references into the text as it is parsed; with document type
// declarations refused (RefuseDoctype) no other entity than the five predefined ones can exist.
// The text is UTF-8 whatever its declaration says (it was converted from the caller's Unicode
// text, as MSXML's loadXML takes it): no encoder is switched in, which would copy the input
// through buffers that libxml2 2.9 does not survive failing to grow.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                              XML_PARSE_COMPACT | XML_PARSE_NOENT | XML_PARSE_IGNORE_ENC;

void Initialise() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

const xmlChar* X(const std::string& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

std::string Str(const xmlChar* s) {
    return s ? reinterpret_cast<const char*>(s) : "";
}

// True when the NUL-terminated `held` is `name`: compared in place, without measuring `held` first.
bool HasName(const xmlChar* held, std::string_view name) {
    const char* text = reinterpret_cast<const char*>(held);
    for (char c : name)
        if (*text == '\0' || *text++ != c) return false;  // a name holding NUL matches nothing
    return *text == '\0';
}

// Elements are found by their exact name, as XPath finds them: an element in a namespace (with a
// prefix, or under a default namespace) does not answer to the plain name.
bool IsElementNamed(xmlNodePtr n, std::string_view name) {
    return n->type == XML_ELEMENT_NODE && !n->ns && HasName(n->name, name);
}

void IgnoreError(void*, xmlErrorPtr) {}

bool OnlyProlog(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (text.substr(i, 2) == "<?") {
            std::size_t end = text.find("?>", i + 2);
            if (end == std::string_view::npos) return false;
            i = end + 2;
        } else if (text.substr(i, 4) == "<!--") {
            std::size_t end = text.find("-->", i + 4);
            if (end == std::string_view::npos) return false;
            i = end + 3;
        } else {
            return false;
        }
    }
    return true;
}

// Called by the parser where a document type declaration begins, before its internal subset (and
// any entity declared there) is read: such a document is refused.
void RefuseDoctype(void* parserContext, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* context = static_cast<xmlParserCtxtPtr>(parserContext);
    *static_cast<bool*>(context->_private) = true;
    xmlStopParser(context);
}

// Notes memory running out anywhere in libxml2 on this thread while it lives. libxml2 reports it
// to a parser's handler when it knows the parser, and to the thread's structured handler when it
// does not (a string copy deep in the parser, an output buffer that cannot grow), and often goes
// on: a parse may hand back part of the tree, a save part of the text, both looking whole.
class MemoryWatch {
  public:
    MemoryWatch() : outer_(current_) {
        current_ = this;
        xmlSetStructuredErrorFunc(nullptr, Note);
    }
    ~MemoryWatch() {
        current_ = outer_;
        xmlSetStructuredErrorFunc(nullptr, outer_ ? Note : nullptr);
    }
    MemoryWatch(const MemoryWatch&) = delete;
    MemoryWatch& operator=(const MemoryWatch&) = delete;
    bool ranOut() const { return ranOut_; }
    static void Note(void*, xmlErrorPtr error) {
        if (current_ && error && error->code == XML_ERR_NO_MEMORY) current_->ranOut_ = true;
    }

  private:
    static thread_local MemoryWatch* current_;
    MemoryWatch* outer_;
    bool ranOut_ = false;
};
thread_local MemoryWatch* MemoryWatch::current_ = nullptr;

// Owns an xmlChar* that libxml2 allocated.
struct XmlString {
    xmlChar* p;
    ~XmlString() { xmlFree(p); }
};

}  // namespace

bool IsName(std::string_view name) {
    return !name.empty() && name.find('\0') == std::string_view::npos &&
           xmlValidateName(X(std::string(name)), 0) == 0;
}

// --- Element -------------------------------------------------------------------------------

std::string Element::Name() const {
    return node_ ? Str(node_->name) : "";
}

bool Element::IsNamed(std::string_view name) const {
    return node_ && IsElementNamed(node_, name);
}

namespace {

// The text of a node list, read in place when it is one text node (most values are).
std::string ListText(const xmlNode* list, xmlDocPtr doc) {
    if (!list) return "";
    if (!list->next && (list->type == XML_TEXT_NODE || list->type == XML_CDATA_SECTION_NODE))
        return Str(list->content);
    XmlString text{xmlNodeListGetString(doc, const_cast<xmlNode*>(list), 1)};
    if (!text.p) base::ThrowOutOfMemory();  // a list of nodes has a text, if an empty one
    return Str(text.p);
}

// The attribute node of that name (in no namespace, or any when none matches), as xmlGetProp
// finds it, without copying the name.
xmlAttrPtr FindAttribute(xmlNodePtr node, std::string_view name) {
    for (xmlAttrPtr a = node->properties; a; a = a->next)
        if (HasName(a->name, name)) return a;
    return nullptr;
}

}  // namespace

std::string Element::GetAttribute(std::string_view name) const {
    if (!node_ || node_->type != XML_ELEMENT_NODE) return "";
    xmlAttrPtr attribute = FindAttribute(node_, name);
    return attribute ? ListText(attribute->children, node_->doc) : "";
}

std::string_view Element::AttributeView(std::string_view name) const {
    if (!node_ || node_->type != XML_ELEMENT_NODE) return {};
    xmlAttrPtr attribute = FindAttribute(node_, name);
    if (!attribute || !attribute->children) return {};
    // Parsed and set attributes hold their value as one text node. One held in pieces is joined
    // into one first, so that its value has a place to be viewed in.
    if (attribute->children->next || attribute->children->type != XML_TEXT_NODE) {
        XmlString joined{xmlNodeListGetString(node_->doc, attribute->children, 1)};
        xmlNodePtr text = xmlNewDocText(node_->doc, joined.p ? joined.p : BAD_CAST "");
        if (!text) base::ThrowOutOfMemory();
        xmlFreeNodeList(attribute->children);
        attribute->children = attribute->last = nullptr;
        xmlAddChild(reinterpret_cast<xmlNodePtr>(attribute), text);
    }
    const xmlChar* content = attribute->children->content;
    return content ? std::string_view(reinterpret_cast<const char*>(content)) : std::string_view();
}

bool Element::HasAttribute(std::string_view name) const {
    return node_ && xmlHasProp(node_, X(std::string(name))) != nullptr;
}

void Element::SetAttribute(std::string_view name, std::string_view value) {
    if (!node_) return;
    // libxml2 may make the attribute and lose its value's text, or the text's content, when
    // memory runs out.
    xmlAttrPtr attribute = xmlSetProp(node_, X(std::string(name)), X(std::string(value)));
    if (!attribute || (!value.empty() && (!attribute->children || !attribute->children->content)))
        base::ThrowOutOfMemory();
}

std::string Element::Text() const {
    if (!node_) return "";
    const xmlNode* child = node_->children;
    if (!child) return "";
    if (!child->next && (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE))
        return Str(child->content);
    XmlString text{xmlNodeGetContent(node_)};
    if (!text.p) base::ThrowOutOfMemory();  // an element with children has a content
    return Str(text.p);
}

std::string Element::Xml() const {
    if (!node_) return "";
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
    MemoryWatch watch;
    if (!buffer || xmlNodeDump(buffer.get(), node_->doc, node_, 0, 0) < 0 || watch.ranOut())
        base::ThrowOutOfMemory();
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

void Element::SetText(std::string_view text) {
    if (!node_) return;
    while (xmlNodePtr child = node_->children) {
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
    if (text.empty()) return;
    xmlNodePtr child = xmlNewDocTextLen(node_->doc, reinterpret_cast<const xmlChar*>(text.data()),
                                        static_cast<int>(text.size()));
    if (!child || !child->content) {
        xmlFreeNode(child);
        base::ThrowOutOfMemory();
    }
    xmlAddChild(node_, child);
}

void Element::AppendChild(NewElement child) {
    if (!node_) return;
    xmlAddChild(node_, child.Release());
}

Element Element::FirstChild(std::string_view name) const {
    if (!node_) return Element();
    for (xmlNodePtr n = node_->children; n; n = n->next)
        if (IsElementNamed(n, name)) return Element(n);
    return Element();
}

Element Element::LastChild(std::string_view name) const {
    if (!node_) return Element();
    for (xmlNodePtr n = node_->last; n; n = n->prev)
        if (IsElementNamed(n, name)) return Element(n);
    return Element();
}

NodeList Element::Children(std::string_view name) const {
    std::vector<Element> items;
    if (node_)
        for (xmlNodePtr n = node_->children; n; n = n->next)
            if (IsElementNamed(n, name)) items.emplace_back(n);
    return NodeList(std::move(items));
}

NodeList Element::Select(std::string_view xpath) const {
    if (!node_) return NodeList();
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(
        xmlXPathNewContext(node_->doc), xmlXPathFreeContext);
    if (!context) base::ThrowOutOfMemory();
    context->node = node_;
    xmlSetStructuredErrorFunc(nullptr, IgnoreError);
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
        xmlXPathEvalExpression(X(std::string(xpath)), context.get()), xmlXPathFreeObject);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!result || result->type != XPATH_NODESET)
        base::ThrowFailure("Invalid XPath expression: " + std::string(xpath));
    std::vector<Element> items;
    if (xmlNodeSetPtr set = result->nodesetval)
        for (int i = 0; i < set->nodeNr; ++i)
            if (set->nodeTab[i]->type == XML_ELEMENT_NODE) items.emplace_back(set->nodeTab[i]);
    return NodeList(std::move(items));
}

// --- NewElement ----------------------------------------------------------------------------

NewElement::NewElement(NewElement&& other) noexcept : node_(other.node_), handle_(other.handle_) {
    other.Release();
}

NewElement::~NewElement() {
    if (node_) xmlFreeNode(node_);
}

_xmlNode* NewElement::Release() {
    _xmlNode* n = node_;
    node_ = nullptr;
    handle_ = Element();
    return n;
}

// --- Document ------------------------------------------------------------------------------

void Document::Free::operator()(_xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

Document::Document() {
    Initialise();
    doc_.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    if (!doc_) base::ThrowOutOfMemory();
}

Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

ParseResult Document::Load(std::string_view text, const Limits& limits) {
    Initialise();
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {ParseStatus::kOverLimit, "The request exceeds a limit: it is larger than 2 GiB", 0};
    // libxml2 would take a NUL character for the end of the text and parse less than it was given.
    if (text.find('\0') != std::string_view::npos) {
        doc_.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
        return {ParseStatus::kNotWellFormed, "the text holds a NUL character", 0};
    }
    if (std::optional<std::string> broken = BrokenLimit(text, limits)) {
        doc_.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
        return {ParseStatus::kOverLimit, *broken, 0};
    }
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(),
                                                                         xmlFreeParserCtxt);
    if (!context) base::ThrowOutOfMemory();
    bool doctype = false;
    context->_private = &doctype;
    context->sax->internalSubset = RefuseDoctype;
    context->sax->serror = MemoryWatch::Note;
    MemoryWatch watch;
    xmlDocPtr parsed = xmlCtxtReadMemory(context.get(), text.data(), static_cast<int>(text.size()),
                                         nullptr, nullptr, kParseOptions);
    ParseResult result;
    // libxml2 stops where memory ran out and may hand back the tree built so far, well-formed
    // as far as it goes: a request with records missing, never to be taken for the request.
    if (watch.ranOut() || context->errNo == XML_ERR_NO_MEMORY) {
        if (parsed) xmlFreeDoc(parsed);
        base::ThrowOutOfMemory();
    }
    if (parsed && context->wellFormed && !doctype) {
        doc_.reset(parsed);
        return result;
    }
    if (parsed) xmlFreeDoc(parsed);
    doc_.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    const xmlError& error = context->lastError;
    result.reason = doctype         ? "document type declarations are not accepted"
                    : error.message ? error.message
                                    : "not well-formed";
    while (!result.reason.empty() && result.reason.back() == '\n') result.reason.pop_back();
    result.line = error.line;
    // Text that holds nothing but prolog (blanks, a declaration, comments, processing
    // instructions) is a document without a root element; anything else is not well-formed.
    result.status = !doctype && error.code == XML_ERR_DOCUMENT_EMPTY && OnlyProlog(text)
                        ? ParseStatus::kNoRootElement
                        : ParseStatus::kNotWellFormed;
    return result;
}

Element Document::Root() const {
    return Element(xmlDocGetRootElement(doc_.get()));
}

void Document::SetRoot(NewElement root) {
    if (xmlNodePtr old = xmlDocSetRootElement(doc_.get(), root.Release())) xmlFreeNode(old);
}

NewElement Document::CreateElement(std::string_view name) {
    if (xmlValidateName(X(std::string(name)), 0) != 0)
        base::ThrowFailure("'" + std::string(name) + "' is not a valid element name");
    xmlNodePtr node = xmlNewDocNode(doc_.get(), nullptr, X(std::string(name)), nullptr);
    if (!node || !node->name) {  // libxml2 fails them only when memory runs out
        xmlFreeNode(node);
        base::ThrowOutOfMemory();
    }
    return NewElement(node);
}

Element Document::FirstElementByName(std::string_view name) const {
    // Iterative pre-order walk: document order without recursion.
    xmlNodePtr n = xmlDocGetRootElement(doc_.get());
    while (n) {
        if (IsElementNamed(n, name)) return Element(n);
        if (n->children && n->type == XML_ELEMENT_NODE) {
            n = n->children;
            continue;
        }
        while (n && !n->next) {
            n = n->parent;
            if (n && n->type == XML_DOCUMENT_NODE) n = nullptr;
        }
        if (n) n = n->next;
    }
    return Element();
}

std::string Document::Xml() const {
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_NO_DECL);
    if (!save) base::ThrowOutOfMemory();
    // A buffer that cannot grow drops what it was given: the text would be cut or lose pieces.
    MemoryWatch watch;
    const bool saved = xmlSaveDoc(save, doc_.get()) >= 0;
    if (xmlSaveClose(save) < 0 || !saved || watch.ranOut()) base::ThrowOutOfMemory();
    std::string out(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                    static_cast<std::size_t>(xmlBufferLength(buffer.get())));
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace xml
