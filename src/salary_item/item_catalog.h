// What the checks and the update of salary item records need to know of a payroll item named in
// a request: its built-in name (unLang of the name given), its settings rows, whether the item
// query of the checks finds it, and its payroll column. Looked up once per name and request; the
// entries of the record at hand are read once for its checks and its update.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/lookup.h"
#include "messages/messages.h"
#include "xml/document.h"

namespace salary_item {

// The item styles (iSetGZItemStyle, an entry's `type`) that carry a value: numbers and texts.
inline constexpr int kNumericStyle = 0;
inline constexpr int kTextStyle = 1;

struct ItemFacts {
    std::string builtIn;
    std::size_t settings = 0;             // settings rows with the built-in name
    bool defined = false;                 // the item query of the checks found an item
    std::vector<double> styles;           // iSetGZItemStyle of each settings row
    std::optional<std::string> column;    // "F_" and iGZItem_id of the first settings row
    std::size_t columnSlot = 0;           // the column's number among the request's columns
    std::optional<std::string> noNumber;  // why the first settings row gives no column number
};

// An entry of a record as the request holds it, with the facts of its item once looked up.
struct Entry {
    xml::Element element;
    std::string name;
    std::string type;
    const ItemFacts* item = nullptr;
    std::optional<std::string> text = std::nullopt;  // the value, once read (EntryText)
};

// The entry's value, read from the request once for the checks and the update.
inline const std::string& EntryText(Entry& entry) {
    if (!entry.text) entry.text = entry.element.Text();
    return *entry.text;
}

class ItemCatalog {
  public:
    ItemCatalog(messages::Messages& messages, db::LookupCache& lookups)
        : messages_(messages), lookups_(lookups) {}

    // The entry elements of `record`, in order; read again only for another record.
    std::vector<Entry>& EntriesOf(xml::Element record);
    // The facts of the item `entry` names, in the caller's language; looked up once for it.
    const ItemFacts& Of(db::Connection& connection, Entry& entry);
    // The columns the items met so far write: each has a slot below this count, which items
    // with the same column share.
    std::size_t ColumnCount() const { return columnSlots_.size(); }

  private:
    const ItemFacts& Of(db::Connection& connection, std::string_view name);
    ItemFacts Look(db::Connection& connection, const std::string& name);

    // Names are found as the request holds them, without a copy to look them up by.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const noexcept {
            return std::hash<std::string_view>{}(name);
        }
    };

    messages::Messages& messages_;
    db::LookupCache& lookups_;
    std::unordered_map<std::string, ItemFacts, NameHash, std::equal_to<>> facts_;
    std::unordered_map<std::string, std::size_t> columnSlots_;
    xml::Element record_;
    std::vector<Entry> entries_;
};

}  // namespace salary_item
