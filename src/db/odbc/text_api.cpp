#include "db/odbc/text_api.h"

#include <algorithm>

#include "base/utf.h"
#include "db/odbc/handles.h"
#include "db/odbc/sql_headers.h"

namespace db::odbc {

namespace {

SQLWCHAR* Wide(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

SQLCHAR* Bytes(std::string& text) {
    return reinterpret_cast<SQLCHAR*>(text.data());
}

// The first `units` characters (code units of the form) a driver wrote into `buffer` of
// `capacity` units, as UTF-8; a length beyond the buffer is cut to it.
std::string FromBuffer(const SQLCHAR* buffer, std::size_t capacity, SQLSMALLINT units) {
    const std::size_t n = std::min<std::size_t>(
        static_cast<std::size_t>(std::max<SQLSMALLINT>(units, 0)), capacity - 1);
    return base::WellFormedUtf8(std::string_view(reinterpret_cast<const char*>(buffer), n));
}

std::string FromBuffer(const SQLWCHAR* buffer, std::size_t capacity, SQLSMALLINT units) {
    const std::size_t n = std::min<std::size_t>(
        static_cast<std::size_t>(std::max<SQLSMALLINT>(units, 0)), capacity - 1);
    return Narrow(buffer, n);
}

}  // namespace

SQLRETURN TextApi::DriverConnect(SQLHDBC dbc, std::string_view connectionString) const {
    if (utf8_) {
        std::string text(connectionString);
        return SQLDriverConnect(dbc, nullptr, Bytes(text), static_cast<SQLSMALLINT>(text.size()),
                                nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    }
    std::u16string text = base::Utf8ToUtf16(connectionString);
    return SQLDriverConnectW(dbc, nullptr, Wide(text), static_cast<SQLSMALLINT>(text.size()),
                             nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
}

SQLRETURN TextApi::Prepare(SQLHSTMT stmt, std::string_view sql) const {
    if (utf8_) {
        std::string text(sql);
        return SQLPrepare(stmt, Bytes(text), static_cast<SQLINTEGER>(text.size()));
    }
    std::u16string text = base::Utf8ToUtf16(sql);
    return SQLPrepareW(stmt, Wide(text), static_cast<SQLINTEGER>(text.size()));
}

SQLRETURN TextApi::ExecDirect(SQLHSTMT stmt, std::string_view sql) const {
    if (utf8_) {
        std::string text(sql);
        return SQLExecDirect(stmt, Bytes(text), static_cast<SQLINTEGER>(text.size()));
    }
    std::u16string text = base::Utf8ToUtf16(sql);
    return SQLExecDirectW(stmt, Wide(text), static_cast<SQLINTEGER>(text.size()));
}

SQLRETURN TextApi::DescribeColumn(SQLHSTMT stmt, SQLUSMALLINT column, std::string& name,
                                  SQLSMALLINT& sqlType) const {
    SQLSMALLINT length = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    constexpr std::size_t kCapacity = 256;
    SQLRETURN rc;
    if (utf8_) {
        SQLCHAR buffer[kCapacity] = {};
        rc = SQLDescribeCol(stmt, column, buffer, kCapacity, &length, &sqlType, &size, &digits,
                            &nullable);
        if (SQL_SUCCEEDED(rc)) name = FromBuffer(buffer, kCapacity, length);
    } else {
        SQLWCHAR buffer[kCapacity] = {};
        rc = SQLDescribeColW(stmt, column, buffer, kCapacity, &length, &sqlType, &size, &digits,
                             &nullable);
        if (SQL_SUCCEEDED(rc)) name = FromBuffer(buffer, kCapacity, length);
    }
    return rc;
}

std::string TextApi::ColumnTypeName(SQLHSTMT stmt, SQLUSMALLINT column) const {
    constexpr std::size_t kCapacity = 128;
    SQLSMALLINT bytes = 0;
    if (utf8_) {
        SQLCHAR buffer[kCapacity] = {};
        if (!SQL_SUCCEEDED(SQLColAttribute(stmt, column, SQL_DESC_TYPE_NAME, buffer, kCapacity,
                                           &bytes, nullptr)))
            return "";
        return FromBuffer(buffer, kCapacity, bytes);
    }
    SQLWCHAR buffer[kCapacity] = {};
    if (!SQL_SUCCEEDED(SQLColAttributeW(stmt, column, SQL_DESC_TYPE_NAME, buffer, sizeof buffer,
                                        &bytes, nullptr)))
        return "";
    return FromBuffer(buffer, kCapacity, static_cast<SQLSMALLINT>(bytes / sizeof(SQLWCHAR)));
}

SQLRETURN TextApi::Tables(SQLHSTMT stmt) const {
    if (utf8_) {
        std::string type = "TABLE";
        return SQLTables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, Bytes(type),
                         static_cast<SQLSMALLINT>(type.size()));
    }
    std::u16string type = u"TABLE";
    return SQLTablesW(stmt, nullptr, 0, nullptr, 0, nullptr, 0, Wide(type),
                      static_cast<SQLSMALLINT>(type.size()));
}

SQLRETURN TextApi::Columns(SQLHSTMT stmt, std::string_view table) const {
    if (utf8_) {
        std::string name(table);
        return SQLColumns(stmt, nullptr, 0, nullptr, 0, Bytes(name),
                          static_cast<SQLSMALLINT>(name.size()), nullptr, 0);
    }
    std::u16string name = base::Utf8ToUtf16(table);
    return SQLColumnsW(stmt, nullptr, 0, nullptr, 0, Wide(name),
                       static_cast<SQLSMALLINT>(name.size()), nullptr, 0);
}

std::string TextApi::DbmsName(SQLHDBC dbc) const {
    constexpr std::size_t kCapacity = 128;
    SQLSMALLINT bytes = 0;
    if (utf8_) {
        SQLCHAR buffer[kCapacity] = {};
        SQLGetInfo(dbc, SQL_DBMS_NAME, buffer, kCapacity, &bytes);
        return FromBuffer(buffer, kCapacity, bytes);
    }
    SQLWCHAR buffer[kCapacity] = {};
    SQLGetInfoW(dbc, SQL_DBMS_NAME, buffer, sizeof buffer, &bytes);
    return FromBuffer(buffer, kCapacity, static_cast<SQLSMALLINT>(bytes / sizeof(SQLWCHAR)));
}

bool TextApi::Diagnostic(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                         std::string& state, SQLINTEGER& native, std::string& message) const {
    constexpr std::size_t kCapacity = 2048;
    SQLSMALLINT length = 0;
    if (utf8_) {
        SQLCHAR code[6] = {};
        SQLCHAR text[kCapacity] = {};
        if (!SQL_SUCCEEDED(
                SQLGetDiagRec(handleType, handle, record, code, &native, text, kCapacity, &length)))
            return false;
        state = FromBuffer(code, 6, 5);
        message = FromBuffer(text, kCapacity, length);
        return true;
    }
    SQLWCHAR code[6] = {};
    SQLWCHAR text[kCapacity] = {};
    if (!SQL_SUCCEEDED(
            SQLGetDiagRecW(handleType, handle, record, code, &native, text, kCapacity, &length)))
        return false;
    state = FromBuffer(code, 6, 5);
    message = FromBuffer(text, kCapacity, length);
    return true;
}

}  // namespace db::odbc
