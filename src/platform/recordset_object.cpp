#include "platform/recordset_object.h"

#include "base/fault.h"
#include "com/automation.h"

namespace platform {

namespace {

using com::DispatchArguments;
using com::VARIANT;
using com::WORD;
using Link = std::shared_ptr<const db::Recordset*>;

const db::Recordset& RowsOf(const Link& link) {
    if (!*link) base::ThrowObjectNotSet("the recordset is closed: its export has ended");
    return **link;
}

class FieldObject final : public com::Automation<FieldObject> {
  public:
    FieldObject(Link link, std::size_t index) : link_(std::move(link)), index_(index) {}
    void* Answer(com::REFIID iid) { return com::AnswerDispatchOnly(this, iid); }

    static com::HRESULT Value(FieldObject& self, DispatchArguments&, WORD, VARIANT* out) {
        const db::Field field = RowsOf(self.link_)[self.index_];
        *out =
            (field.IsNull() ? com::Variant::Null() : com::Variant::FromText(field.Text())).Detach();
        return com::S_OK;
    }
    static com::HRESULT Name(FieldObject& self, DispatchArguments&, WORD, VARIANT* out) {
        *out = com::Variant::FromText(RowsOf(self.link_).columns()[self.index_].name).Detach();
        return com::S_OK;
    }
    static constexpr com::DispatchMember<FieldObject> kMembers[] = {{"Value", 0, 0, 0, &Value},
                                                                    {"Name", 1, 0, 0, &Name}};

  private:
    Link link_;
    std::size_t index_;
};

class FieldsObject final : public com::Automation<FieldsObject> {
  public:
    explicit FieldsObject(Link link) : link_(std::move(link)) {}
    void* Answer(com::REFIID iid) { return com::AnswerDispatchOnly(this, iid); }

    // By ordinal (from 0) or by name; a fault for neither.
    static com::HRESULT Item(FieldsObject& self, DispatchArguments& args, WORD, VARIANT* out) {
        const db::Recordset& rows = RowsOf(self.link_);
        const VARIANT key = com::Dereference(args.Raw(0));
        std::size_t index = 0;
        if (key.vt == com::VT_BSTR) {
            std::optional<std::size_t> found = rows.columns().Find(com::ToText(key));
            if (!found) base::ThrowInvalidArgument("no field " + com::ToText(key));
            index = *found;
        } else {
            const com::LONG ordinal = com::ToLong(key);
            if (ordinal < 0 || static_cast<std::size_t>(ordinal) >= rows.FieldCount())
                base::ThrowInvalidArgument("no field " + std::to_string(ordinal));
            index = static_cast<std::size_t>(ordinal);
        }
        com::ReturnObject(FieldObject::Create(self.link_, index), out);
        return com::S_OK;
    }
    static com::HRESULT Count(FieldsObject& self, DispatchArguments&, WORD, VARIANT* out) {
        *out = com::Variant::FromLong(static_cast<com::LONG>(RowsOf(self.link_).FieldCount()))
                   .Detach();
        return com::S_OK;
    }
    static constexpr com::DispatchMember<FieldsObject> kMembers[] = {{"Item", 0, 1, 1, &Item},
                                                                     {"Count", 1, 0, 0, &Count}};

  private:
    Link link_;
};

class RecordsetObject final : public com::Automation<RecordsetObject> {
  public:
    explicit RecordsetObject(Link link) : link_(std::move(link)) {}
    void* Answer(com::REFIID iid) { return com::AnswerDispatchOnly(this, iid); }

    static com::HRESULT Fields(RecordsetObject& self, DispatchArguments&, WORD, VARIANT* out) {
        RowsOf(self.link_);
        com::ReturnObject(FieldsObject::Create(self.link_), out);
        return com::S_OK;
    }
    static com::HRESULT Eof(RecordsetObject& self, DispatchArguments&, WORD, VARIANT* out) {
        *out = com::Variant::FromBool(RowsOf(self.link_).IsEOF()).Detach();
        return com::S_OK;
    }
    static constexpr com::DispatchMember<RecordsetObject> kMembers[] = {
        {"Fields", 0, 0, 0, &Fields}, {"EOF", 1, 0, 0, &Eof}};

  private:
    Link link_;
};

}  // namespace

RecordsetFace::RecordsetFace(const db::Recordset& rows)
    : link_(std::make_shared<const db::Recordset*>(&rows)),
      object_(RecordsetObject::Create(link_)) {}

RecordsetFace::~RecordsetFace() {
    *link_ = nullptr;
}

}  // namespace platform
