// A database server reached through unixODBC. Internal to db/: callers use db::Connection.
//
// Connects with SQLDriverConnect (login time-out as the target asks), in autocommit, with
// serializable transactions, so that a record's checks and writes see no other writer half-way;
// a deadlock that costs one of them its transaction is db::Contention and is run again. The
// dialect is chosen by the server's own name (SQL_DBMS_NAME); its session set-up (SQL Server's
// NOCOUNT, IMPLICIT_TRANSACTIONS, XACT_ABORT and lock time-out) is sent once after connecting.
// Transactions are driven through the ODBC API (SQL_ATTR_AUTOCOMMIT, SQLEndTran); an export's
// snapshot is read under the dialect's snapshot isolation where the database allows it.
// A statement's rows are its own count, not the sum of a batch's (a trigger's rows included).
// Texts travel in the form the driver carries every character in (db/odbc/text_api.h): UTF-8
// (statements, names and values as SQL_C_CHAR, lengths in bytes) to MariaDB's driver, UTF-16
// (the W functions, values as SQL_C_WCHAR) to every other, FreeTDS's natural form.
// Only one result set is read from the server at a time: a query that starts while another is
// still being read first reads the rest of the other into memory, so a driver without multiple
// active result sets works.
// Prepared statements are kept per connection by SQL text. Not thread-safe.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/backend.h"
#include "db/odbc/data_sources.h"
#include "db/odbc/handles.h"
#include "db/odbc/text_api.h"
#include "db/provider.h"
#include "db/statement_cache.h"

namespace db::odbc {

class ResultCursor;

// One parameter of a prepared statement, bound once to a buffer of its own that stays where it
// is: the next execution writes its value into the buffer and binds again only when the value
// needs another type or a larger buffer. FreeTDS keeps a statement prepared on SQL Server only
// while its parameters stay bound as they were; bound afresh, every execution is prepared again
// (sp_unprepare and sp_prepexec, two round trips, where sp_execute is one).
struct BoundParameter {
    SQLSMALLINT cType = 0;
    SQLSMALLINT sqlType = 0;
    SQLULEN columnSize = 0;  // in characters, for a text
    std::unique_ptr<char[]> buffer;
    std::size_t capacity = 0;  // bytes
    SQLLEN indicator = 0;
};

// A prepared statement and the buffers its parameters are bound to.
struct Prepared {
    StatementHandle handle;
    std::vector<BoundParameter> params;
};

class Database : public Backend {
  public:
    explicit Database(const OdbcTarget& target);
    ~Database() override = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const Dialect& dialect() const override { return *dialect_; }
    long long Execute(const std::string& sql, const std::vector<Value>& params) override;
    std::unique_ptr<Cursor> Query(const std::string& sql,
                                  const std::vector<Value>& params) override;
    bool BeginTransaction(TransactionMode mode) override;
    void EndTransaction(bool commit) override;
    void RunSavepointStatement(const std::string& sql) override;
    std::vector<std::string> TableNames() override;
    std::vector<ColumnDeclaration> DeclaredColumns(const std::string& table) override;

  private:
    friend class ResultCursor;
    using Cache = StatementCache<Prepared>;
    // A statement prepared for `sql`, from the idle ones of its slot or new.
    Prepared Prepare(Cache::Slot& slot, const std::string& sql);
    // Keeps the statement for the next use of its text; a null slot (a catalog call's) keeps
    // none.
    void Return(Cache::Slot* slot, Prepared prepared);
    StatementHandle NewStatement();
    // Runs a prepared statement with `params` in its parameters' buffers.
    void Run(Prepared& prepared, const std::vector<Value>& params);
    // Puts parameter `i`'s value in its buffer, binding it where the value needs (see above).
    void Bind(Prepared& prepared, std::size_t i, const Value& v);
    // Before any other statement: the cursor still reading from the server reads the rest.
    void SettleStreaming();
    // Before a statement of its own: SettleStreaming, and outside a transaction autocommit again.
    void BeforeStatement();
    // Runs `sql` (a batch, perhaps) directly, not prepared; its results are discarded.
    void RunDirect(std::string_view sql);
    // Sets autocommit on or off, where it is not so already (each change is a round trip).
    void SetAutocommit(bool on);
    // Whether an export may read under the dialect's snapshot isolation; asked once.
    bool SnapshotReadsAllowed();
    // Back to serializable after an export's snapshot; never throws when `quietly`.
    void LeaveSnapshotReads(bool quietly);
    [[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle) const;
    // Opens the link with the target's connection string and learns the server's dialect.
    void Connect();

    OdbcTarget target_;
    EnvironmentHandle env_;
    ConnectionHandle dbc_;
    Link link_;  // after the handle, so it closes first
    const Dialect* dialect_ = nullptr;
    bool mysqlFamily_ = false;  // MariaDB or MySQL, by the server's name
    TextApi api_;               // how texts cross the link (db/odbc/text_api.h)
    // SQL Server compares an nvarchar value with a varchar key column by converting the column,
    // which turns an index seek into a scan: an ASCII text, the same in every code page, is
    // bound as varchar there.
    bool asciiAsVarchar_ = false;
    // Autocommit is switched back on lazily, before the first statement outside a transaction,
    // so that back-to-back transactions cost no round trip for it.
    bool autocommit_ = true;
    bool inTransaction_ = false;
    bool readingSnapshot_ = false;
    std::optional<bool> snapshotAllowed_;
    ResultCursor* streaming_ = nullptr;
    // After the link, so that idle statements are freed before it closes. Fewer texts than on
    // SQLite: each idle handle holds a prepared statement on the server.
    Cache idle_{256};
};

}  // namespace db::odbc
