// A temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

class TempDir {
  public:
    TempDir();
    // In `parent` (a memory-backed /dev/shm, for loops whose every commit would wait for a disk's
    // sync), or the usual temporary folder when it is not there.
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

}  // namespace testing_support
