// Connection strings as ADO writes them: "KEY=VALUE" pairs separated by ';', keys compared
// without regard to case and trimmed of blanks, values trimmed too unless quoted. A value may be
// quoted with "..." or '...', a quote of the same kind doubled inside, so that it can hold a ';'.
// A later pair of the same key replaces an earlier one.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace db {

class ConnectionString {
  public:
    // A fault for a value whose quote does not close, or text after a closing quote.
    explicit ConnectionString(std::string_view text);

    // The value of `key` (any case); nullopt when the string does not name it.
    std::optional<std::string> Get(std::string_view key) const;
    const std::map<std::string, std::string>& pairs() const { return pairs_; }  // lower-case keys
    // Whether `key` came right after a password's value: it may be the rest of a password that
    // held a ';' without quotes, and no message may repeat it.
    bool FollowsPassword(std::string_view key) const;

  private:
    std::map<std::string, std::string> pairs_;
    std::string afterPassword_;  // the key right after a password's value, if any
};

}  // namespace db
