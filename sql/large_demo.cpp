#include "large_demo.h"

#include <cstdio>

#include "db/connection.h"
#include "demo_database.h"

namespace sql {

std::string LargeDemoPersonCode(int n) {
    char code[16];
    std::snprintf(code, sizeof code, "B%06d", n);
    return code;
}

std::string LargeDemoPersonName(int n) {
    return "员工" + std::to_string(n);
}

std::string LargeDemoItemRequest(int first, int count, const std::vector<LargeDemoEntry>& entries) {
    std::string xml = "<vkinterface roottag=\"salaryitem\" docid=\"LARGE\" proc=\"ADD\">";
    for (int n = first; n < first + count; ++n) {
        xml +=
            "<salaryitem><salarygradeno>001</salarygradeno><departmentno>0201</departmentno>"
            "<year>2026</year><month>11</month><personno>" +
            LargeDemoPersonCode(n) + "</personno><personname>" + LargeDemoPersonName(n) +
            "</personname><persongradeno>生产工人</persongradeno>";
        for (const LargeDemoEntry& e : entries)
            xml += "<entry name=\"" + e.name + "\" type=\"" + std::to_string(e.style) + "\">" +
                   e.value(n) + "</entry>";
        xml += "</salaryitem>";
    }
    return xml + "</vkinterface>";
}

namespace {

void WriteFreshDemo(const std::string& path) {
    std::remove(path.c_str());
    std::remove((path + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    WriteDemoDatabase(path);
}

}  // namespace

void WriteLargeDemoDatabase(const std::string& path, int persons, int items) {
    WriteFreshDemo(path);
    db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + path);
    db::Transaction tx(c);
    for (int item = 13; item <= items; ++item) {
        std::string name = "测试项目" + std::to_string(item);
        c.Execute("insert or ignore into WA_GZItem values (?)", {std::int64_t{item}});
        c.Execute("insert into WA_GZtblset values ('001', ?, ?, 0)", {std::int64_t{item}, name});
    }
    for (int n = 0; n < persons; ++n) {
        std::string code = LargeDemoPersonCode(n);
        std::string name = LargeDemoPersonName(n);
        c.Execute("insert into pubperson (cPsn_Num, cPsn_Name, rPersonType) values (?, ?, '102')",
                  {code, name});
        c.Execute(
            "insert into WA_psn (cGZGradeNum, cPsn_Num, cPsn_Name, cDept_num, iPsnGrd_id) values "
            "('001', ?, ?, '0201', 2)",
            {code, name});
        c.Execute(
            "insert into WA_GZData (cGZGradeNum, cDept_Num, cPsn_Num, cPsn_Name, iPsnGrd_id, "
            "iYear, iMonth, iAccMonth, F_7) "
            "values ('001', '0201', ?, ?, 2, 2026, 11, 11, 5000)",
            {code, name});
    }
    tx.Commit();
}

std::string EnrolmentPersonCode(int n) {
    char code[16];
    std::snprintf(code, sizeof code, "E%06d", n);
    return code;
}

void WriteEnrolmentDemoDatabase(const std::string& path, int persons, int extras) {
    WriteFreshDemo(path);
    db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + path);
    for (int field = 9; field <= extras; ++field)
        c.Execute("alter table WA_psn add M" + std::to_string(field) + " nvarchar(60)");
    db::Transaction tx(c);
    for (int field = 4; field <= extras; ++field)
        c.Execute("insert into WA_PsnMsg values (?, ?)",
                  {std::int64_t{field}, "附加信息" + std::to_string(field)});
    for (int n = 0; n < persons; ++n)
        c.Execute("insert into pubperson (cPsn_Num, cPsn_Name, rPersonType) values (?, ?, '102')",
                  {EnrolmentPersonCode(n), LargeDemoPersonName(n)});
    tx.Commit();
}

void WriteRosterDemoDatabase(const std::string& path, int persons, int extras) {
    WriteEnrolmentDemoDatabase(path, persons, extras);
    db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + path);
    std::string columns = "cGZGradeNum, cPsn_Num, cPsn_Name, cDept_num, iPsnGrd_id";
    std::string values = "'001', ?, ?, '0201', 2";
    for (int field = 1; field <= extras; ++field) {
        columns += ", M" + std::to_string(field);
        values += ", ?";
    }
    const std::string insert = "insert into WA_psn (" + columns + ") values (" + values + ")";
    db::Transaction tx(c);
    for (int n = 0; n < persons; ++n) {
        std::vector<db::Value> row = {EnrolmentPersonCode(n), LargeDemoPersonName(n)};
        for (int field = 1; field <= extras; ++field)
            row.emplace_back("V" + std::to_string(n) + "-" + std::to_string(field));
        c.Execute(insert, row);
    }
    tx.Commit();
}

std::string EnrolmentRequest(int first, int count, int extras) {
    std::string xml = "<vkinterface roottag=\"salaryperson\" docid=\"LARGE\" proc=\"ADD\">";
    for (int n = first; n < first + count; ++n) {
        xml +=
            "<salaryperson><salarygradeno>001</salarygradeno><departmentno>0201</departmentno>"
            "<personno>" +
            EnrolmentPersonCode(n) + "</personno><personname>" + LargeDemoPersonName(n) +
            "</personname><persongradeno>生产工人</persongradeno><isforeign>0</isforeign>"
            "<taxtoken>1</taxtoken>";
        for (int field = 1; field <= extras; ++field)
            xml +=
                "<entry name=\"M" + std::to_string(field) + "\">V" + std::to_string(n) + "</entry>";
        xml += "</salaryperson>";
    }
    return xml + "</vkinterface>";
}

}  // namespace sql
