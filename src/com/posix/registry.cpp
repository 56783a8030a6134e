#include "com/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/fault.h"
#include "base/text.h"
#include "com/hresult.h"

namespace com {

namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           base::EqualNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

constexpr std::uintmax_t kLargestRegistry = 1 << 20;

}  // namespace

bool Registry::CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return base::AsciiLower(x) < base::AsciiLower(y);
    });
}

std::string Registry::DefaultPath() {
    if (const char* named = std::getenv("WAGELINK_REGISTRY"); named && *named) return named;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/wagelink/registry";
}

Registry Registry::Open(const std::string& path) {
    Registry r;
    r.path_ = path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return r;
    if (!std::filesystem::is_regular_file(path, ec) ||
        std::filesystem::file_size(path, ec) > kLargestRegistry)
        throw base::Fault(E_FAIL, "The registry " + path + " is not a registry file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw base::Fault(E_FAIL, "Cannot read the registry " + path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        r.entries_[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return r;
}

Registry::Lock::Lock(const std::string& path) {
    std::error_code ec;
    std::filesystem::path target(path);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
    fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0)
        throw base::Fault(E_FAIL, "Cannot lock the registry " + path);
}

Registry::Lock::~Lock() {
    ::close(fd_);  // releases the lock
}

std::optional<std::string> Registry::Get(const std::string& key) const {
    auto it = entries_.find(key);
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> Registry::SubKeys(const std::string& key) const {
    const std::string prefix = key.empty() ? "" : key + "\\";
    std::vector<std::string> names;
    for (const auto& [k, v] : entries_) {
        if (!StartsWithNoCase(k, prefix)) continue;
        std::string name = k.substr(prefix.size(), k.find('\\', prefix.size()) - prefix.size());
        if (!name.empty() && (names.empty() || names.back() != name)) names.push_back(name);
    }
    return names;
}

void Registry::Set(const std::string& key, const std::string& value) {
    if (key.find_first_of("=\n") != std::string::npos || value.find('\n') != std::string::npos)
        throw base::Fault(E_INVALIDARG, "Invalid registry entry " + key);
    entries_[key] = value;
}

void Registry::RemoveTree(const std::string& key) {
    std::erase_if(entries_, [&](const auto& entry) {
        const std::string& k = entry.first;
        return k.size() == key.size() ? StartsWithNoCase(k, key) : StartsWithNoCase(k, key + "\\");
    });
}

void Registry::Save() const {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path_);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    std::string temp = path_ + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) throw base::Fault(E_FAIL, "Cannot write the registry " + path_);
    std::string text;
    for (const auto& [k, v] : entries_) text += k + '=' + v + '\n';
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    written = ::fsync(fd) == 0 && written;
    ::close(fd);
    if (!written) {
        ::unlink(temp.c_str());
        throw base::Fault(E_FAIL, "Cannot write the registry " + path_);
    }
    fs::rename(temp, target, ec);
    if (ec) {
        ::unlink(temp.c_str());
        throw base::Fault(E_FAIL, "Cannot write the registry " + path_ + ": " + ec.message());
    }
}

}  // namespace com
