#include "query/conditions.h"

#include <algorithm>
#include <set>

#include "base/fault.h"
#include "base/number.h"
#include "base/text.h"
#include "db/like_pattern.h"
#include "db/recordset.h"
#include "platform/components.h"

namespace query {

namespace {

constexpr const char* kGZDataCatalogue =
    "select WA_GZData.*,WA_grade.cPsnGrd AS cPsnGrd from WA_GZData left join WA_grade ON "
    "WA_GZData.iPsnGrd_id = WA_grade.iPsnGrd_id where 1 > 1";
constexpr const char* kPersonCatalogue =
    "select WA_psn.*,WA_grade.cPsnGrd AS cPsnGrd from WA_psn left join WA_grade ON "
    "WA_psn.iPsnGrd_id = WA_grade.iPsnGrd_id where 1 > 1";

// kBarePerson: the person builder of the first revision, which writes columns bare.
enum class Flavour { kItem, kKest, kPerson, kBarePerson };

bool IsQuotedType(db::DataType type) {
    switch (type) {
        case db::adDate:
        case db::adBSTR:
        case db::adWChar:
        case db::adDBDate:
        case db::adDBTime:
        case db::adDBTimeStamp:
        case db::adVarChar:
        case db::adLongVarChar:
        case db::adVarWChar:
        case db::adLongVarBinary:
            return true;
        default:
            return false;
    }
}

[[noreturn]] void Refuse(std::size_t position, const std::string& what) {
    base::ThrowInvalidArgument("query condition " + std::to_string(position) + ": " + what);
}

// A bare value enters the statement unquoted, so it must be a plain number.
bool IsPlainNumber(std::string_view text) {
    return !text.empty() && base::WholeNumber(text) &&
           text.find_first_not_of("0123456789+-.eE ") == std::string_view::npos;
}

// One condition element, read and checked.
struct Condition {
    xml::Element element;
    std::size_t position;  // from 1
    std::string name;
    std::string operation;
    std::string value;
    bool isList = false;  // in / not in
    bool wildcard = false;
};

Condition ReadCondition(xml::Element element, std::size_t position) {
    static const std::set<std::string> kOperations = {
        "=", "<>", "!=", "<", ">", "<=", ">=", "like", "not like", "in", "not in"};
    const platform::IntegrationKit& kit = platform::SharedIntegrationKit();
    Condition c{element, position, kit.GetAttribute(element, "name"),
                kit.GetAttribute(element, "operation"), kit.GetAttribute(element, "value")};
    std::string normalized = base::AsciiLower(base::Trim(c.operation));
    if (!kOperations.count(normalized))
        Refuse(position, "the operation '" + c.operation + "' is not allowed");
    c.isList = normalized == "in" || normalized == "not in";
    // Only the lower-case spelling asks for the wildcard.
    c.wildcard = c.operation.find("like") != std::string::npos;
    return c;
}

std::string Joiner(const Condition& c) {
    std::string logic = platform::SharedIntegrationKit().GetAttribute(c.element, "logic");
    std::string normalized = base::AsciiLower(base::Trim(logic));
    if (normalized != "and" && normalized != "or")
        Refuse(c.position, "the joiner '" + logic + "' is not allowed");
    return " " + logic + " ";
}

// How the database reads a text compared with a column of `type`.
db::Dialect::Column ColumnOf(db::DataType type) {
    const bool national = type == db::adWChar || type == db::adVarWChar ||
                          type == db::adLongVarWChar || type == db::adBSTR;
    return national ? db::Dialect::Column::kNational : db::Dialect::Column::kPlain;
}

// "('a','b')" for the value "a,b", each text quoted as the database reads it against a column
// of `type`.
std::string QuotedList(const db::Dialect& dialect, std::string_view value, db::DataType type) {
    std::string list = "(";
    for (std::size_t start = 0;;) {
        const std::size_t comma = value.find(',', start);
        list += dialect.QuotedText(value.substr(start, comma - start), ColumnOf(type));
        if (comma == std::string_view::npos) break;
        list += ",";
        start = comma + 1;
    }
    return list + ")";
}

// The value part of an ordinary condition against a column of `type`.
std::string ValuePart(const db::Dialect& dialect, const Condition& c, db::DataType type,
                      bool listsAllowed, Flavour flavour) {
    const std::string wildcard = c.wildcard ? "%" : "";
    const bool quoted = IsQuotedType(type);
    if (listsAllowed && c.isList) {
        if (quoted) return QuotedList(dialect, c.value, type);
        std::string rest = c.value;
        for (std::size_t start = 0;;) {
            std::size_t comma = rest.find(',', start);
            if (!IsPlainNumber(rest.substr(
                    start, comma == std::string::npos ? std::string::npos : comma - start)))
                Refuse(c.position, "the list '" + c.value + "' must hold numbers only");
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        return "(" + c.value + ")";
    }
    if (quoted) return dialect.QuotedText(c.value + wildcard, ColumnOf(type));
    if (!IsPlainNumber(c.value))
        Refuse(c.position, "the value '" + c.value + "' of column " + c.name + " must be a number");
    const bool person = flavour == Flavour::kPerson || flavour == Flavour::kBarePerson;
    return c.value + wildcard + (person && wildcard.empty() ? " " : "");
}

// A like whose pattern holds a character class, on a database whose LIKE reads none (MariaDB,
// MySQL): the regular expression that matches what the production database's LIKE matches.
Condition AsTheProductionDatabaseReadsIt(const db::Dialect& dialect, const Condition& c) {
    if (!dialect.LikeClassesAsRegex() || c.isList) return c;
    const std::string operation = base::AsciiLower(base::Trim(c.operation));
    if (operation != "like" && operation != "not like") return c;
    const std::string pattern = c.value + (c.wildcard ? "%" : "");
    if (!db::HasCharacterClass(pattern)) return c;
    Condition regex = c;
    regex.operation = operation == "like" ? "regexp" : "not regexp";
    regex.value = db::LikeAsRegex(pattern);
    regex.wildcard = false;
    return regex;
}

std::string ColumnPart(const std::string& fieldName, const std::string& operation,
                       Flavour flavour) {
    if (flavour == Flavour::kBarePerson) return fieldName + " " + operation + " ";
    if (flavour == Flavour::kPerson) {
        bool grade = base::AsciiLower(fieldName) == "cpsngrd";
        return (grade ? "WA_GRADE." : "WA_PSN.") + fieldName + " " + operation + " ";
    }
    if (fieldName == "cPsnGrd") return fieldName + " " + operation + " ";
    return " WA_GZData." + fieldName + " " + operation + " ";
}

class Catalogue {
  public:
    Catalogue(db::Connection& connection, const char* sql) {
        rows_.Open(sql, connection, db::adOpenForwardOnly, db::adLockReadOnly);
    }
    const db::Column& Find(const std::string& name) const {
        return rows_.columns()[rows_.columns().IndexOf(name)];
    }

  private:
    db::Recordset rows_;
};

std::vector<Condition> ReadAll(const xml::NodeList& conditions) {
    std::vector<Condition> all;
    for (std::size_t i = 0; i < conditions.size(); ++i)
        all.push_back(ReadCondition(conditions[i], i + 1));
    return all;
}

std::string Where(const std::string& text) {
    return text.empty() ? "" : "where " + text;
}

// The common algorithm of the item and person builders.
std::string BuildWhere(const xml::NodeList& list, db::Connection& connection,
                       const char* catalogueSql, Flavour flavour) {
    std::vector<Condition> conditions = ReadAll(list);
    Catalogue catalogue(connection, catalogueSql);
    std::string text;
    for (const Condition& c : conditions) {
        const db::Column& column = catalogue.Find(c.name);
        // Without a list the production database rejects "in 'x'" and "in 1" (SQLite would read
        // a quoted value as a table name): only the kest builder writes lists.
        if (c.isList)
            Refuse(c.position, "the operation '" + c.operation +
                                   "' needs a list, which only kest "
                                   "requests can give");
        const Condition read = AsTheProductionDatabaseReadsIt(connection.dialect(), c);
        text += ColumnPart(column.name, read.operation, flavour);
        text += ValuePart(connection.dialect(), read, column.type, false, flavour);
        if (c.position < conditions.size()) text += Joiner(c);
    }
    return Where(text);
}

void OpenIfClosed(db::Connection& connection) {
    if (connection.State() == db::adStateClosed) connection.Open(connection.ConnectionString());
}

}  // namespace

std::string BuildItemWhere(const xml::NodeList& conditions, db::Connection& connection,
                           ClosedConnection closed) {
    if (closed == ClosedConnection::kReopen) OpenIfClosed(connection);
    return BuildWhere(conditions, connection, kGZDataCatalogue, Flavour::kItem);
}

std::string BuildPersonWhere(const xml::NodeList& conditions, db::Connection& connection,
                             ColumnNames names) {
    return BuildWhere(conditions, connection, kPersonCatalogue,
                      names == ColumnNames::kBare ? Flavour::kBarePerson : Flavour::kPerson);
}

std::string ExportCondition(const std::string& where, std::string_view own) {
    constexpr std::string_view kWhere = "where ";
    if (where.empty()) return " where " + std::string(own);
    return "where (" + where.substr(kWhere.size()) + ") and " + std::string(own);
}

std::string MapKestFieldName(const std::string& name) {
    std::string lower = base::AsciiLower(name);
    if (lower == "salarygradeno") return "cGzGradeNum";
    if (lower == "departmentno") return "cDept_Num";
    if (lower == "salaryitem") return "iGzItem_id";
    if (lower == "month") return "iMonth";
    return name;
}

std::string BuildKestWhere(const xml::NodeList& list, db::Connection& connection,
                           std::string& itemFilter) {
    OpenIfClosed(connection);
    std::vector<Condition> conditions = ReadAll(list);
    auto isItem = [](const Condition& c) {
        return base::AsciiLower(MapKestFieldName(c.name)) == "igzitem_id";
    };
    // The item filter is one condition of its own, outside the WHERE text: a second one would
    // leave the joiner before it dangling.
    if (std::count_if(conditions.begin(), conditions.end(), isItem) > 1)
        Refuse(std::find_if(std::find_if(conditions.begin(), conditions.end(), isItem) + 1,
                            conditions.end(), isItem)
                   ->position,
               "a kest request takes one salary item condition; give several items as one "
               "list (operation 'in', value 'a,b')");
    Catalogue catalogue(connection, kGZDataCatalogue);
    const db::Dialect& dialect = connection.dialect();
    std::string filter = "WA_GZtblset.cSetGzitemName";
    const std::size_t itemFlag = std::any_of(conditions.begin(), conditions.end(), isItem) ? 1 : 0;
    bool sawItem = false;
    std::size_t position = 1;
    std::string text;
    for (const Condition& c : conditions) {
        if (isItem(c)) {
            sawItem = true;
            if (base::Trim(c.value).empty()) {
                filter.clear();
            } else {
                // Without a list operator: the list without its parentheses, the wildcard inside
                // its last quote.
                // Item names are national text (WA_GZtblset.cSetGZItemName).
                const Condition read = AsTheProductionDatabaseReadsIt(dialect, c);
                std::string names = QuotedList(dialect, read.value, db::adVarWChar);
                if (!c.isList)
                    names = names.substr(1, names.size() - 2 - 1) + (read.wildcard ? "%'" : "'");
                filter = " and " + filter + " " + read.operation + " " + names;
            }
            continue;
        }
        const db::Column& column = catalogue.Find(MapKestFieldName(c.name));
        const Condition read = AsTheProductionDatabaseReadsIt(dialect, c);
        text += ColumnPart(column.name, read.operation, Flavour::kKest);
        text += ValuePart(dialect, read, column.type, true, Flavour::kKest);
        if (position < conditions.size() - itemFlag) text += Joiner(c);
        ++position;
    }
    itemFilter = sawItem ? filter : "";
    return Where(text);
}

}  // namespace query
