#include "db/odbc/database.h"

#include <cstring>
#include <deque>
#include <optional>

#include "base/fault.h"
#include "base/text.h"
#include "base/utf.h"
#include "db/errors.h"
#include "db/odbc/sql_headers.h"
#include "db/odbc/text_api.h"
#include "db/odbc/type_map.h"
#include "db/types.h"

namespace db::odbc {

namespace {

// Values are read in parts of this many characters (or bytes).
constexpr std::size_t kPartLength = 2048;

std::u16string Wide(std::string_view utf8) {
    return base::Utf8ToUtf16(utf8);
}

// Every character one byte: as many UTF-16 units as bytes.
bool IsAscii(std::string_view text) {
    return base::Utf16Length(text) == text.size();
}

}  // namespace

namespace {

// A text's column size, rounded up, so that the texts of a parameter bind once whatever their
// lengths: the server declares the parameter by it. 4,000 characters is SQL Server's longest
// declared nvarchar; a longer text is declared as one of any length.
SQLULEN ColumnSizeFor(std::size_t units) {
    constexpr SQLULEN kLongestDeclared = 4000;
    SQLULEN size = 64;
    while (size < units) size *= 4;
    return units <= kLongestDeclared ? std::min(size, kLongestDeclared) : size;
}

}  // namespace

// Rows of one query: read from the server as asked, or from memory once another statement
// needed the link (see the header).
class ResultCursor : public Cursor {
  public:
    // `slot` is null for a catalog call, whose handle is not kept.
    ResultCursor(Database& owner, Database::Cache::SlotRef slot, Prepared stmt)
        : owner_(owner), slot_(std::move(slot)), prepared_(std::move(stmt)) {
        Describe();
        owner_.streaming_ = this;
    }
    ~ResultCursor() override { Finish(); }

    const std::shared_ptr<const Columns>& columns() override { return columns_; }

    bool Next(std::vector<Value>& row) override {
        if (!prepared_.handle) {
            if (buffered_.empty()) return false;
            row = std::move(buffered_.front());
            buffered_.pop_front();
            return true;
        }
        // A cursor still reading from the server is the streaming one: any other statement
        // would have had it read the rest first.
        if (Fetch(row)) return true;
        Finish();
        return false;
    }

    // Reads every row left into memory and gives the link back.
    void BufferRest() {
        std::vector<Value> row;
        while (prepared_.handle && Fetch(row)) buffered_.push_back(std::move(row));
        Finish();
    }

  private:
    void Describe() {
        SQLSMALLINT count = 0;
        if (!Succeeded(SQLNumResultCols(stmt(), &count))) Fail();
        std::vector<Column> columns;
        for (SQLSMALLINT i = 1; i <= count; ++i) {
            const auto column = static_cast<SQLUSMALLINT>(i);
            std::string name;
            SQLSMALLINT sqlType = 0;
            if (!Succeeded(owner_.api_.DescribeColumn(stmt(), column, name, sqlType))) Fail();
            DataType type = TypeOfColumn(sqlType, owner_.api_.ColumnTypeName(stmt(), column));
            columns.push_back({std::move(name), type});
            readings_.push_back(ReadingOf(type));
        }
        columns_ = std::make_shared<const Columns>(std::move(columns));
    }

    bool Fetch(std::vector<Value>& row) {
        SQLRETURN rc = SQLFetch(stmt());
        if (rc == SQL_NO_DATA) return false;
        if (!Succeeded(rc)) Fail();
        row.clear();
        row.reserve(readings_.size());
        for (std::size_t i = 0; i < readings_.size(); ++i)
            row.push_back(Read(static_cast<SQLUSMALLINT>(i + 1), readings_[i]));
        return true;
    }

    Value Read(SQLUSMALLINT column, Reading reading) {
        SQLLEN indicator = 0;
        if (reading == Reading::kInteger) {
            std::int64_t n = 0;
            Check(SQLGetData(stmt(), column, SQL_C_SBIGINT, &n, 0, &indicator));
            return indicator == SQL_NULL_DATA ? Value(Null{}) : Value(n);
        }
        if (reading == Reading::kReal) {
            double d = 0;
            Check(SQLGetData(stmt(), column, SQL_C_DOUBLE, &d, 0, &indicator));
            return indicator == SQL_NULL_DATA ? Value(Null{}) : Value(d);
        }
        return reading == Reading::kText ? ReadText(column) : ReadBytes(column);
    }

