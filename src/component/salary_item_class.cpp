#include "component/classes.h"
#include "component/page_delivery.h"
#include "platform/message_ids.h"
#include "salary_item/export.h"
#include "salary_item/kest_export.h"
#include "salary_item/update.h"
#include "salary_item/update_group.h"
#include "salary_item/validation.h"

namespace component {

SalaryItem::SalaryItem(const Behaviour& behaviour) : ServerObject(behaviour, behaviour.itemNames) {}

void* SalaryItem::Answer(const com::IID& iid) {
    if (iid == com::IID_IDispatch || iid == IID_SalaryItem || iid == IID_SalaryItemEarlier)
        return static_cast<SalaryItemInterface*>(this);
    return nullptr;
}

namespace {

void ExportItems(Instance& instance, const xml::NodeList& conditions, std::string& exportText) {
    salary_item::QueryProc(*instance.connection, instance.messages, conditions, exportText,
                           PageDeliveryOf(instance), instance.behaviour.itemConditions);
}

void ExportKest(Instance& instance, const xml::NodeList& conditions, std::string& exportText) {
    salary_item::QueryProcKest(
        *instance.connection, instance.messages, conditions, exportText, instance.itemFilter,
        [&instance](const std::string& page, std::int32_t n, std::int32_t count) {
            DeliverPage(instance, page, n, count);
        });
}

}  // namespace

namespace {

// On a server the records' UPDATEs go in groups: ItemRecords is its own WriteGroup.
class ItemRecords final : public RecordKind, public WriteGroup {
  public:
    explicit ItemRecords(Instance& instance) : instance_(instance) {}

    std::string_view RecordTag() const override { return "salaryitem"; }
    const char* NotXmlMessageId() const override { return message_ids::kXmlParseError; }
    bool ReadsKestFlag() const override { return instance_.behaviour.routesKest; }

    void ReadAhead(const xml::NodeList& records, std::size_t index) override {
        salary_item::ReadAheadItemRecords(Context(), records, index);
    }
    void BeginRecord() override { lookups_.ForgetRecord(); }
    // The UPDATE of the record's payroll row.
    bool WritesOneStatement(const db::Dialect&) const override { return true; }
    WriteGroup* Group(const db::Dialect& dialect) override {
        return dialect.HasJoinedUpdate() && instance_.behaviour.records.writersTrapLateFaults
                   ? this
                   : nullptr;
    }
    bool Validate(xml::Element record, std::string& message) override {
        return salary_item::ValidateItemRecord(Context(), items_, record, message);
    }
    bool Write(xml::Element record, std::string& message) override {
        return salary_item::UpdateItemData(Context(), items_, record, message);
    }
    bool Written(xml::Element record) override {
        return salary_item::ItemDataWritten(Context(), items_, record);
    }

    bool Plan(xml::Element record, std::string& message) override {
        return salary_item::PlanItemUpdate(Context(), items_, record, planned_, message);
    }
    bool Fits() const override { return group_.Fits(instance_.connection->dialect(), planned_); }
    void Join() override { group_.Add(std::move(planned_)); }
    std::string Unmatched() override {
        return salary_item::NoPayrollRowMessage(instance_.messages, planned_);
    }
    bool empty() const override { return group_.empty(); }
    bool Send(std::vector<bool>& written) override {
        return group_.Send(*instance_.connection, written);
    }
    void Clear() override { group_.Clear(); }

    void Export(const xml::NodeList& conditions, std::string& exportText) override {
        ExportItems(instance_, conditions, exportText);
    }
    void ExportKest(const xml::NodeList& conditions, std::string& exportText) override {
        component::ExportKest(instance_, conditions, exportText);
    }

  private:
    payroll::RecordContext Context() {
        return {*instance_.connection, instance_.messages, lookups_, instance_.behaviour.records};
    }

    Instance& instance_;
    // Reference data read for one record is remembered for the rest of the request.
    db::LookupCache lookups_;
    salary_item::ItemCatalog items_{instance_.messages, lookups_};
    salary_item::PlannedUpdate planned_;
    salary_item::ItemUpdateGroup group_;
};

}  // namespace

std::unique_ptr<RecordKind> SalaryItem::NewRecordKind(Instance& instance) {
    return std::make_unique<ItemRecords>(instance);
}

HRESULT WAGELINK_CALL SalaryItem::QueryProc(IDispatch* eleList, BSTR* sRetXml, BSTR, IDispatch**,
                                            VARIANT_BOOL* result) {
    return RunExport(eleList, sRetXml, result,
                     [this](const xml::NodeList& conditions, std::string& text) {
                         ExportItems(instance_, conditions, text);
                     });
}

HRESULT WAGELINK_CALL SalaryItem::QueryProcKest(IDispatch* eleList, BSTR* sRetXml, BSTR,
                                                IDispatch**, VARIANT_BOOL* result) {
    return RunExport(eleList, sRetXml, result,
                     [this](const xml::NodeList& conditions, std::string& text) {
                         ExportKest(instance_, conditions, text);
                     });
}

}  // namespace component
