// Reaching MSXML's objects from C++: counted references, BSTRs and VARIANTs with RAII, failures
// as faults, and the few questions the DOM asks of a node. For the Windows code that reaches
// MSXML (xml/msxml/, and the platform's components given MSXML's nodes).
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "base/fault.h"
#include "base/utf.h"
#include "xml/node_ref.h"

// After ours: <windows.h> defines macros that names of ours might meet.
#include <msxml2.h>
#include <windows.h>

namespace xml::msxml {

// The identifiers of MSXML's interfaces and classes; mingw's libraries lack some of them.
inline constexpr GUID kDomDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
inline constexpr GUID kDomDocument30 = {
    0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
inline constexpr GUID kIXMLDOMDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
inline constexpr GUID kIXMLDOMNode = {
    0x2933bf80, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
inline constexpr GUID kIXMLDOMDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
inline constexpr GUID kIXMLDOMElement = {
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

inline void Succeed(HRESULT hr, const char* what) {
    if (SUCCEEDED(hr)) return;
    if (hr == E_OUTOFMEMORY) base::ThrowOutOfMemory();
    base::ThrowFailure(std::string("the XML DOM could not ") + what);
}

inline DOMNodeType TypeOf(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    return type;
}

inline std::string NameOf(IXMLDOMNode* node) {
    Bstr name;
    Succeed(node->get_nodeName(name.Receive()), "read a node's name");
    return name.Utf8();
}

inline std::string ValueOf(IXMLDOMNode* node) {
    Variant value;
    Succeed(node->get_nodeValue(&value.v), "read a node's value");
    return value.Utf8();
}

// The node one of MSXML's getters hands out (first child, next sibling, ...), or a null one.
inline NodeRef Step(IXMLDOMNode* node, decltype(&IXMLDOMNode::get_firstChild) getter) {
    IXMLDOMNode* next = nullptr;
    (node->*getter)(&next);
    return NodeRef::Adopt(next);
}
inline NodeRef FirstOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_firstChild);
}
inline NodeRef LastOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_lastChild);
}
inline NodeRef NextOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_nextSibling);
}
inline NodeRef PreviousOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_previousSibling);
}
inline NodeRef ParentOf(IXMLDOMNode* node) {
    return Step(node, &IXMLDOMNode::get_parentNode);
}

inline Ref<IXMLDOMElement> AsElement(IXMLDOMNode* node) {
    Ref<IXMLDOMElement> element;
    if (node && TypeOf(node) == NODE_ELEMENT)
        node->QueryInterface(kIXMLDOMElement, reinterpret_cast<void**>(element.Receive()));
    return element;
}

}  // namespace xml::msxml
