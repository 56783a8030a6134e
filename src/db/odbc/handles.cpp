#include "db/odbc/handles.h"

#include <cctype>
#include <vector>

#include "base/fault.h"
#include "base/text.h"
#include "base/utf.h"
#include "db/contention.h"
#include "db/errors.h"
#include "db/odbc/text_api.h"
#include "db/types.h"

namespace db::odbc {

namespace {

struct Diagnostic {
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
};

std::vector<Diagnostic> DiagnosticsOf(SQLSMALLINT handleType, SQLHANDLE handle,
                                      const TextApi& api) {
    std::vector<Diagnostic> records;
    Diagnostic d;
    for (SQLSMALLINT i = 1; api.Diagnostic(handleType, handle, i, d.state, d.native, d.message);
         ++i)
        records.push_back(d);
    return records;
}

bool IsWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) || c == '_';
}

// A driver that repeats its connection string in a diagnostic repeats the password as a value
// there, a word of its own: each occurrence that stands as one is blanked, and no other text of
// the message changes (a short password's letters stay where they are part of other words).
std::string WithoutPassword(std::string text, std::string_view password) {
    if (password.empty()) return text;
    for (std::size_t at = text.find(password); at != std::string::npos;
         at = text.find(password, at)) {
        const std::size_t end = at + password.size();
        const bool alone =
            (at == 0 || !IsWordByte(text[at - 1]) || !IsWordByte(password.front())) &&
            (end == text.size() || !IsWordByte(text[end]) || !IsWordByte(password.back()));
        if (!alone) {
            ++at;
            continue;
        }
        text.replace(at, password.size(), "***");
        at += 3;
    }
    return text;
}

bool Starts(const std::string& state, std::string_view prefix) {
    return state.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::string Narrow(const SQLWCHAR* text, std::size_t length) {
    return base::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

EnvironmentHandle NewEnvironment() {
    SQLHANDLE env = SQL_NULL_HANDLE;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return nullptr;
    EnvironmentHandle handle(env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return handle;
}

void Fail(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view password, const TextApi& api) {
    std::vector<Diagnostic> records = DiagnosticsOf(handleType, handle, api);
    std::string text;
    for (const Diagnostic& d : records) {
        if (!text.empty()) text += "; ";
        text += "[" + d.state + "] " + d.message;
    }
    if (text.empty()) text = "The ODBC driver reported a failure without a diagnostic";
    text = WithoutPassword(std::move(text), password);
    bool lost = false, deadlock = false, locked = false, timeout = false, integrity = false,
         rejected = false;
    for (const Diagnostic& d : records) {
        lost |= Starts(d.state, "08");
        // SQL Server's lock request time-out (SET LOCK_TIMEOUT): the lock is merely contended.
        // MariaDB's 1467 ("Failed to read auto-increment value from storage engine") is InnoDB
        // failing to take a table's auto-increment lock that concurrent INSERT ... SELECTs hold.
        locked |= (d.native == 1222 || d.native == 1467) && Starts(d.state, "HY");
        deadlock |= d.state == "40001" || d.state == "40P01" ||
                    (Starts(d.state, "40") && (d.native == 1205 || d.native == 1213));
        // MariaDB's lock wait time-out is its error 1205 in the general class; SQL Server's 1205
        // is a deadlock, in class 40.
        timeout |=
            d.state == "HYT00" || d.state == "HYT01" || (d.state == "HY000" && d.native == 1205);
        integrity |= Starts(d.state, "23");
        rejected |= Starts(d.state, "42");
    }
    if (lost) throw ConnectionLost(text);
    if (deadlock) throw Deadlock(text);
    if (locked) throw Contention(text);
    if (timeout) throw base::Fault(kTimeout, text);
    if (integrity) throw base::Fault(kIntegrityViolation, text);
    throw base::Fault(rejected ? kErrorsInCommand : kProviderError, text);
}

}  // namespace db::odbc
