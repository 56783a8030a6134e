#include "component/classes.h"
#include "component/page_delivery.h"
#include "platform/message_ids.h"
#include "salary_item/export.h"
#include "salary_item/kest_export.h"
#include "salary_item/update.h"
#include "salary_item/validation.h"

namespace component {

SalaryItem::SalaryItem(const Behaviour& behaviour) : ServerObject(behaviour, behaviour.itemNames) {}

void* SalaryItem::Answer(const com::IID& iid) {
    if (iid == com::IID_IDispatch || iid == IID_SalaryItem || iid == IID_SalaryItemEarlier)
        return static_cast<SalaryItemInterface*>(this);
    return nullptr;
}

namespace {

void ExportItems(Instance& self, const xml::NodeList& conditions, std::string& sRetXml) {
    salary_item::QueryProc(*self.connection, self.messages, conditions, sRetXml,
                           PageDeliveryOf(self), self.behaviour.itemConditions);
}

void ExportKest(Instance& self, const xml::NodeList& conditions, std::string& sRetXml) {
    salary_item::QueryProcKest(*self.connection, self.messages, conditions, sRetXml,
                               self.itemFilter,
                               [&self](const std::string& page, std::int32_t n,
                                       std::int32_t count) { DeliverPage(self, page, n, count); });
}

}  // namespace

namespace {

class ItemRecords final : public RecordKind {
  public:
    explicit ItemRecords(Instance& self) : self_(self) {}

    std::string_view RecordTag() const override { return "salaryitem"; }
    const char* NotXmlMessageId() const override { return message_ids::kXmlParseError; }
    bool ReadsKestFlag() const override { return self_.behaviour.routesKest; }

    void ReadAhead(const xml::NodeList& records, std::size_t index) override {
        salary_item::ReadAheadItemRecords(Context(), records, index);
    }
    void BeginRecord() override { lookups_.ForgetRecord(); }
    // The UPDATE of the record's payroll row.
    bool WritesOneStatement(const db::Dialect&) const override { return true; }
    bool Validate(xml::Element record, std::string& message) override {
        return salary_item::ValidateItemRecord(Context(), items_, record, message);
    }
    bool Write(xml::Element record, std::string& message) override {
        return salary_item::UpdateItemData(Context(), items_, record, message);
    }
    bool Written(xml::Element record) override {
        return salary_item::ItemDataWritten(Context(), items_, record);
    }
    void Export(const xml::NodeList& conditions, std::string& sRetXml) override {
        ExportItems(self_, conditions, sRetXml);
    }
    void ExportKest(const xml::NodeList& conditions, std::string& sRetXml) override {
        component::ExportKest(self_, conditions, sRetXml);
    }

  private:
    payroll::RecordContext Context() {
        return {*self_.connection, self_.messages, lookups_, self_.behaviour.records};
    }

    Instance& self_;
    // Reference data read for one record is remembered for the rest of the request.
    db::LookupCache lookups_;
    salary_item::ItemCatalog items_{self_.messages, lookups_};
};

}  // namespace

std::unique_ptr<RecordKind> SalaryItem::NewRecordKind(Instance& self) {
    return std::make_unique<ItemRecords>(self);
}

HRESULT WAGELINK_CALL SalaryItem::QueryProc(IDispatch* eleList, BSTR* sRetXml, BSTR, IDispatch**,
                                            VARIANT_BOOL* result) {
    return RunExport(eleList, sRetXml, result,
                     [this](const xml::NodeList& conditions, std::string& text) {
                         ExportItems(self_, conditions, text);
                     });
}

HRESULT WAGELINK_CALL SalaryItem::QueryProcKest(IDispatch* eleList, BSTR* sRetXml, BSTR,
                                                IDispatch**, VARIANT_BOOL* result) {
    return RunExport(eleList, sRetXml, result,
                     [this](const xml::NodeList& conditions, std::string& text) {
                         ExportKest(self_, conditions, text);
                     });
}

}  // namespace component
