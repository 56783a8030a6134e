// A command line the host cannot act on: it says what to write instead, and the host exits 2.
// And a fault already told.
#pragma once

#include <stdexcept>

namespace cli {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A fault the host has already told on standard error, with its hint: it exits 1.
struct Reported {};

}  // namespace cli
