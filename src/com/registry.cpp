#include "com/registry.h"

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
    std::ifstream in(path);
    if (!in) {
        if (std::filesystem::exists(path))
            throw base::Fault(E_FAIL, "Cannot read the registry " + path);
        return r;
    }
    std::string line;
    while (std::getline(in, line)) {
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        r.entries_[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return r;
}

std::optional<std::string> Registry::Get(const std::string& key) const {
    auto it = entries_.find(key);
    if (it == entries_.end()) return std::nullopt;
    return it->second;
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
    fs::path temp = target;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const auto& [k, v] : entries_) out << k << '=' << v << '\n';
        out.flush();
        if (!out) throw base::Fault(E_FAIL, "Cannot write the registry " + path_);
    }
    fs::rename(temp, target, ec);
    if (ec) throw base::Fault(E_FAIL, "Cannot write the registry " + path_ + ": " + ec.message());
}

}  // namespace com
