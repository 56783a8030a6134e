#include "db/sqlite/type_map.h"

#include <string>
#include <unordered_map>

#include "base/text.h"

namespace db::sqlite {

DataType TypeOfDeclared(std::string_view declared) {
    static const std::unordered_map<std::string, DataType> kTypes = {
        {"char", adChar},
        {"nchar", adWChar},
        {"varchar", adVarChar},
        {"nvarchar", adVarWChar},
        {"text", adLongVarChar},
        {"ntext", adLongVarWChar},
        {"bit", adBoolean},
        {"tinyint", adTinyInt},
        {"smallint", adSmallInt},
        {"int", adInteger},
        {"integer", adInteger},
        {"bigint", adBigInt},
        {"real", adSingle},
        {"float", adDouble},
        {"money", adCurrency},
        {"smallmoney", adCurrency},
        {"decimal", adNumeric},
        {"numeric", adNumeric},
        {"datetime", adDBTimeStamp},
        {"smalldatetime", adDBTimeStamp},
        {"date", adDBDate},
        {"time", adDBTime},
        {"uniqueidentifier", adGUID},
        {"binary", adBinary},
        {"varbinary", adVarBinary},
        {"image", adLongVarBinary},
    };
    std::string base = base::AsciiLower(declared.substr(0, declared.find('(')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    while (!base.empty() && base.front() == ' ') base.erase(base.begin());
    auto it = kTypes.find(base);
    return it == kTypes.end() ? adEmpty : it->second;
}

DataType TypeOfValue(const Value& value) {
    if (std::holds_alternative<std::int64_t>(value)) return adInteger;
    if (std::holds_alternative<double>(value)) return adDouble;
    if (std::holds_alternative<std::string>(value)) return adVarWChar;
    return adEmpty;
}

}  // namespace db::sqlite
