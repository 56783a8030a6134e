#include "page_writer.h"

#include <fstream>

#include "com/automation.h"

namespace cli {

namespace {

class PageWriter final : public com::Automation<PageWriter> {
  public:
    explicit PageWriter(std::string directory) : directory_(std::move(directory)) {}

    void* Answer(const com::IID& iid) {
        return iid == com::IID_IDispatch ? static_cast<com::IDispatch*>(this) : nullptr;
    }

    static com::HRESULT ProcessExport(PageWriter& self, com::DispatchArguments& args, com::WORD,
                                      com::VARIANT* out) {
        std::string page = com::ToText(args.Raw(0));
        long number = com::ToLong(args.Raw(1));
        long count = com::ToLong(args.Raw(2));
        std::string path = self.directory_ + "/page-" + std::to_string(number) + "-of-" +
                           std::to_string(count) + ".xml";
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << page << '\n';
        file.close();
        if (!file)
            throw base::Fault(base::kFileAccess, "Path/File access error: cannot write " + path);
        *out = com::Variant::FromBool(true).Detach();
        return com::S_OK;
    }

    static constexpr com::DispatchMember<PageWriter> kMembers[] = {
        {"ProcessExport", 1, 3, 3, &ProcessExport},
    };

  private:
    std::string directory_;
};

}  // namespace

com::ComPtr<com::IDispatch> CreatePageWriter(const std::string& directory) {
    return PageWriter::Create(directory);
}

}  // namespace cli
