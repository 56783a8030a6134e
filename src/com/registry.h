// The registry file: the keys an in-process server registers and hosts look up, kept as one
// text file of "KEY=VALUE" lines (keys are backslash paths, compared case-insensitively).
// The file is named by WAGELINK_REGISTRY, by default ~/.local/share/wagelink/registry.
// Writes go to a temporary file renamed over the old one, so a reader never sees half a file;
// changes are made under a lock (Update), so that registrations running at once keep each other's
// entries. Only a regular file of at most 1 MiB is read; lines may end in CRLF.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace com {

class Registry {
  public:
    static std::string DefaultPath();
    // Reads the file; a missing file is an empty registry. A file that cannot be read is a fault.
    static Registry Open(const std::string& path = DefaultPath());

    std::optional<std::string> Get(const std::string& key) const;
    // The names of the keys directly below `key` ("" for the top level), in key order.
    std::vector<std::string> SubKeys(const std::string& key) const;
    const std::string& path() const { return path_; }
    void Set(const std::string& key, const std::string& value);
    // Removes `key` and every key below it.
    void RemoveTree(const std::string& key);
    // Writes the file (creating its folder); a failure is a fault.
    void Save() const;

    // Reads the file, lets `change` change the entries and writes them back, holding the
    // registry's lock throughout.
    template <class Change>
    static void Update(Change&& change, const std::string& path = DefaultPath()) {
        Lock lock(path);
        Registry registry = Open(path);
        change(registry);
        registry.Save();
    }

  private:
    // An exclusive lock on the file beside the registry named PATH.lock.
    class Lock {
      public:
        explicit Lock(const std::string& path);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        int fd_;
    };
    struct CaseInsensitiveLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::string path_;
    std::map<std::string, std::string, CaseInsensitiveLess> entries_;
};

}  // namespace com
