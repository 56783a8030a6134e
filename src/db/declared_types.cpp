#include "db/declared_types.h"

#include <string>
#include <unordered_map>

#include "base/text.h"

namespace db {

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

std::size_t LengthOfDeclared(std::string_view declared) {
    std::size_t open = declared.find('(');
    if (open == std::string_view::npos) return 0;
    std::size_t length = 0;
    for (std::size_t i = open + 1; i < declared.size() && declared[i] >= '0' && declared[i] <= '9';
         ++i)
        length = length * 10 + static_cast<std::size_t>(declared[i] - '0');
    return length;
}

std::optional<int> ScaleOfDeclared(std::string_view declared) {
    const DataType type = TypeOfDeclared(declared);
    if (type == adCurrency) return 4;
    if (type != adNumeric) return std::nullopt;
    const std::size_t comma = declared.find(',');
    if (comma == std::string_view::npos) return 0;
    int scale = 0;
    std::size_t i = comma + 1;
    while (i < declared.size() && declared[i] == ' ') ++i;
    for (; i < declared.size() && declared[i] >= '0' && declared[i] <= '9' && scale < 100; ++i)
        scale = scale * 10 + (declared[i] - '0');
    return scale;
}

DataType TypeOfValue(const Value& value) {
    if (std::holds_alternative<std::int64_t>(value)) return adInteger;
    if (std::holds_alternative<double>(value)) return adDouble;
    if (std::holds_alternative<std::string>(value)) return adVarWChar;
    return adEmpty;
}

}  // namespace db
