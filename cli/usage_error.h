// A command line the host cannot act on: it says what to write instead, and the host exits 2.
#pragma once

#include <stdexcept>

namespace cli {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace cli
