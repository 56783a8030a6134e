#include "salary_person/extra_fields.h"

#include "base/fault.h"
#include "base/number.h"
#include "base/text.h"

namespace salary_person {

namespace {

// ADO's fault for a filter it cannot apply.
constexpr std::int32_t kBadFilter = -2146825287;  // 0x800A0BB9

}  // namespace

ExtraFields::ExtraFields(db::Connection& connection, db::LookupCache& lookups) {
    const db::LookupResult& rows = lookups.Find(connection, "SELECT * From WA_PsnMsg");
    const std::size_t number = rows.columns().IndexOf("iNum");
    const std::size_t caption = rows.columns().IndexOf("cMsgName");
    for (const std::vector<db::Value>& row : rows.rows())
        fields_.push_back(
            {static_cast<std::int64_t>(db::ValueNumber(row[number])), db::ValueText(row[caption])});
}

const ExtraField* ExtraFields::ByCaption(std::string_view caption) const {
    for (const ExtraField& f : fields_)
        if (base::EqualNoCase(f.caption, caption)) return &f;
    return nullptr;
}

const ExtraField* ExtraFields::ByNumber(double number) const {
    for (const ExtraField& f : fields_)
        if (static_cast<double>(f.number) == number) return &f;
    return nullptr;
}

double FieldNumberOf(std::string_view name) {
    std::string_view rest = name.empty() ? name : name.substr(1);
    auto number = base::WholeNumber(rest);
    if (!number)
        throw base::Fault(kBadFilter, "The extra field name '" + std::string(name) +
                                          "' does not end in a field number");
    return *number;
}

std::string ColumnOf(const ExtraField& field) {
    return "M" + std::to_string(field.number);
}

}  // namespace salary_person
