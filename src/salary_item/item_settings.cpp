#include "salary_item/item_settings.h"

#include "base/fault.h"
#include "base/number.h"
#include "db/lookup.h"

namespace salary_item {

const std::optional<ItemSetting>& ItemSettings::Of(std::int16_t item) {
    auto it = cache_.find(item);
    if (it == cache_.end()) it = cache_.emplace(item, Look(item)).first;
    return it->second;
}

template <class Lookup>
auto ItemSettings::Tolerating(Lookup lookup) -> std::optional<decltype(lookup())> {
    try {
        return lookup();
    } catch (const base::Fault&) {
        if (failure_ == LookupFailure::kFault) throw;
        return std::nullopt;
    }
}

std::optional<ItemSetting> ItemSettings::Look(std::int16_t item) {
    // The settings joined with the items they belong to. The condition on WA_GZtblset makes the
    // specified right join select exactly the rows of this inner join, which SQLite plans as an
    // index lookup where it would scan every item for the right join.
    auto style = Tolerating([&]() -> std::optional<std::string> {
        db::Recordset settings;
        if (db::Lookup(settings, connection_,
                       "SELECT WA_GZtblset.* FROM WA_GZtblset INNER JOIN WA_GZItem ON "
                       "WA_GZtblset.iGZItem_id = WA_GZItem.iGZItem_id WHERE "
                       "WA_GZtblset.iGZItem_id = ?" +
                           filter_,
                       {std::int64_t{item}}) == 0)
            return std::nullopt;
        return settings["iSetGZItemStyle"].Text();
    });
    if (style && !*style) return std::nullopt;  // no setting: no entry
    auto name = Tolerating([&] {
        db::Recordset names;
        db::Lookup(names, connection_, "SELECT * FROM WA_GZtblset WHERE iGZItem_id = ?",
                   {std::int64_t{item}});
        return messages_.Lang(names["cSetGZItemName"].Text());
    });
    return ItemSetting{name, style ? *style : std::nullopt};
}

bool IsItemColumn(std::string_view column) {
    if (column.find("F_") != std::string_view::npos) return true;
    return column.size() > 2 && column.substr(0, 2) == "f_" &&
           column.find_first_not_of("0123456789", 2) == std::string_view::npos;
}

std::int16_t ItemNumber(const std::string& column) {
    std::string digits;
    for (std::size_t i = 0; i < column.size(); ++i) {
        if (i + 1 < column.size() && (column[i] == 'f' || column[i] == 'F') &&
            column[i + 1] == '_') {
            ++i;
        } else {
            digits += column[i];
        }
    }
    auto n = base::WholeNumber(digits);
    if (!n) base::ThrowTypeMismatch("column " + column + " has no item number");
    return base::ToInt16(*n);
}

}  // namespace salary_item
