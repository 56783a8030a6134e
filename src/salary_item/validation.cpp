#include "salary_item/validation.h"

#include <algorithm>

#include "base/fault.h"
#include "base/number.h"
#include "base/text.h"
#include "db/errors.h"
#include "messages/gen_len.h"
#include "payroll/person_master.h"
#include "payroll/read_ahead.h"
#include "payroll/record_check.h"
#include "payroll/record_fields.h"
#include "platform/message_ids.h"
#include "salary_item/item_catalog.h"

namespace salary_item {

namespace {

using payroll::IsDate;
using payroll::RecordNumber;

constexpr int kLongestCode = 20;

// The checks of one salaryitem record, in their order.
class ItemRecordCheck : public payroll::RecordCheck {
  public:
    ItemRecordCheck(const payroll::RecordContext& context, xml::Element record,
                    std::string& message, ItemCatalog& items)
        : RecordCheck(context, record, message), items_(items) {}

    bool Run() {
        return Payroll() && Department() && StartDateSetting() && Year() && Month() && Person() &&
               PersonCategory() && Items() && Pass();
    }

  private:
    // The payroll module's start date must be readable as a date; nothing else depends on it.
    bool StartDateSetting() {
        db::Field value =
            Lookup("select * from accinformation where csysid='wa' and cname ='dWAFirstDate'")
                .First("cvalue");
        if (value.IsNull()) base::ThrowInvalidUseOfNull("dWAFirstDate");
        if (!IsDate(value.Text())) base::ThrowTypeMismatch("dWAFirstDate is not a date");
        return true;
    }

    const db::LookupResult& PayrollRow() {
        return Lookup("select * from WA_account where cGZGradeNum = ?", {payroll_});
    }

    bool Year() {
        std::int16_t year = RecordNumber(Field("year"));
        if (year == 0) return FailPlain(message_ids::kYearEmpty);
        if (db::ValueNumber(PayrollRow().First("iLastYear").value()) != year)
            return FailPlain(message_ids::kYearMismatch);
        return true;
    }

    bool Month() {
        std::int16_t month = RecordNumber(Field("month"));
        if (Lookup("select * from GL_mend where iperiod = ? and bflag_WA = 1",
                   {std::int64_t{month}})
                .RecordCount() >= 1)
            return Fail(std::to_string(month) + messages_.GetResString(message_ids::kMonthClosed) +
                        "！");
        const db::LookupResult& lastMonthRow =
            Lookup("SELECT iLastMonth FROM WA_account WHERE cGZGradeNum = ?", {payroll_});
        if (month == 0) return FailPlain(message_ids::kMonthEmpty);
        double lastMonth = db::ValueNumber(lastMonthRow.First("iLastMonth").value());
        if (lastMonth != 0 && lastMonth + 1 != month) return FailPlain(message_ids::kMonthNotOpen);
        return true;
    }

    bool Person() {
        std::string name = Field("personname");
        if (name.empty()) return FailPlain(message_ids::kPersonNameEmpty);
        if (NameTooLong(name)) return FailPlain(message_ids::kPersonNameTooLong);
        std::string code = Field("personno");
        if (code.empty()) return FailPlain(message_ids::kPersonCodeEmpty);
        if (!rules_.codeInPersonMaster) {
            if (!CodeFitsPayroll(code)) return FailPlain(message_ids::kCodeLengthMismatch);
        } else {
            // The master rows are read once for the record: the update takes the name from them.
            if (payroll::PersonMasterOf(connection_, lookups_, code).RecordCount() == 0)
                return FailPlain(message_ids::kPersonCodeNotInMaster);
            if (messages::GenLen(code) > kLongestCode)
                return FailPlain(message_ids::kPersonCodeTooLong);
        }
        if (payroll::RosterRowOf(connection_, lookups_, payroll_, code, name).RecordCount() == 0)
            return Fail(messages_.GetResStringArg(message_ids::kPersonNotInRoster, name));
        return true;
    }

    bool Items() {
        for (Entry& entry : items_.EntriesOf(record_)) {
            if (entry.name.empty()) return FailPlain(message_ids::kItemNameNotSet);
            if (entry.type.empty()) return FailPlain(message_ids::kItemTypeNotSet);
            const ItemFacts& item = items_.Of(connection_, entry);
            RequireOneSetting(item);
            if (!item.defined) return FailPlain(message_ids::kItemNotSetUp);
            // The item's settings with the entry's style (not rounded).
            const double style = base::LeadingNumber(entry.type);
            if (std::find(item.styles.begin(), item.styles.end(), style) == item.styles.end())
                return FailPlain(message_ids::kItemNotSetUp);
            if (style != kNumericStyle) continue;
            const std::string& value = EntryText(entry);
            if (!IsAmount(value))
                return Fail(messages_.GetResStringArg(message_ids::kItemValueNotNumber,
                                                      std::string(entry.name), value));
        }
        return true;
    }

    // A numeric item's value must be a number as a whole, or empty (written as 0, as an export
    // writes a Null item): the update would otherwise write the leading number of "1,234.50".
    static bool IsAmount(const std::string& value) {
        return base::IsFiniteNumber(value) || base::Trim(value).empty();
    }

    // The item query below compares with a subquery on the settings by name, which the production
    // database rejects when it finds several rows; SQLite would take the first.
    void RequireOneSetting(const ItemFacts& item) {
        if (item.settings > 1)
            db::ThrowSeveralRows("payroll item " + item.builtIn + " has " +
                                 std::to_string(item.settings) + " settings rows");
    }

    ItemCatalog& items_;
};

}  // namespace

bool ValidateItemRecord(const payroll::RecordContext& context, ItemCatalog& items,
                        xml::Element record, std::string& message) {
    return payroll::RunChecks<ItemRecordCheck>(context, record, message, items);
}

void ReadAheadItemRecords(const payroll::RecordContext& context, const xml::NodeList& records,
                          std::size_t index) {
    payroll::ReadAheadRecords(context, records, index, [&](std::size_t end) {
        std::vector<std::string> codes;
        std::vector<std::vector<std::string>> roster;
        for (std::size_t i = index; i < end; ++i) {
            std::string code = payroll::Field(records[i], "personno");
            roster.push_back(
                {payroll::PayrollNumberOf(context.connection, context.lookups, records[i]), code,
                 payroll::Field(records[i], "personname")});
            codes.push_back(std::move(code));
        }
        if (context.rules.codeInPersonMaster || context.rules.writersReadPersonMaster)
            payroll::ReadAheadPersonMaster(context.connection, context.lookups, codes);
        payroll::ReadAheadRosterRows(context.connection, context.lookups, roster);
    });
}

}  // namespace salary_item
