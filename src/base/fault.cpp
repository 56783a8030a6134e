#include "base/fault.h"

#include <new>

namespace base {

namespace {

[[noreturn]] void Throw(std::int32_t number, std::string_view text, std::string_view detail) {
    std::string description(text);
    if (!detail.empty()) description.append(": ").append(detail);
    throw Fault(number, description);
}

}  // namespace

void ThrowInvalidArgument(std::string_view detail) {
    Throw(kInvalidArgument, "Invalid procedure call or argument", detail);
}
void ThrowOverflow() {
    Throw(kOverflow, "Overflow", {});
}
void ThrowTypeMismatch(std::string_view detail) {
    Throw(kTypeMismatch, "Type mismatch", detail);
}
void ThrowInvalidUseOfNull(std::string_view detail) {
    Throw(kInvalidUseOfNull, "Invalid use of Null", detail);
}
void ThrowObjectNotSet(std::string_view detail) {
    Throw(kObjectNotSet, "Object variable or With block variable not set", detail);
}
Fault OutOfMemoryFault() {
    return Fault(kOutOfMemory, "Out of memory");
}
void ThrowOutOfMemory() {
    throw std::bad_alloc();
}
Fault CurrentFault() {
    try {
        throw;
    } catch (const Fault& fault) {
        return fault;
    } catch (const std::bad_alloc&) {
        return OutOfMemoryFault();
    } catch (const std::exception& e) {
        return Fault(kUnspecifiedFailure, e.what());
    } catch (...) {
        return Fault(kCatastrophicFailure, "Catastrophic failure");
    }
}
void ThrowFailure(std::string_view description) {
    Throw(kUnspecifiedFailure, description, {});
}

}  // namespace base