    // A value of any length, read in parts until the driver has no more; nullopt for Null.
    // `measure` tells how much of a part, with its indicator, belongs to the value.
    template <class Char, class Measure>
    std::optional<std::basic_string<Char>> ReadParts(SQLUSMALLINT column, SQLSMALLINT type,
                                                     Measure measure) {
        std::basic_string<Char> value;
        Char part[kPartLength];
        for (;;) {
            part[kPartLength - 1] = Char{};
            SQLLEN indicator = 0;
            SQLRETURN rc = SQLGetData(stmt(), column, type, part, sizeof part, &indicator);
            if (rc == SQL_NO_DATA) break;
            Check(rc);
            if (indicator == SQL_NULL_DATA) return std::nullopt;
            value.append(part, measure(part, indicator));
            if (rc == SQL_SUCCESS) break;
        }
        return value;
    }

    Value ReadText(SQLUSMALLINT column) {
        if (owner_.api_.utf8()) {
            // The length of a part in bytes; a part the value goes on beyond is full but for its
            // NUL.
            auto text = ReadParts<char>(column, SQL_C_CHAR, [](const char*, SQLLEN indicator) {
                return indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(kPartLength)
                           ? kPartLength - 1
                           : static_cast<std::size_t>(indicator);
            });
            return text ? Value(std::move(*text)) : Value(Null{});
        }
        // A part ends with a NUL, which every driver writes right; the length some report for it
        // is not (MariaDB's counts some CJK texts a character short). The NUL kept in the last
        // place bounds the search.
        auto text = ReadParts<char16_t>(column, SQL_C_WCHAR, [](const char16_t* part, SQLLEN) {
            return std::char_traits<char16_t>::length(part);
        });
        return text ? Value(base::Utf16ToUtf8(*text)) : Value(Null{});
    }

    Value ReadBytes(SQLUSMALLINT column) {
        auto bytes = ReadParts<char>(column, SQL_C_BINARY, [](const char*, SQLLEN indicator) {
            return indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(kPartLength)
                       ? kPartLength
                       : static_cast<std::size_t>(indicator);
        });
        return bytes ? Value(std::move(*bytes)) : Value(Null{});
    }

    void Check(SQLRETURN rc) {
        if (!Succeeded(rc)) Fail();
    }
    [[noreturn]] void Fail() { owner_.Fail(SQL_HANDLE_STMT, stmt()); }

    void Finish() {
        if (owner_.streaming_ == this) owner_.streaming_ = nullptr;
        if (!prepared_.handle) return;
        SQLFreeStmt(stmt(), SQL_CLOSE);
        owner_.Return(slot_.get(), std::move(prepared_));
        prepared_.handle.reset();
    }

