#include "payroll/record_fields.h"

#include "base/number.h"
#include "platform/components.h"

namespace payroll {

std::string Field(xml::Element record, std::string_view name) {
    return platform::SharedIntegrationKit().GetFieldValue(record, name);
}

std::string PayrollNumberOf(db::Connection& connection, db::LookupCache& lookups,
                            xml::Element record) {
    std::string payroll = Field(record, "salarygradeno");
    if (!payroll.empty()) return payroll;
    const db::LookupResult& byName =
        lookups.Find(connection, "SELECT * FROM WA_account WHERE cGZGradeName = ?",
                     {Field(record, "salarygradename")});
    return byName.RecordCount() > 0 ? byName.First("cgzgradenum").Text() : payroll;
}

std::int16_t RecordNumber(std::string_view text) {
    return base::ToInt16(base::LeadingNumber(text));
}

namespace {

// Reads `text` from the front, one piece at a time; every read fails once one has failed.
class DateReader {
  public:
    explicit DateReader(std::string_view text) : rest_(text) {}

    // A number of `least` to `most` digits.
    int Digits(std::size_t least, std::size_t most) {
        std::size_t n = 0;
        int value = 0;
        while (ok_ && n < most && n < rest_.size() && rest_[n] >= '0' && rest_[n] <= '9')
            value = value * 10 + (rest_[n++] - '0');
        ok_ = ok_ && n >= least;
        rest_.remove_prefix(ok_ ? n : 0);
        return value;
    }
    bool Skip(std::string_view literal) {
        if (!ok_ || rest_.substr(0, literal.size()) != literal) return false;
        rest_.remove_prefix(literal.size());
        return true;
    }
    void Expect(std::string_view literal) { ok_ = Skip(literal); }
    bool AtEnd() const { return ok_ && rest_.empty(); }
    bool ok() const { return ok_; }

  private:
    std::string_view rest_;
    bool ok_ = true;
};

bool IsCalendarDay(int year, int month, int day) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

// HH:MM, optionally :SS and a fraction of a second.
bool IsTime(DateReader& in) {
    int hour = in.Digits(1, 2);
    in.Expect(":");
    int minute = in.Digits(2, 2);
    int second = 0;
    if (in.Skip(":")) {
        second = in.Digits(2, 2);
        if (in.Skip(".")) in.Digits(1, 9);
    }
    return in.AtEnd() && hour < 24 && minute < 60 && second < 60;
}

}  // namespace

bool IsDate(std::string_view text) {
    DateReader in(text);
    int year = in.Digits(4, 4);
    int month = 0, day = 0;
    if (in.Skip("-") || in.Skip("/")) {
        const char separator = text[4];
        month = in.Digits(1, 2);
        in.Expect(std::string_view(&separator, 1));
        day = in.Digits(1, 2);
        if (!in.ok() || !IsCalendarDay(year, month, day)) return false;
        if (in.AtEnd()) return true;
        return (in.Skip("T") || in.Skip(" ")) && IsTime(in);
    }
    in.Expect("年");
    month = in.Digits(1, 2);
    in.Expect("月");
    day = in.Digits(1, 2);
    in.Expect("日");
    return in.AtEnd() && IsCalendarDay(year, month, day);
}

}  // namespace payroll
