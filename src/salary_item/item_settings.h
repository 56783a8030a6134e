// The settings of the payroll items an export writes as `entry` elements: per item number, its
// name (through Lang) and its style, from the first settings row of any payroll. Looked up once
// per item and export call, so that no statement runs per row.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "db/connection.h"
#include "messages/messages.h"

namespace salary_item {

struct ItemSetting {
    std::optional<std::string> name;   // through Lang; nullopt when its lookup failed
    std::optional<std::string> style;  // iSetGZItemStyle as text; nullopt when its lookup failed
};

// What a failing lookup does: end the export (a fault), or leave out what it would have given.
enum class LookupFailure { kFault, kLeaveOut };

class ItemSettings {
  public:
    // `filter` ("" or " and ...", text the kest builder made safe) restricts which settings count.
    ItemSettings(db::Connection& connection, messages::Messages& messages, std::string filter = "",
                 LookupFailure failure = LookupFailure::kFault)
        : connection_(connection),
          messages_(messages),
          filter_(std::move(filter)),
          failure_(failure) {}

    // The item's setting; nullopt when it has none (or none that passes the filter). With
    // kLeaveOut, a settings lookup that fails gives a setting without its style, and a name
    // lookup that fails one without its name.
    const std::optional<ItemSetting>& Of(std::int16_t item);

  private:
    std::optional<ItemSetting> Look(std::int16_t item);
    // Runs `lookup`; with kLeaveOut a fault becomes nullopt.
    template <class Lookup>
    auto Tolerating(Lookup lookup) -> std::optional<decltype(lookup())>;

    db::Connection& connection_;
    messages::Messages& messages_;
    std::string filter_;
    LookupFailure failure_;
    std::map<std::int16_t, std::optional<ItemSetting>> cache_;
};

// Whether a result column is a payroll item column: its name holds "F_", or, for a database that
// declares the item columns in lower case, it is "f_" and digits.
bool IsItemColumn(std::string_view column);

// The item number of a payroll item column: its name without every "f_" (any case), as a 16-bit
// integer; a type-mismatch fault when the rest is no number.
std::int16_t ItemNumber(const std::string& column);

}  // namespace salary_item