    Database& owner_;
    Database::Cache::SlotRef slot_;
    Prepared prepared_;
    SQLHSTMT stmt() const { return prepared_.handle.get(); }
    std::shared_ptr<const Columns> columns_;
    std::vector<Reading> readings_;
    std::deque<std::vector<Value>> buffered_;
};

Database::Database(const OdbcTarget& target) : target_(target), api_(target.utf8Api) {
    env_ = NewEnvironment();
    if (!env_) throw base::Fault(kProviderError, "Cannot open database: no ODBC environment");
    Connect();
    if (mysqlFamily_ && !api_.utf8() && target_.passthrough) {
        // A data source whose driver the connection string does not name: MariaDB's and MySQL's
        // are spoken to in UTF-8 (db/odbc/text_api.h) and asked for matched rows, which takes a
        // connection of its own.
        const ConnectionString keys = *target_.passthrough;
        std::optional<std::string> dsn = keys.Get("dsn");
        if (!dsn) dsn = keys.Get("data source");
        target_ = MySqlFamilyTarget(keys, dsn ? DataSourceNumber(*dsn, "Option") : std::nullopt);
        link_.Close();
        dbc_.reset();
        api_ = TextApi(true);
        Connect();
    }
    if (!dialect_->SessionSetup().empty()) RunDirect(dialect_->SessionSetup());
    asciiAsVarchar_ = dialect_->kind() == Dialect::Kind::kSqlServer;
}

void Database::Connect() {
    SQLHANDLE dbc = SQL_NULL_HANDLE;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env_.get(), &dbc)))
        Fail(SQL_HANDLE_ENV, env_.get());
    dbc_.reset(dbc);
    if (target_.loginTimeoutSeconds > 0)
        SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(target_.loginTimeoutSeconds), 0);
    if (!Succeeded(api_.DriverConnect(dbc, target_.connectionString))) {
        try {
            Fail(SQL_HANDLE_DBC, dbc);
        } catch (const base::Fault& fault) {
            // Not reached the server at all: a plain failure to open, not a lost link.
            throw base::Fault(kProviderError, "Cannot open database: " + fault.description());
        }
    }
    link_.Opened(dbc);
    // Without it two records could both pass a check the other's write would fail.
    if (!Succeeded(SQLSetConnectAttr(dbc, SQL_ATTR_TXN_ISOLATION,
                                     reinterpret_cast<SQLPOINTER>(SQL_TXN_SERIALIZABLE), 0)))
        Fail(SQL_HANDLE_DBC, dbc);
    const std::string dbms = base::AsciiLower(api_.DbmsName(dbc));
    dialect_ = &Dialect::OfServer(dbms);
    mysqlFamily_ =
        dbms.find("mariadb") != std::string::npos || dbms.find("mysql") != std::string::npos;
}

void Database::Fail(SQLSMALLINT type, SQLHANDLE handle) const {
    odbc::Fail(type, handle, target_.password, api_);
}

void Database::SettleStreaming() {
    if (streaming_) streaming_->BufferRest();
    streaming_ = nullptr;
}

void Database::BeforeStatement() {
    SettleStreaming();
    if (!inTransaction_) SetAutocommit(true);
}

void Database::RunDirect(std::string_view sql) {
    SettleStreaming();
    StatementHandle stmt = NewStatement();
    SQLRETURN rc = api_.ExecDirect(stmt.get(), sql);
    while (Succeeded(rc)) rc = SQLMoreResults(stmt.get());
    if (rc != SQL_NO_DATA) Fail(SQL_HANDLE_STMT, stmt.get());
}

void Database::SetAutocommit(bool on) {
    if (autocommit_ == on) return;
    SettleStreaming();
    if (!Succeeded(SQLSetConnectAttr(
            dbc_.get(), SQL_ATTR_AUTOCOMMIT,
            reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0)))
        Fail(SQL_HANDLE_DBC, dbc_.get());
    autocommit_ = on;
}

bool Database::SnapshotReadsAllowed() {
    if (dialect_->SnapshotReads().empty()) return false;
    if (dialect_->SnapshotAllowed().empty()) return true;
    if (!snapshotAllowed_) {
        std::unique_ptr<Cursor> allowed = Query(std::string(dialect_->SnapshotAllowed()), {});
        std::vector<Value> row;
        snapshotAllowed_ = allowed->Next(row) && ValueNumber(row.at(0)) == 1;
    }
    return *snapshotAllowed_;
}

bool Database::BeginTransaction(TransactionMode mode) {
    bool sent = false;
    if (mode == TransactionMode::kSnapshotRead && SnapshotReadsAllowed()) {
        // The isolation level can change only between transactions.
        SetAutocommit(true);
        RunDirect(dialect_->SnapshotReads());
        readingSnapshot_ = true;
        sent = true;
    }
    sent = sent || autocommit_;
    SetAutocommit(false);
    inTransaction_ = true;
    return sent;
}

void Database::EndTransaction(bool commit) {
    SettleStreaming();
    inTransaction_ = false;
    if (!Succeeded(SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), commit ? SQL_COMMIT : SQL_ROLLBACK))) {
        try {
            Fail(SQL_HANDLE_DBC, dbc_.get());
        } catch (...) {
            LeaveSnapshotReads(true);
            throw;
        }
    }
    LeaveSnapshotReads(false);
}

