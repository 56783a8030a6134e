// The request of `wagelink transact --validate-only`: the same document with mode="validate" on
// its root, which makes the server run the ADD as a trial that writes nothing.
#pragma once

#include <string>

namespace cli {

// Text that is not XML, or has no root, goes unchanged: the server answers it without writing.
// Text the host cannot mark otherwise is a fault, so that it is never sent as a real import.
std::string TrialRequest(const std::string& request);

}  // namespace cli
