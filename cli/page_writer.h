// The host's caller object: receives ProcessExport(page, number, count) and writes each page to
// DIR/page-N-of-COUNT.xml, N padded to the width of COUNT (page-007-of-120.xml). A page it cannot
// write fails the call, so the export fails too.
#pragma once

#include <string>

#include "com/unknown.h"

namespace cli {

com::ComPtr<com::IDispatch> CreatePageWriter(const std::string& directory);

// "page-007-of-120.xml".
std::string PageFileName(long number, long count);

// Makes `directory`; one that holds page files of an earlier run is a usage error unless
// `overwrite`, which removes those files (and nothing else).
void PreparePageDirectory(const std::string& directory, bool overwrite);

}  // namespace cli
