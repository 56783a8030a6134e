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

Operations SalaryItem::MakeOperations(Instance& self) {
    Operations ops;
    ops.recordTag = "salaryitem";
    ops.notXmlMessageId = message_ids::kXmlParseError;
    ops.readsKestFlag = self.behaviour.routesKest;
    // Reference data read for one record is remembered for the rest of the request.
    auto lookups = std::make_shared<db::LookupCache>();
    auto items = std::make_shared<salary_item::ItemCatalog>(self.messages, *lookups);
    ops.readAhead = [&self, lookups](const xml::NodeList& records, std::size_t index) {
        salary_item::ReadAheadItemRecords(*self.connection, *lookups, records, index,
                                          self.behaviour.records);
    };
    ops.beginRecord = [lookups] { lookups->ForgetRecord(); };
    // The UPDATE of the record's payroll row.
    ops.writesOneStatement = [](const db::Dialect&) { return true; };
    ops.validate = [&self, lookups, items](xml::Element record, std::string& message) {
        return salary_item::ValidateItemRecord(*self.connection, self.messages, *lookups, *items,
                                               record, message, self.behaviour.records);
    };
    ops.write = [&self, lookups, items](xml::Element record, std::string& message) {
        return salary_item::UpdateItemData(*self.connection, self.messages, *lookups, *items,
                                           record, message, self.behaviour.records);
    };
    ops.written = [&self, lookups, items](xml::Element record) {
        return salary_item::ItemDataWritten(*self.connection, self.messages, *lookups, *items,
                                            record, self.behaviour.records);
    };
    ops.query = [&self](const xml::NodeList& conditions, std::string& sRetXml) {
        ExportItems(self, conditions, sRetXml);
    };
    ops.queryKest = [&self](const xml::NodeList& conditions, std::string& sRetXml) {
        ExportKest(self, conditions, sRetXml);
    };
    return ops;
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
