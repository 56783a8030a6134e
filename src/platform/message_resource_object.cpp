#include "base/fault.h"
#include "com/automation.h"
#include "platform/message_resource.h"
#include "platform/objects.h"

namespace platform {

namespace {

using com::DispatchArguments;
using com::VARIANT;
using com::WORD;

// The arguments of LoadMessage: the array's elements, each missing-argument marker as nullopt.
std::vector<MessageArgument> ArgumentsOf(const VARIANT& given) {
    const VARIANT array = com::Dereference(given);
    if (array.vt == com::VT_EMPTY || com::IsMissing(array)) return {};
    if (array.vt != (com::VT_ARRAY | com::VT_VARIANT) || !array.parray)
        base::ThrowTypeMismatch("the arguments are not an array of VARIANT");
    std::vector<MessageArgument> arguments;
    VARIANT* elements = com::SafeArrayElements(array.parray);
    for (com::ULONG i = 0; i < com::SafeArrayCount(array.parray); ++i) {
        if (com::IsMissing(com::Dereference(elements[i])))
            arguments.emplace_back(std::nullopt);
        else
            arguments.emplace_back(com::ToText(elements[i]));
    }
    return arguments;
}

class MessageResourceObject final : public com::Automation<MessageResourceObject> {
  public:
    MessageResourceObject() = default;
    void* Answer(com::REFIID iid) { return com::AnswerDispatchOnly(this, iid); }

    static com::HRESULT LoadMessage(MessageResourceObject& self, DispatchArguments& args, WORD,
                                    VARIANT* out) {
        com::BstrArgument id(args, 0);
        const int substitute = args.Given(1) ? com::ToLong(args.Raw(1)) : 0;
        std::vector<MessageArgument> arguments;
        if (args.Given(2)) arguments = ArgumentsOf(args.Raw(2));
        *out = com::Variant::FromText(
                   self.resource_.LoadMessage(com::BstrToUtf8(id.value()), substitute, arguments))
                   .Detach();
        return com::S_OK;
    }
    // LoadMessage is the fourth member of the interface, as the server's callers know it.
    static constexpr com::DispatchMember<MessageResourceObject> kMembers[] = {
        {"LoadMessage", 4, 1, 3, &LoadMessage}};

  private:
    InProcessMessageResource resource_;
};

}  // namespace

com::ComPtr<com::IDispatch> CreateMessageResource() {
    return MessageResourceObject::Create();
}

}  // namespace platform
