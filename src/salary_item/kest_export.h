// QueryProcKest: the salary item export of kest requests. As QueryProc, with the person's
// department name and mobile phone in every record (after the mapper's content), request names
// mapped by MapKestFieldName with "in"/"not in" lists, and the item filter `itemFilter`
// (m_itemFilter, set by BuildKestWhere) restricting which items get entries.
//
// From the reading of `paginate` on, a failing step does not end the export: an unreadable
// `paginate` exports unpaged, a failing mapper call leaves a record without the mapper's
// content, a failing settings or name lookup leaves an entry without its `type` or `name`. What
// would lose records still ends it with a fault, as QueryProc's faults do: a condition refused or
// a statement the database rejects, a root without `roottag`, a page that cannot be delivered.
#pragma once

#include <string>

#include "db/connection.h"
#include "messages/messages.h"
#include "query/pager.h"
#include "xml/document.h"

namespace salary_item {

void QueryProcKest(db::Connection& connection, messages::Messages& messages,
                   const xml::NodeList& conditions, std::string& exportText,
                   std::string& itemFilter, const query::PageDelivery& deliver);

}  // namespace salary_item
