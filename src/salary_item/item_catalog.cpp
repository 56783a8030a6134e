#include "salary_item/item_catalog.h"

namespace salary_item {

const ItemFacts& ItemCatalog::Of(db::Connection& connection, std::string_view name) {
    auto it = facts_.find(name);
    if (it == facts_.end()) {
        std::string key(name);
        ItemFacts facts = Look(connection, key);
        it = facts_.emplace(std::move(key), std::move(facts)).first;
    }
    return it->second;
}

const ItemFacts& ItemCatalog::Of(db::Connection& connection, Entry& entry) {
    if (!entry.item) entry.item = &Of(connection, entry.name);
    return *entry.item;
}

std::vector<Entry>& ItemCatalog::EntriesOf(xml::Element record) {
    if (record_ == record && record) return entries_;
    // Forgotten first: entries read only in part (memory ran out) are no record's.
    record_ = {};
    entries_.clear();
    for (xml::Element element : record.Children("entry"))
        entries_.push_back({element, element.GetAttribute("name"), element.GetAttribute("type")});
    record_ = record;
    return entries_;
}

ItemFacts ItemCatalog::Look(db::Connection& connection, const std::string& name) {
    ItemFacts facts;
    facts.builtIn = messages_.unLang(name);
    // The item query of the checks, as the payroll module writes it.
    facts.defined =
        lookups_
            .Find(connection,
                  "SELECT iGZItem_id From WA_GZItem WHERE 1=1  AND (iGZItem_id = (SELECT "
                  "iGZItem_id FROM WA_GZtblset WHERE cSetGZItemName = ?))",
                  {facts.builtIn})
            .RecordCount() > 0;
    const db::LookupResult& settings =
        lookups_.Find(connection,
                      "SELECT iGZItem_id, iSetGZItemStyle FROM WA_GZtblset WHERE "
                      "cSetGZItemName = ?",
                      {facts.builtIn});
    facts.settings = settings.rows().size();
    for (const std::vector<db::Value>& row : settings.rows())
        facts.styles.push_back(db::ValueNumber(row[1]));
    if (!settings.rows().empty()) {
        const db::Value& id = settings.rows()[0][0];
        if (std::holds_alternative<std::int64_t>(id)) {
            facts.column = "F_" + db::ValueText(id);
            facts.columnSlot =
                columnSlots_.try_emplace(*facts.column, columnSlots_.size()).first->second;
        } else {
            facts.noNumber = "payroll item " + facts.builtIn + " has no item number";
        }
    }
    return facts;
}

}  // namespace salary_item
