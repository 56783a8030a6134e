#include "db/odbc/type_map.h"

#include "db/declared_types.h"
#include "db/odbc/sql_headers.h"

namespace db::odbc {

namespace {

DataType TypeOfSqlType(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_CHAR:
            return adChar;
        case SQL_VARCHAR:
            return adVarChar;
        case SQL_LONGVARCHAR:
            return adLongVarChar;
        case SQL_WCHAR:
            return adWChar;
        case SQL_WVARCHAR:
            return adVarWChar;
        case SQL_WLONGVARCHAR:
            return adLongVarWChar;
        case SQL_BIT:
            return adBoolean;
        case SQL_TINYINT:
            return adTinyInt;
        case SQL_SMALLINT:
            return adSmallInt;
        case SQL_INTEGER:
            return adInteger;
        case SQL_BIGINT:
            return adBigInt;
        case SQL_REAL:
            return adSingle;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return adDouble;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return adNumeric;
        case SQL_TYPE_DATE:
            return adDBDate;
        case SQL_TYPE_TIME:
            return adDBTime;
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATETIME:
            return adDBTimeStamp;
        case SQL_GUID:
            return adGUID;
        case SQL_BINARY:
            return adBinary;
        case SQL_VARBINARY:
            return adVarBinary;
        case SQL_LONGVARBINARY:
            return adLongVarBinary;
        default:
            return adVarWChar;
    }
}

}  // namespace

DataType TypeOfColumn(SQLSMALLINT sqlType, std::string_view typeName) {
    DataType named = TypeOfDeclared(typeName);
    if (named == adEmpty) return TypeOfSqlType(sqlType);
    // A server that keeps every text in Unicode (MariaDB in UTF-8) names an nvarchar "varchar"
    // but reports the Unicode type: its lengths are then characters, as the type says. A fixed
    // char keeps its name, which decides how a condition writes its value.
    const bool wide = sqlType == SQL_WVARCHAR || sqlType == SQL_WLONGVARCHAR;
    if (wide && (named == adVarChar || named == adLongVarChar)) return TypeOfSqlType(sqlType);
    return named;
}

Reading ReadingOf(DataType type) {
    switch (type) {
        case adBoolean:
        case adTinyInt:
        case adSmallInt:
        case adInteger:
        case adBigInt:
            return Reading::kInteger;
        case adSingle:
        case adDouble:
        case adCurrency:
        case adNumeric:
            return Reading::kReal;
        case adBinary:
        case adVarBinary:
        case adLongVarBinary:
            return Reading::kBytes;
        default:
            return Reading::kText;
    }
}

}  // namespace db::odbc