void Database::LeaveSnapshotReads(bool quietly) {
    if (!readingSnapshot_) return;
    readingSnapshot_ = false;
    try {
        SetAutocommit(true);
        RunDirect(dialect_->SerializableReads());
    } catch (...) {
        if (!quietly) throw;
    }
}

void Database::RunSavepointStatement(const std::string& sql) {
    RunDirect(sql);
}

StatementHandle Database::NewStatement() {
    SQLHANDLE stmt = SQL_NULL_HANDLE;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc_.get(), &stmt)))
        Fail(SQL_HANDLE_DBC, dbc_.get());
    return StatementHandle(stmt);
}

Prepared Database::Prepare(Cache::Slot& slot, const std::string& sql) {
    BeforeStatement();
    if (std::optional<Prepared> idle = Cache::Take(slot)) return std::move(*idle);
    Prepared prepared{NewStatement(), {}};
    if (!Succeeded(api_.Prepare(prepared.handle.get(), sql)))
        Fail(SQL_HANDLE_STMT, prepared.handle.get());
    return prepared;
}

void Database::Return(Cache::Slot* slot, Prepared prepared) {
    // Its parameters stay bound to its buffers, for the next execution of the text.
    if (slot) Cache::Give(*slot, std::move(prepared));
}

void Database::Bind(Prepared& prepared, std::size_t i, const Value& v) {
    BoundParameter& p = prepared.params[i];
    // What the value needs: the C and SQL types, the column size, and its bytes in the buffer.
    SQLSMALLINT cType = SQL_C_WCHAR, sqlType = SQL_WVARCHAR;
    SQLULEN columnSize = 0;
    std::u16string wide;
    const void* data = nullptr;
    std::size_t bytes = 0;
    if (auto n = std::get_if<std::int64_t>(&v)) {
        cType = SQL_C_SBIGINT, sqlType = SQL_BIGINT, data = n, bytes = sizeof *n;
    } else if (auto d = std::get_if<double>(&v)) {
        cType = SQL_C_DOUBLE, sqlType = SQL_DOUBLE, data = d, bytes = sizeof *d;
    } else if (auto s = std::get_if<std::string>(&v);
               s && (api_.utf8() || (asciiAsVarchar_ && IsAscii(*s)))) {
        cType = SQL_C_CHAR, sqlType = SQL_VARCHAR, data = s->data(), bytes = s->size();
        columnSize = ColumnSizeFor(s->size());
    } else if (s) {
        wide = Wide(*s);
        data = wide.data(), bytes = wide.size() * sizeof(char16_t);
        columnSize = ColumnSizeFor(wide.size());
    } else if (p.buffer) {
        // Null in whatever type the parameter is bound as.
        p.indicator = SQL_NULL_DATA;
        return;
    } else {
        columnSize = ColumnSizeFor(0);
    }
    const std::size_t unit = cType == SQL_C_WCHAR ? sizeof(char16_t) : 1;
    const std::size_t needed = columnSize ? columnSize * unit : bytes;
    if (!p.buffer || p.cType != cType || p.sqlType != sqlType || p.columnSize < columnSize ||
        p.capacity < needed) {
        p.buffer = std::make_unique<char[]>(needed);
        p.capacity = needed;
        p.cType = cType, p.sqlType = sqlType, p.columnSize = columnSize;
        const SQLRETURN rc =
            SQLBindParameter(prepared.handle.get(), static_cast<SQLUSMALLINT>(i + 1),
                             SQL_PARAM_INPUT, cType, sqlType, std::max<SQLULEN>(columnSize, 1), 0,
                             p.buffer.get(), static_cast<SQLLEN>(p.capacity), &p.indicator);
        if (!Succeeded(rc)) Fail(SQL_HANDLE_STMT, prepared.handle.get());
    }
    if (bytes) std::memcpy(p.buffer.get(), data, bytes);
    p.indicator = static_cast<SQLLEN>(bytes);
    if (!data) p.indicator = SQL_NULL_DATA;
}

