#include "db/sqlite/database.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "base/fault.h"
#include "base/text.h"
#include "db/contention.h"
#include "db/declared_types.h"
#include "db/like_pattern.h"
#include "db/sqlite/column_names.h"
#include "db/types.h"

namespace db::sqlite {

namespace {

// like(pattern, text), which SQLite calls for "text LIKE pattern".
void SqlServerLike(sqlite3_context* context, int, sqlite3_value** args) {
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[1]));
    if (!pattern || !text) return;  // Null
    sqlite3_result_int(
        context, LikeMatches({pattern, static_cast<std::size_t>(sqlite3_value_bytes(args[0]))},
                             {text, static_cast<std::size_t>(sqlite3_value_bytes(args[1]))}));
}

constexpr int kBusyTimeoutMs = 10000;

int ErrorNumberOf(int code) {
    switch (code & 0xFF) {
        case SQLITE_CONSTRAINT:
            return kIntegrityViolation;
        case SQLITE_ERROR:
            return kErrorsInCommand;
        default:
            return kProviderError;
    }
}

}  // namespace

void CloseDatabase::operator()(sqlite3* db) const {
    sqlite3_close(db);
}

void FinalizeStatement::operator()(sqlite3_stmt* stmt) const {
    sqlite3_finalize(stmt);
}

namespace {

// Memory that ran out is fault 7 wherever it happens, so that a caller can tell it apart.
[[noreturn]] void CannotOpen(const std::string& path, int code, const std::string& why) {
    if ((code & 0xFF) == SQLITE_NOMEM) base::ThrowOutOfMemory();
    throw base::Fault(kProviderError, "Cannot open database " + path + ": " + why);
}

// The name SQLite is given for a path: a path that begins with "file:" would be read as a URI,
// with options of its own, so it is made relative to the current folder instead.
std::string PlainFileName(const std::string& path) {
    return base::EqualNoCase(std::string_view(path).substr(0, 5), "file:") ? "./" + path : path;
}

// The URI that opens `path` read-only and unlocked, for a file in a place nobody can write.
std::string ImmutableUri(const std::string& path) {
    std::string uri = "file:";
    for (unsigned char c : std::filesystem::absolute(path).string()) {
        bool plain = std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_';
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", c);
        uri += plain ? std::string(1, static_cast<char>(c)) : std::string(escaped);
    }
    return uri + "?immutable=1";
}

// Reading a page is how SQLite finds out whether the file is a database at all.
int Configure(sqlite3* db, bool readOnly, std::string& message) {
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"}) {
        if (readOnly && pragma[7] == 'j') continue;  // the mode is the file's; it cannot change
        char* error = nullptr;
        int rc = sqlite3_exec(db, pragma, nullptr, nullptr, &error);
        if (rc != SQLITE_OK) {
            message = error ? error : sqlite3_errstr(rc);
            sqlite3_free(error);
            return rc;
        }
    }
    return SQLITE_OK;
}

}  // namespace

Database::Database(const std::string& path) {
    const bool file = path != ":memory:";
    if (file) {
        // SQLite would make a new database of an empty file; it holds no payroll tables.
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0)
            CannotOpen(path, SQLITE_CANTOPEN, "the file is empty, not a database");
    }
    const bool writable = !file || ::access(path.c_str(), W_OK) == 0;
    Open(PlainFileName(path), SQLITE_OPEN_READWRITE, path);
    std::string message;
    int rc = Configure(db_.get(), !writable, message);
    if ((rc & 0xFF) == SQLITE_CANTOPEN && file && !writable) {
        // Neither the file nor its folder can be written (a read-only file system), so the
        // write-ahead log's index cannot be made: the file is read as it stands.
        Open(ImmutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, path);
        rc = Configure(db_.get(), true, message);
    }
    if (rc != SQLITE_OK) CannotOpen(path, rc, message);
}

