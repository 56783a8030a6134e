// What the server's clients of the registered platform components share on Windows: the
// component, created by its class identifier and called by name, and a node of our trees (MSXML's)
// as the automation object a component is given.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "com/activation.h"
#include "com/late_call.h"
#include "com/variant.h"

namespace platform::windows {

// A registered component, each member's DISPID asked once: the kit and the mapper are called
// for every field and every record.
class Component {
  public:
    explicit Component(const char* clsid) : object_(com::CreateObject(clsid)) {}

    com::Variant Call(std::string_view member, const std::vector<com::VARIANT>& args) const {
        auto known = ids_.find(member);
        if (known == ids_.end())
            known = ids_.emplace(std::string(member), com::GetDispId(object_.get(), member)).first;
        return com::CallById(object_.get(), known->second, member, com::DISPATCH_METHOD, args);
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

}  // namespace platform::windows
