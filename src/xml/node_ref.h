// How an Element refers to its node: on Linux a pointer into pugixml's tree, which the document
// owns; on Windows a counted reference to MSXML's node object, the system's DOM.
#pragma once

#include <cstddef>

#if defined(_WIN32)

struct IXMLDOMNode;

namespace xml {

class NodeRef {
  public:
    NodeRef() = default;
    NodeRef(std::nullptr_t) {}
    // Adopts a reference the caller owns (as an out-parameter of MSXML hands it over).
    static NodeRef Adopt(IXMLDOMNode* node) {
        NodeRef ref;
        ref.p_ = node;
        return ref;
    }
    NodeRef(const NodeRef& other);
    NodeRef(NodeRef&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    NodeRef& operator=(NodeRef other) noexcept {
        IXMLDOMNode* p = p_;
        p_ = other.p_;
        other.p_ = p;
        return *this;
    }
    ~NodeRef();

    IXMLDOMNode* get() const { return p_; }
    IXMLDOMNode* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // The same reference (MSXML may hand out several objects for one node: then they differ).
    friend bool operator==(const NodeRef& a, const NodeRef& b) { return a.p_ == b.p_; }

  private:
    IXMLDOMNode* p_ = nullptr;
};

}  // namespace xml

#else

namespace pugi {
struct xml_node_struct;
}  // namespace pugi

namespace xml {
using NodeRef = pugi::xml_node_struct*;
}  // namespace xml

#endif