void Database::Open(const std::string& name, int flags, const std::string& path) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(name.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) CannotOpen(path, rc, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    // LIKE as the production database reads it, character classes included (db/like_pattern.h).
    rc = sqlite3_create_function(raw, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                 &SqlServerLike, nullptr, nullptr);
    if (rc != SQLITE_OK) CannotOpen(path, rc, sqlite3_errmsg(raw));
}

Database::~Database() = default;

void Database::Fail(int code) const {
    if ((code & 0xFF) == SQLITE_NOMEM) base::ThrowOutOfMemory();
    // The database's own message: the statement text stays out of replies.
    std::string message = sqlite3_errmsg(db_.get());
    // Busy and locked (a stale snapshot included) pass when the other connection is done.
    if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED) throw Contention(message);
    throw base::Fault(ErrorNumberOf(code), message);
}

Statement Database::Prepare(const std::string& sql) {
    Statement::Cache::SlotRef slot = idle_.SlotOf(sql);
    if (std::optional<Statement::Prepared> idle = Statement::Cache::Take(*slot))
        return Statement(this, std::move(slot), std::move(*idle));
    const std::string text = NameColumnsAsWritten(sql);
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v3(db_.get(), text.c_str(), static_cast<int>(text.size()),
                                SQLITE_PREPARE_PERSISTENT, &raw, &tail);
    StatementHandle stmt(raw);
    if (rc != SQLITE_OK) Fail(rc);
    if (!stmt) throw base::Fault(kErrorsInCommand, "Empty statement");
    // One statement per call: trailing text after it would silently not run.
    for (; tail && *tail; ++tail) {
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            throw base::Fault(kErrorsInCommand, "Only one statement may be run at a time");
    }
    return Statement(this, std::move(slot), {std::move(stmt), nullptr});
}

void Database::Return(Statement::Cache::Slot& slot, Statement::Prepared prepared) {
    sqlite3_reset(prepared.stmt.get());
    sqlite3_clear_bindings(prepared.stmt.get());
    Statement::Cache::Give(slot, std::move(prepared));
}

long long Database::Execute(const std::string& sql, const std::vector<Value>& params) {
    Statement stmt = Prepare(sql);
    stmt.Bind(params);
    while (stmt.Step()) {
    }
    return sqlite3_changes64(db_.get());
}

namespace {

class StatementCursor : public Cursor {
  public:
    // The first step comes before the columns are read: it is where SQLite prepares the
    // statement again after a schema change, so that the columns are those the rows have.
    explicit StatementCursor(Statement statement)
        : statement_(std::move(statement)),
          state_(statement_.Step() ? State::kRowReady : State::kDone),
          columns_(statement_.columns()) {}
    const std::shared_ptr<const Columns>& columns() override { return columns_; }
    bool Next(std::vector<Value>& row) override {
        if (state_ == State::kDone) return false;
        if (state_ == State::kRowReady) {
            state_ = State::kStepping;
        } else if (!statement_.Step()) {
            state_ = State::kDone;
            return false;
        }
        const int n = static_cast<int>(columns_->size());
        row.clear();
        row.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) row.push_back(statement_.ColumnValue(i));
        return true;
    }

  private:
    enum class State { kRowReady, kStepping, kDone };
    Statement statement_;
    State state_;
    std::shared_ptr<const Columns> columns_;  // as the statement reported them when it opened
};

}  // namespace

std::unique_ptr<Cursor> Database::Query(const std::string& sql, const std::vector<Value>& params) {
    Statement statement = Prepare(sql);
    statement.Bind(params);
    return std::make_unique<StatementCursor>(std::move(statement));
}

bool Database::BeginTransaction(TransactionMode mode) {
    // A deferred transaction reads one snapshot without locking anything.
    Execute(std::string(dialect().Begin(mode == TransactionMode::kWriteNow)), {});
    return true;
}

void Database::EndTransaction(bool commit) {
    Execute(std::string(commit ? dialect().Commit() : dialect().Rollback()), {});
}

