// What the messages of a reply have in common: the catalog message each was made from, so that
// `--summary` counts a message that names its record (已存在 with the person's code) once for all
// the records it was given to, not once a record.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace cli {

class MessageGroups {
  public:
    // The catalog of the server's language (WAGELINK_LANG, as the server reads it); without one,
    // every message is a group of its own.
    MessageGroups();

    // The identifier of the catalog message `message` was made from ("Qz.WA.EAI.00065"), as a
    // plain message (its text and "！"), with its arguments, or as a database error's
    // "TEXT：WHY" ("Qz.WA.EAI.00008：Qz.WA.EAI.09001"), or after a value of the record; the
    // message itself when it was made from none.
    std::string GroupOf(const std::string& message) const;

  private:
    bool Matches(const std::vector<std::string>& pieces, const std::string& message) const;
    std::string WholeMatch(const std::string& message) const;

    // Each identifier with its text cut at %1, %2 and %3.
    std::vector<std::pair<std::string, std::vector<std::string>>> templates_;
};

}  // namespace cli
