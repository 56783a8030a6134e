// A caller object for paged exports that keeps every page it is handed, as the platform would.
#pragma once

#include <string>
#include <vector>

#include "com/automation.h"

namespace testing_support {

struct Page {
    std::string xml;
    long number;
    long count;
};

class PageCollector final : public com::Automation<PageCollector> {
  public:
    std::vector<Page> pages;
    void* Answer(const com::IID& iid) { return iid == com::IID_IDispatch ? this : nullptr; }
    static com::HRESULT ProcessExport(PageCollector& self, com::DispatchArguments& args, com::WORD,
                                      com::VARIANT*) {
        self.pages.push_back(
            {com::ToText(args.Raw(0)), com::ToLong(args.Raw(1)), com::ToLong(args.Raw(2))});
        return com::S_OK;
    }
    static constexpr com::DispatchMember<PageCollector> kMembers[] = {
        {"ProcessExport", 1, 3, 3, &ProcessExport}};
};

// Hands `collector` to the server's AddObjectReference.
void HoldCaller(com::IDispatch* server, PageCollector& collector);

// The number of record elements named `recordName` below the root of `xml`.
std::size_t RecordCount(const std::string& xml, const std::string& recordName);

}  // namespace testing_support