void Database::Run(Prepared& prepared, const std::vector<Value>& params) {
    SQLHSTMT stmt = prepared.handle.get();
    if (prepared.params.empty()) {
        SQLSMALLINT expected = 0;
        if (Succeeded(SQLNumParams(stmt, &expected)) &&
            static_cast<std::size_t>(expected) != params.size())
            throw base::Fault(kErrorsInCommand, "Wrong number of parameters");
        prepared.params.resize(params.size());
    }
    if (prepared.params.size() != params.size())
        throw base::Fault(kErrorsInCommand, "Wrong number of parameters");
    for (std::size_t i = 0; i < params.size(); ++i) Bind(prepared, i, params[i]);
    SQLRETURN rc = SQLExecute(stmt);
    // A searched UPDATE or DELETE that matched nothing answers SQL_NO_DATA.
    if (!Succeeded(rc) && rc != SQL_NO_DATA) Fail(SQL_HANDLE_STMT, stmt);
}

long long Database::Execute(const std::string& sql, const std::vector<Value>& params) {
    Cache::SlotRef slot = idle_.SlotOf(sql);
    Prepared prepared = Prepare(*slot, sql);
    Run(prepared, params);
    SQLHSTMT stmt = prepared.handle.get();
    SQLLEN rows = 0;
    long long count = 0;
    // A batch answers once per statement in it, and a trigger's statements before the one that
    // fired them: the last count is the statement's own (the INSERT of a guarded insert).
    for (;;) {
        if (Succeeded(SQLRowCount(stmt, &rows)) && rows >= 0) count = rows;
        SQLRETURN more = SQLMoreResults(stmt);
        if (more == SQL_NO_DATA) break;
        if (!Succeeded(more)) Fail(SQL_HANDLE_STMT, stmt);
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
    Return(slot.get(), std::move(prepared));
    return count;
}

std::unique_ptr<Cursor> Database::Query(const std::string& sql, const std::vector<Value>& params) {
    Cache::SlotRef slot = idle_.SlotOf(sql);
    Prepared prepared = Prepare(*slot, sql);
    Run(prepared, params);
    return std::make_unique<ResultCursor>(*this, std::move(slot), std::move(prepared));
}

std::vector<std::string> Database::TableNames() {
    BeforeStatement();
    Prepared catalog{NewStatement(), {}};
    if (!Succeeded(api_.Tables(catalog.handle.get()))) Fail(SQL_HANDLE_STMT, catalog.handle.get());
    ResultCursor tables(*this, nullptr, std::move(catalog));
    std::vector<std::string> names;
    // The catalog result's third column is TABLE_NAME.
    for (std::vector<Value> row; tables.Next(row);) names.push_back(ValueText(row.at(2)));
    return names;
}

std::vector<ColumnDeclaration> Database::DeclaredColumns(const std::string& table) {
    BeforeStatement();
    Prepared catalog{NewStatement(), {}};
    if (!Succeeded(api_.Columns(catalog.handle.get(), table)))
        Fail(SQL_HANDLE_STMT, catalog.handle.get());
    ResultCursor info(*this, nullptr, std::move(catalog));
    std::vector<ColumnDeclaration> columns;
    // SQLColumns: TABLE_NAME 3, COLUMN_NAME 4, DATA_TYPE 5, TYPE_NAME 6, COLUMN_SIZE 7. The
    // name is a pattern, in which '_' matches any character.
    for (std::vector<Value> row; info.Next(row);) {
        if (!base::EqualNoCase(ValueText(row.at(2)), table)) continue;
        auto sqlType = static_cast<SQLSMALLINT>(ValueNumber(row.at(4)));
        DataType type = TypeOfColumn(sqlType, ValueText(row.at(5)));
        std::size_t length = 0;
        if (ReadingOf(type) == Reading::kText && !IsNull(row.at(6)))
            length = static_cast<std::size_t>(ValueNumber(row.at(6)));
        // DECIMAL_DIGITS 9: the places an exact number keeps.
        std::optional<int> scale;
        if ((type == adNumeric || type == adCurrency) && !IsNull(row.at(8)))
            scale = static_cast<int>(ValueNumber(row.at(8)));
        columns.push_back({ValueText(row.at(3)), type, length, scale});
    }
    return columns;
}

}  // namespace db::odbc
