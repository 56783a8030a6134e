// What an interface revision changes in the classes and their drivers. The defaults are the
// current revision's; revisions/ holds the earlier ones. A behaviour is static data that every
// instance of a library refers to.
#pragma once

#include <span>

#include "messages/item_names.h"
#include "messages/messages.h"
#include "payroll/record_rules.h"
#include "query/conditions.h"

namespace component {

struct Behaviour {
    payroll::RecordRules records;
    // Exports deliver pages to the caller held by AddObjectReference; without, an export is never
    // paged and returns every record in sRetXml.
    bool holdsCaller = true;
    // An ISalaryItem QUERY whose first salaryitem says type="kest" goes to QueryProcKest.
    bool routesKest = true;
    // A root attribute mode="validate" makes an ADD a trial.
    bool knowsValidateMode = true;
    query::ClosedConnection itemConditions = query::ClosedConnection::kReopen;
    query::ColumnNames personConditions = query::ColumnNames::kPrefixed;
    // The payroll item names Lang and unLang translate, per class.
    std::span<const messages::ItemName> itemNames = messages::SalaryItemNames();
    std::span<const messages::ItemName> personNames = messages::SalaryPersonNames();
    // Fixed message texts in place of the message resource (empty: the resource).
    std::span<const messages::FixedText> fixedTexts;
};

// The current revision's behaviour.
const Behaviour& CurrentBehaviour();

}  // namespace component
