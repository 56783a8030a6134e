#include "support/demo_db.h"

#include "db/recordset.h"
#include "demo_database.h"
#include "support/host.h"

namespace testing_support {

DemoDb::DemoDb() : path_(dir_.File("demo.db")) {
    sql::WriteDemoDatabase(path_);
}

std::unique_ptr<db::Connection> DemoDb::Connect() const {
    auto connection = std::make_unique<db::Connection>();
    connection->Open(ConnectionString());
    return connection;
}

std::string ScalarText(db::Connection& connection, const std::string& sql) {
    db::Recordset rows;
    rows.Open(sql, connection);
    if (rows.IsEOF()) return "<none>";
    return rows[0].IsNull() ? "<null>" : rows[0].Text();
}

std::string DemoDb::Scalar(const std::string& sql) const {
    return ScalarText(*Connect(), sql);
}

void DemoDb::Exec(const std::string& sql) const {
    Connect()->Execute(sql);
}

std::string DemoDb::Snapshot() const {
    auto connection = Connect();
    std::string digest;
    for (const char* table : {"WA_GZData", "WA_psn", "WA_account", "WA_GZtblset", "pubperson"}) {
        db::Recordset rows;
        rows.Open(std::string("select * from ") + table + " order by rowid", *connection);
        for (; !rows.IsEOF(); rows.MoveNext()) {
            for (std::size_t i = 0; i < rows.FieldCount(); ++i) digest += rows[i].Text() + "|";
            digest += "\n";
        }
    }
    return digest;
}

std::string DemoDb::FileBytes() const {
    return Slurp(path_);
}

}  // namespace testing_support