void Database::RunSavepointStatement(const std::string& sql) {
    Execute(sql, {});
}

std::vector<std::string> Database::TableNames() {
    Statement tables = Prepare("select name from sqlite_master where type = 'table'");
    std::vector<std::string> names;
    while (tables.Step()) names.push_back(ValueText(tables.ColumnValue(0)));
    return names;
}

std::vector<ColumnDeclaration> Database::DeclaredColumns(const std::string& table) {
    // table_info's columns: cid, name, type, notnull, dflt_value, pk.
    Statement info =
        Prepare("PRAGMA table_info(\"" + base::ReplaceAll(table, "\"", "\"\"") + "\")");
    std::vector<ColumnDeclaration> columns;
    while (info.Step()) {
        std::string declared = ValueText(info.ColumnValue(2));
        columns.push_back({ValueText(info.ColumnValue(1)), TypeOfDeclared(declared),
                           LengthOfDeclared(declared), ScaleOfDeclared(declared)});
    }
    return columns;
}

Statement::Statement(Database* owner, Cache::SlotRef slot, Prepared prepared)
    : owner_(owner), slot_(std::move(slot)), prepared_(std::move(prepared)) {}

Statement::~Statement() {
    if (prepared_.stmt) owner_->Return(*slot_, std::move(prepared_));
}

void Statement::Bind(const std::vector<Value>& params) {
    if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(prepared_.stmt.get()))
        throw base::Fault(kErrorsInCommand, "Wrong number of parameters");
    for (std::size_t i = 0; i < params.size(); ++i) {
        int index = static_cast<int>(i + 1);
        const Value& v = params[i];
        int rc = SQLITE_OK;
        if (auto n = std::get_if<std::int64_t>(&v)) {
            rc = sqlite3_bind_int64(prepared_.stmt.get(), index, *n);
        } else if (auto d = std::get_if<double>(&v)) {
            rc = sqlite3_bind_double(prepared_.stmt.get(), index, *d);
        } else if (auto s = std::get_if<std::string>(&v)) {
            rc = sqlite3_bind_text64(prepared_.stmt.get(), index, s->data(), s->size(),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        } else {
            rc = sqlite3_bind_null(prepared_.stmt.get(), index);
        }
        if (rc != SQLITE_OK) owner_->Fail(rc);
    }
}

bool Statement::Step() {
    int rc = sqlite3_step(prepared_.stmt.get());
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    owner_->Fail(rc);
}

const std::shared_ptr<const Columns>& Statement::columns() {
    // SQLite prepares a statement again when the schema changed (a column added, dropped or
    // renamed); its columns are then worked out again.
    const int prepared = sqlite3_stmt_status(prepared_.stmt.get(), SQLITE_STMTSTATUS_REPREPARE, 0);
    if (!prepared_.columns || prepared != prepared_.timesPrepared) {
        prepared_.timesPrepared = prepared;
        const int count = sqlite3_column_count(prepared_.stmt.get());
        std::vector<Column> columns;
        for (int i = 0; i < count; ++i) {
            const char* name = sqlite3_column_name(prepared_.stmt.get(), i);
            const char* type = sqlite3_column_decltype(prepared_.stmt.get(), i);
            columns.push_back({name ? name : "", TypeOfDeclared(type ? type : "")});
        }
        prepared_.columns = std::make_shared<const Columns>(std::move(columns));
    }
    return prepared_.columns;
}

Value Statement::ColumnValue(int i) const {
    switch (sqlite3_column_type(prepared_.stmt.get(), i)) {
        case SQLITE_INTEGER:
            return std::int64_t{sqlite3_column_int64(prepared_.stmt.get(), i)};
        case SQLITE_FLOAT:
            return sqlite3_column_double(prepared_.stmt.get(), i);
        case SQLITE_NULL:
            return Null{};
        default: {
            auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(prepared_.stmt.get(), i));
            return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(
                                                     prepared_.stmt.get(), i)));
        }
    }
}

}  // namespace db::sqlite
