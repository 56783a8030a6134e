// The host's caller object: receives ProcessExport(page, number, count) and writes each page to
// DIR/page-N-of-COUNT.xml. A page it cannot write fails the call, so the export fails too.
#pragma once

#include <string>

#include "com/unknown.h"

namespace cli {

com::ComPtr<com::IDispatch> CreatePageWriter(const std::string& directory);

}  // namespace cli
