#include "support/temp_dir.h"

#include <cstdlib>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

TempDir::TempDir(const std::filesystem::path& parent) {
    std::error_code ec;
    const std::filesystem::path in =
        std::filesystem::is_directory(parent, ec) ? parent : std::filesystem::temp_directory_path();
    std::string pattern = (in / "wagelink-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace testing_support
