// What each class plugs into Transact: the records of its ADD (their checks, writer, read-back and
// read-ahead) and its exports. Made for each request by the class (SalaryItem::NewRecordKind,
// SalaryPerson::NewRecordKind): it owns the reference data remembered for the request's records
// and hands the checks and writers one context (payroll/record_context.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "db/dialect.h"
#include "xml/document.h"

namespace component {

// The writes of many records gathered into one statement, where a round trip is what a record
// costs (a server): the batch plans each record's write in place of its writer, sends the group
// in a transaction of its own, and reports each record's outcome once it is committed
// (component/write_groups.h).
class WriteGroup {
  public:
    virtual ~WriteGroup() = default;
    // Whether the group holds a write that the checks of `record` read (an enrolment of its
    // person): the group is then sent before they run.
    virtual bool Holds(xml::Element) { return false; }
    // After the record's checks passed: plans its write. False, with why, for a record the
    // writer would not write.
    virtual bool Plan(xml::Element record, std::string& message) = 0;
    // Whether the record planned may join the group, or the group must be sent first.
    virtual bool Fits() const = 0;
    // The record planned joins the group.
    virtual void Join() = 0;
    // The failure of the record planned, should no row take its write.
    virtual std::string Unmatched() = 0;
    virtual bool empty() const = 0;
    // Sends the group's writes inside the caller's transaction, which keeps them only when the
    // answer is true: written[i] tells whether the i-th record that joined was written. False
    // when the database's answer does not tell each record's outcome: the records are then
    // written one by one.
    virtual bool Send(std::vector<bool>& written) = 0;
    virtual void Clear() = 0;
};

class RecordKind {
  public:
    virtual ~RecordKind() = default;

    // The record element: "salaryitem" or "salaryperson".
    virtual std::string_view RecordTag() const = 0;
    // The message of the answer "100" for a request that is not XML.
    virtual const char* NotXmlMessageId() const = 0;
    // Whether a QUERY whose first record says type="kest" is the kest export.
    virtual bool ReadsKestFlag() const { return false; }

    // Before each record of an ADD, with its place among them: reads ahead, now and then, what the
    // checks of the records to come will look up.
    virtual void ReadAhead(const xml::NodeList& records, std::size_t index) = 0;
    // As each attempt at a record begins: what was read for the record before is forgotten.
    virtual void BeginRecord() = 0;
    // Whether, on a database of `dialect`, the writer's one statement is all a record writes: on
    // a server it then commits by itself, and the record costs one round trip, not a
    // transaction's three.
    virtual bool WritesOneStatement(const db::Dialect& dialect) const = 0;
    // Where the writes of this kind's records go in groups on a database of `dialect`, the group
    // they gather in; null where each record is written by itself.
    virtual WriteGroup* Group(const db::Dialect&) { return nullptr; }
    // The checks: false, with the failure message, for a record that fails one; writes nothing.
    virtual bool Validate(xml::Element record, std::string& message) = 0;
    // The writer: false, with why, for a record it did not write.
    virtual bool Write(xml::Element record, std::string& message) = 0;
    // Whether the database holds what `record` writes: asked on a new connection when the link
    // broke while the record's commit was on its way.
    virtual bool Written(xml::Element record) = 0;

    virtual void Export(const xml::NodeList& conditions, std::string& exportText) = 0;
    // The kest export, for a kind that reads the kest flag.
    virtual void ExportKest(const xml::NodeList& conditions, std::string& exportText) {
        Export(conditions, exportText);
    }
};

}  // namespace component
