#include "page_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "com/automation.h"

namespace cli {

namespace {

[[noreturn]] void CannotWrite(const std::string& path, int error) {
    throw base::Fault(base::kFileAccess,
                      "Path/File access error: cannot write " + path + ": " + std::strerror(error));
}

// Writes a new file of its own beside `path` and renames it to `path`: a symbolic link planted
// under that name is replaced, never followed, and a reader never sees half a page.
void WriteFile(const std::string& path, const std::string& text) {
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) CannotWrite(path, errno);
    for (std::size_t done = 0; done < text.size();) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(temp.c_str());
            CannotWrite(path, error);
        }
        done += static_cast<std::size_t>(n);
    }
    bool written = ::fchmod(fd, 0644) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(temp.c_str());
        CannotWrite(path, error);
    }
}

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
        WriteFile(path, page + '\n');
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
