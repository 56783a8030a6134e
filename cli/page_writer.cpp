#include "page_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <vector>

#include "com/automation.h"
#include "progress.h"
#include "usage_error.h"

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

// The records of a page: the elements its root's roottag names, counted in the text.
long RecordsOf(const std::string& page) {
    const std::size_t at = page.find("roottag=\"");
    if (at == std::string::npos) return 0;
    const std::size_t start = at + 9;
    const std::string name = page.substr(start, page.find('"', start) - start);
    long records = 0;
    for (const std::string& open : {"<" + name + ">", "<" + name + " ", "<" + name + "/>"})
        for (std::size_t p = page.find(open); p != std::string::npos; p = page.find(open, p + 1))
            ++records;
    return records;
}

bool IsPageFileName(const std::string& name) {
    static const std::regex kPage(R"(page-[0-9]+-of-[0-9]+\.xml)");
    return std::regex_match(name, kPage);
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
        WriteFile(self.directory_ + "/" + PageFileName(number, count), page + '\n');
        if (ProgressShown()) ShowPageProgress(number, count, RecordsOf(page));
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

std::string PageFileName(long number, long count) {
    std::string digits = std::to_string(number);
    const std::string total = std::to_string(count);
    if (digits.size() < total.size()) digits.insert(0, total.size() - digits.size(), '0');
    return "page-" + digits + "-of-" + total + ".xml";
}

void PreparePageDirectory(const std::string& directory, bool overwrite) {
    namespace fs = std::filesystem;
    fs::create_directories(directory);
    std::vector<fs::path> earlier;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory))
        if (IsPageFileName(entry.path().filename().string())) earlier.push_back(entry.path());
    if (earlier.empty()) return;
    if (!overwrite)
        throw UsageError(directory + " holds page files of an earlier run (" +
                         earlier.front().filename().string() +
                         ", ...): give --overwrite to replace them, or another --pages DIR");
    for (const fs::path& page : earlier) fs::remove(page);
}

com::ComPtr<com::IDispatch> CreatePageWriter(const std::string& directory) {
    return PageWriter::Create(directory);
}

}  // namespace cli
