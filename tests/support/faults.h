// The fault a call raises, as (number, description); (0, "no fault") when it raises none.
#pragma once

#include <string>
#include <utility>

#include "base/fault.h"

namespace testing_support {

template <class Call>
std::pair<int, std::string> FaultOf(Call&& call) {
    try {
        call();
    } catch (const base::Fault& f) {
        return {f.number(), f.description()};
    }
    return {0, "no fault"};
}

}  // namespace testing_support
