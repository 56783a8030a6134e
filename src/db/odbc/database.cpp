#include "db/odbc/database.h"

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

SQLWCHAR* WideData(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

// Every character one byte: as many UTF-16 units as bytes.
bool IsAscii(std::string_view text) {
    return base::Utf16Length(text) == text.size();
}

// The parameters of one execution, converted and held until the statement ran. UTF-8 texts are
// bound where the caller holds them.
struct BoundParams {
    std::vector<std::u16string> texts;
    std::vector<std::int64_t> integers;
    std::vector<double> reals;
    std::vector<SQLLEN> indicators;
};

}  // namespace

// Rows of one query: read from the server as asked, or from memory once another statement
// needed the link (see the header).
class ResultCursor : public Cursor {
  public:
    // `slot` is null for a catalog call, whose handle is not kept.
    ResultCursor(Database& owner, Database::Cache::SlotRef slot, StatementHandle stmt)
        : owner_(owner), slot_(std::move(slot)), stmt_(std::move(stmt)) {
        Describe();
        owner_.streaming_ = this;
    }
    ~ResultCursor() override { Finish(); }

    const std::shared_ptr<const Columns>& columns() override { return columns_; }

    bool Next(std::vector<Value>& row) override {
        if (!stmt_) {
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
        while (stmt_ && Fetch(row)) buffered_.push_back(std::move(row));
        Finish();
    }

  private:
    void Describe() {
        SQLSMALLINT count = 0;
        if (!Succeeded(SQLNumResultCols(stmt_.get(), &count))) Fail();
        std::vector<Column> columns;
        for (SQLSMALLINT i = 1; i <= count; ++i) {
            const auto column = static_cast<SQLUSMALLINT>(i);
            std::string name;
            SQLSMALLINT sqlType = 0;
            if (!Succeeded(owner_.api_.DescribeColumn(stmt_.get(), column, name, sqlType))) Fail();
            DataType type = TypeOfColumn(sqlType, owner_.api_.ColumnTypeName(stmt_.get(), column));
            columns.push_back({std::move(name), type});
            readings_.push_back(ReadingOf(type));
        }
        columns_ = std::make_shared<const Columns>(std::move(columns));
    }

    bool Fetch(std::vector<Value>& row) {
        SQLRETURN rc = SQLFetch(stmt_.get());
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
            Check(SQLGetData(stmt_.get(), column, SQL_C_SBIGINT, &n, 0, &indicator));
            return indicator == SQL_NULL_DATA ? Value(Null{}) : Value(n);
        }
        if (reading == Reading::kReal) {
            double d = 0;
            Check(SQLGetData(stmt_.get(), column, SQL_C_DOUBLE, &d, 0, &indicator));
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
            SQLRETURN rc = SQLGetData(stmt_.get(), column, type, part, sizeof part, &indicator);
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
    [[noreturn]] void Fail() { owner_.Fail(SQL_HANDLE_STMT, stmt_.get()); }

    void Finish() {
        if (owner_.streaming_ == this) owner_.streaming_ = nullptr;
        if (!stmt_) return;
        SQLFreeStmt(stmt_.get(), SQL_CLOSE);
        owner_.Return(slot_.get(), std::move(stmt_));
    }

    Database& owner_;
    Database::Cache::SlotRef slot_;
    StatementHandle stmt_;
    std::shared_ptr<const Columns> columns_;
    std::vector<Reading> readings_;
    std::deque<std::vector<Value>> buffered_;
};

Database::Database(const OdbcTarget& target) : target_(target), api_(target.utf8Api) {
    env_ = NewEnvironment();
    if (!env_) throw base::Fault(kProviderError, "Cannot open database: no ODBC environment");
    Connect();
    if (dialect_->kind() == Dialect::Kind::kMariaDb && !api_.utf8()) {
        // A data source whose driver the connection string does not name: MariaDB's is spoken
        // to in UTF-8 (db/odbc/text_api.h), which takes a connection of its own.
        link_.Close();
        dbc_.reset();
        api_ = TextApi(true);
        target_.connectionString += kUtf8Charset;
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
    dialect_ = &Dialect::OfServer(api_.DbmsName(dbc));
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

StatementHandle Database::Prepare(Cache::Slot& slot, const std::string& sql) {
    BeforeStatement();
    if (std::optional<StatementHandle> idle = Cache::Take(slot)) return std::move(*idle);
    StatementHandle stmt = NewStatement();
    if (!Succeeded(api_.Prepare(stmt.get(), sql))) Fail(SQL_HANDLE_STMT, stmt.get());
    return stmt;
}

void Database::Return(Cache::Slot* slot, StatementHandle stmt) {
    if (!slot) return;
    SQLFreeStmt(stmt.get(), SQL_RESET_PARAMS);
    Cache::Give(*slot, std::move(stmt));
}

void Database::Run(SQLHSTMT stmt, const std::vector<Value>& params) {
    SQLSMALLINT expected = 0;
    if (Succeeded(SQLNumParams(stmt, &expected)) &&
        static_cast<std::size_t>(expected) != params.size())
        throw base::Fault(kErrorsInCommand, "Wrong number of parameters");
    BoundParams bound;
    // Reserved up front: the driver keeps pointers into these until the statement ran.
    bound.texts.reserve(params.size());
    bound.integers.reserve(params.size());
    bound.reals.reserve(params.size());
    bound.indicators.resize(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        const Value& v = params[i];
        SQLUSMALLINT index = static_cast<SQLUSMALLINT>(i + 1);
        SQLLEN* indicator = &bound.indicators[i];
        SQLRETURN rc;
        if (auto n = std::get_if<std::int64_t>(&v)) {
            bound.integers.push_back(*n);
            rc = SQLBindParameter(stmt, index, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &bound.integers.back(), 0, indicator);
        } else if (auto d = std::get_if<double>(&v)) {
            bound.reals.push_back(*d);
            rc = SQLBindParameter(stmt, index, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                                  &bound.reals.back(), 0, indicator);
        } else if (auto s = std::get_if<std::string>(&v);
                   s && (api_.utf8() || (asciiAsVarchar_ && IsAscii(*s)))) {
            *indicator = static_cast<SQLLEN>(s->size());
            rc = SQLBindParameter(stmt, index, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  std::max<SQLULEN>(s->size(), 1), 0, const_cast<char*>(s->data()),
                                  *indicator, indicator);
        } else if (s) {
            bound.texts.push_back(Wide(*s));
            std::u16string& text = bound.texts.back();
            *indicator = static_cast<SQLLEN>(text.size() * sizeof(char16_t));
            rc = SQLBindParameter(stmt, index, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                  std::max<SQLULEN>(text.size(), 1), 0, WideData(text), *indicator,
                                  indicator);
        } else {
            *indicator = SQL_NULL_DATA;
            rc = SQLBindParameter(stmt, index, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 1, 0,
                                  nullptr, 0, indicator);
        }
        if (!Succeeded(rc)) Fail(SQL_HANDLE_STMT, stmt);
    }
    SQLRETURN rc = SQLExecute(stmt);
    // A searched UPDATE or DELETE that matched nothing answers SQL_NO_DATA.
    if (!Succeeded(rc) && rc != SQL_NO_DATA) Fail(SQL_HANDLE_STMT, stmt);
}

long long Database::Execute(const std::string& sql, const std::vector<Value>& params) {
    Cache::SlotRef slot = idle_.SlotOf(sql);
    StatementHandle stmt = Prepare(*slot, sql);
    Run(stmt.get(), params);
    SQLLEN rows = 0;
    long long count = 0;
    // A batch answers once per statement in it, and a trigger's statements before the one that
    // fired them: the last count is the statement's own (the INSERT of a guarded insert).
    for (;;) {
        if (Succeeded(SQLRowCount(stmt.get(), &rows)) && rows >= 0) count = rows;
        SQLRETURN more = SQLMoreResults(stmt.get());
        if (more == SQL_NO_DATA) break;
        if (!Succeeded(more)) Fail(SQL_HANDLE_STMT, stmt.get());
    }
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    Return(slot.get(), std::move(stmt));
    return count;
}

std::unique_ptr<Cursor> Database::Query(const std::string& sql, const std::vector<Value>& params) {
    Cache::SlotRef slot = idle_.SlotOf(sql);
    StatementHandle stmt = Prepare(*slot, sql);
    Run(stmt.get(), params);
    return std::make_unique<ResultCursor>(*this, std::move(slot), std::move(stmt));
}

std::vector<std::string> Database::TableNames() {
    BeforeStatement();
    StatementHandle stmt = NewStatement();
    if (!Succeeded(api_.Tables(stmt.get()))) Fail(SQL_HANDLE_STMT, stmt.get());
    ResultCursor tables(*this, nullptr, std::move(stmt));
    std::vector<std::string> names;
    // The catalog result's third column is TABLE_NAME.
    for (std::vector<Value> row; tables.Next(row);) names.push_back(ValueText(row.at(2)));
    return names;
}

std::vector<ColumnDeclaration> Database::DeclaredColumns(const std::string& table) {
    BeforeStatement();
    StatementHandle stmt = NewStatement();
    if (!Succeeded(api_.Columns(stmt.get(), table))) Fail(SQL_HANDLE_STMT, stmt.get());
    ResultCursor info(*this, nullptr, std::move(stmt));
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
