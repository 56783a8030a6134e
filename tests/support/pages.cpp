#include "support/pages.h"

#include <gtest/gtest.h>

#include "com/late_call.h"
#include "xml/document.h"

namespace testing_support {

void HoldCaller(com::IDispatch* server, PageCollector& collector) {
    com::Variant caller = com::Variant::FromDispatch(&collector);
    com::CallByName(server, "AddObjectReference", com::DISPATCH_METHOD, {com::ByRef(caller)});
}

std::size_t RecordCount(const std::string& xml, const std::string& recordName) {
    xml::Document doc;
    EXPECT_TRUE(doc.Load(xml)) << xml;
    return doc.Root().Children(recordName).size();
}

}  // namespace testing_support
