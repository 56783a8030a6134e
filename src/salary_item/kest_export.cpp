#include "salary_item/kest_export.h"

#include "query/conditions.h"
#include "salary_item/export.h"

namespace salary_item {

namespace {

// The payroll rows with their person's mobile phone, department name and category, each with its
// roster entry and payroll where one exists. Written as left joins of the payroll rows, which
// select exactly the rows of the right join "(wa_account inner join WA_psn) right join
// (WA_GZData left join hr_hi_person left join department left join WA_grade)", because SQLite
// plans that right join as a scan of all payroll rows for every roster row.
constexpr const char* kFrom =
    "from (((WA_GZData left join hr_hi_person on hr_hi_person.cPsn_Num = WA_GZData.cPsn_Num) "
    "left join department on department.cdepcode = WA_GZData.cdept_num) left join WA_grade on "
    "WA_GZData.iPsnGrd_id = WA_grade.iPsnGrd_id) left join (wa_account inner join WA_psn on "
    "wa_account.cgzgradenum=wa_psn.cgzgradenum) ON WA_psn.cGZGradeNum = WA_GZData.cGZGradeNum AND "
    "WA_psn.cPsn_Num = WA_GZData.cPsn_Num ";

}  // namespace

void QueryProcKest(db::Connection& connection, messages::Messages& messages,
                   const xml::NodeList& conditions, std::string& exportText,
                   std::string& itemFilter, const query::PageDelivery& deliver) {
    query::ExportDocument document(exportText);
    const std::int32_t pageSize = document.PageSizeOrNone();
    std::string tail = query::ExportCondition(
        query::BuildKestWhere(conditions, connection, itemFilter), "WA_psn.iPsnMove = 0");

    ExportItemRows(connection, messages, document, pageSize,
                   {"department.cdepname,hr_hi_person.cpsnmobilephone,wa_account.cgzgradename,"
                    "WA_GZData.*,WA_grade.cPsnGrd ",
                    kFrom + tail, ExportForm::kKest, itemFilter},
                   deliver);
    exportText = document.TakeXml();
}

}  // namespace salary_item
