#include "payroll/text_lengths.h"

#include "base/utf.h"
#include "messages/gen_len.h"
#include "platform/message_ids.h"

namespace payroll {

namespace {

bool CountsCharacters(db::DataType type) {
    return type == db::adWChar || type == db::adVarWChar;
}

bool CountsBytes(db::DataType type) {
    return type == db::adChar || type == db::adVarChar;
}

bool Bounded(const db::ColumnDeclaration& column) {
    return column.length > 0 && (CountsCharacters(column.type) || CountsBytes(column.type));
}

bool Fits(const db::ColumnDeclaration& column, const std::string& text) {
    // Never fewer bytes than characters: a text with too many characters is too long either way.
    std::size_t units = base::Utf16Length(text);
    if (units > column.length) return false;
    return CountsCharacters(column.type) ||
           static_cast<std::size_t>(messages::GenLen(text)) <= column.length;
}

}  // namespace

std::optional<std::string> TooLongValue(db::Connection& connection, db::LookupCache& lookups,
                                        messages::Messages& messages, const std::string& table,
                                        const std::vector<std::string>& columns,
                                        const std::vector<db::Value>& values) {
    const db::DeclaredTable& declared = lookups.DeclaredColumns(connection, table);
    for (std::size_t i = 0; i < columns.size() && i < values.size(); ++i) {
        const db::ColumnDeclaration* column = declared.Find(columns[i]);
        if (!column || !Bounded(*column) || db::IsNull(values[i])) continue;
        if (!Fits(*column, db::ValueText(values[i])))
            // Named as the statement writes it: the reply must not depend on the case in
            // which one database or another declares it.
            return messages.GetResStringArg(message_ids::kValueTooLong, columns[i],
                                            std::to_string(column->length));
    }
    return std::nullopt;
}

}  // namespace payroll
