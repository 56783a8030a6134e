#include "db/lookup.h"

namespace db {

long Lookup(Recordset& rows, Connection& connection, const std::string& sql,
            const std::vector<Value>& params) {
    rows.CloseIfOpen();
    rows.cursorLocation = adUseClient;
    rows.cursorType = adOpenKeyset;
    rows.Open(sql, connection, adOpenUnspecified, adLockUnspecified, params);
    return rows.RecordCount();
}

}  // namespace db
