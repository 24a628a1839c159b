#pragma once
// The account search of the list tab. The typed parameter never becomes part
// of the statement: it is bound as a value of the searched field's type, so a
// quote or a percent sign is an ordinary character and nothing typed reaches
// the engine as SQL.

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

#include "varnex/data/schema.h"

namespace varnex::data {
class DataSet;
class Query;
} // namespace varnex::data

namespace varnex::accountview {

// The items of the operator box, in order.
enum class SearchOperator { Equal = 0, Greater = 1, Less = 2, NotEqual = 3, Containing = 4 };

struct SearchRequest {
    QString table;      // "cli"
    QString orderField; // "Cli_code": the list is in code order on both engines
    QString field;      // the searched field's name
    data::FieldType fieldType = data::FieldType::Text;
    SearchOperator op = SearchOperator::Equal;
    QString parameter;  // as typed
    QString dateFormat; // the short date format the parameter is read in
    QDate today;        // a date parameter that is not a date searches this day
};

struct AccountSearch {
    // False when the search cannot be run (containing on a date, a number
    // parameter that is not a number): the window shows its message line 6.
    bool runnable = true;
    QString sql;
    struct Parameter {
        QString name;
        data::FieldType type;
        QVariant value;
    };
    QList<Parameter> parameters;
    // "Containing" on a number, amount or logical field is a test of the
    // value's text, the same on both engines.
    std::function<bool(data::DataSet&)> filter;
};

AccountSearch BuildAccountSearch(const SearchRequest& request);

// Gives the query the search's text, bindings and filter (does not open it).
void PrepareQuery(data::Query& query, const AccountSearch& search);

// The words accepted for true and false in a logical parameter (English and
// French, any case); nullopt-like: returns -1 when the text is neither.
int ParseLogical(const QString& text);

} // namespace varnex::accountview
