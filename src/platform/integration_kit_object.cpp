#include "base/fault.h"
#include "com/automation.h"
#include "platform/dom_node.h"
#include "platform/integration_kit.h"
#include "platform/objects.h"

namespace platform {

namespace {

using com::DispatchArguments;
using com::VARIANT;
using com::WORD;

com::HRESULT ReturnText(const std::string& text, VARIANT* out) {
    *out = com::Variant::FromText(text).Detach();
    return com::S_OK;
}

class IntegrationKitObject final : public com::Automation<IntegrationKitObject> {
  public:
    void* Answer(com::REFIID iid) { return com::AnswerDispatchOnly(this, iid); }

    static com::HRESULT MakeReply(IntegrationKitObject& self, DispatchArguments& args, WORD,
                                  VARIANT* out) {
        return ReturnText(self.kit_.MakeReply(TextArgument(args, 0), TextArgument(args, 1)), out);
    }
    static com::HRESULT GetAttribute(IntegrationKitObject& self, DispatchArguments& args, WORD,
                                     VARIANT* out) {
        return ReturnText(self.kit_.GetAttribute(ElementArgument(args, 0), TextArgument(args, 1)),
                          out);
    }
    static com::HRESULT GetFieldValue(IntegrationKitObject& self, DispatchArguments& args, WORD,
                                      VARIANT* out) {
        return ReturnText(self.kit_.GetFieldValue(ElementArgument(args, 0), TextArgument(args, 1)),
                          out);
    }
    static com::HRESULT AddResult(IntegrationKitObject& self, DispatchArguments& args, WORD,
                                  VARIANT*) {
        self.kit_.AddResultTo(ElementArgument(args, 0), TextArgument(args, 1),
                              com::ToLong(args.Raw(2)), TextArgument(args, 3));
        return com::S_OK;
    }
    static com::HRESULT BeginReply(IntegrationKitObject& self, DispatchArguments& args, WORD,
                                   VARIANT* out) {
        return ReturnText(self.kit_.BeginReply(TextArgument(args, 0), TextArgument(args, 1)), out);
    }
    static constexpr com::DispatchMember<IntegrationKitObject> kMembers[] = {
        {"MakeReply", 1, 2, 3, &MakeReply},
        {"GetAttribute", 3, 2, 2, &GetAttribute},
        {"GetFieldValue", 5, 2, 2, &GetFieldValue},
        {"AddResult", 6, 4, 9, &AddResult},
        {"BeginReply", 8, 2, 2, &BeginReply}};

  private:
    InProcessIntegrationKit kit_;
};

}  // namespace

com::ComPtr<com::IDispatch> CreateIntegrationKit() {
    return IntegrationKitObject::Create();
}

}  // namespace platform
