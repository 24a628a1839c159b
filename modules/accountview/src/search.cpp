#include "varnex/accountview/search.h"

#include "varnex/currency.h"
#include "varnex/data/query.h"
#include "varnex/regional.h"

namespace varnex::accountview {

using data::FieldType;

namespace {

bool isDateField(FieldType type)
{
    return type == FieldType::Date || type == FieldType::Timestamp;
}

bool isTextField(FieldType type)
{
    return type == FieldType::Text || type == FieldType::Memo;
}

bool isIntegerField(FieldType type)
{
    return type == FieldType::Integer || type == FieldType::ShortInteger || type == FieldType::AutoIncrement;
}

QString comparison(SearchOperator op)
{
    switch (op) {
    case SearchOperator::Equal: return QStringLiteral("=");
    case SearchOperator::Greater: return QStringLiteral(">");
    case SearchOperator::Less: return QStringLiteral("<");
    case SearchOperator::NotEqual: return QStringLiteral("<>");
    case SearchOperator::Containing: break;
    }
    return QStringLiteral("=");
}

// LIKE with its wild cards made ordinary: the parameter is looked for as typed.
QString likePattern(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

std::optional<double> parseNumber(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// The text a "containing" search on a value that is not text looks in.
QString plainText(const QVariant& value)
{
    if (!value.isValid())
        return QString();
    if (value.canConvert<Currency>() && value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toText(2);
    if (value.metaType().id() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

} // namespace

int ParseLogical(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    static const QStringList yes = {QStringLiteral("T"),   QStringLiteral("TRUE"), QStringLiteral("Y"),
                                    QStringLiteral("YES"), QStringLiteral("O"),    QStringLiteral("OUI"),
                                    QStringLiteral("V"),   QStringLiteral("VRAI"), QStringLiteral("1")};
    static const QStringList no = {QStringLiteral("F"),  QStringLiteral("FALSE"), QStringLiteral("N"),
                                   QStringLiteral("NO"), QStringLiteral("NON"),   QStringLiteral("FAUX"),
                                   QStringLiteral("0")};
    if (yes.contains(t))
        return 1;
    if (no.contains(t))
        return 0;
    return -1;
}

AccountSearch BuildAccountSearch(const SearchRequest& r)
{
    AccountSearch s;
    const QString select = QStringLiteral("SELECT * FROM ") + r.table;
    const QString order = QStringLiteral(" ORDER BY ") + r.orderField;
    if (r.parameter.trimmed().isEmpty()) {
        s.sql = select + order;
        return s;
    }
    const QString f = r.field;
    const QString where = select + QStringLiteral(" WHERE ");

    if (isDateField(r.fieldType)) {
        if (r.op == SearchOperator::Containing) {
            s.runnable = false;
            return s;
        }
        QDate day = ParseDate(r.parameter.trimmed(), r.dateFormat);
        if (!day.isValid())
            day = r.today;
        // A day is the half-open span [day, next day): the same test for a
        // date and for a time stamp, on both engines.
        s.parameters = {{QStringLiteral("day"), FieldType::Date, day},
                        {QStringLiteral("nextday"), FieldType::Date, day.addDays(1)}};
        QString test;
        switch (r.op) {
        case SearchOperator::Equal:
            test = f + QStringLiteral(" >= :day AND ") + f + QStringLiteral(" < :nextday");
            break;
        case SearchOperator::Less:
            test = f + QStringLiteral(" < :day");
            s.parameters.removeLast();
            break;
        case SearchOperator::Greater:
            test = f + QStringLiteral(" >= :nextday");
            s.parameters.removeFirst();
            break;
        case SearchOperator::NotEqual:
            test = QStringLiteral("(") + f + QStringLiteral(" < :day OR ") + f + QStringLiteral(" >= :nextday)");
            break;
        case SearchOperator::Containing: break;
        }
        s.sql = where + test + order;
        return s;
    }

    if (isTextField(r.fieldType)) {
        if (r.op == SearchOperator::Containing) {
            s.sql = where + f + QStringLiteral(" LIKE :value ESCAPE '\\'") + order;
            s.parameters = {{QStringLiteral("value"), FieldType::Memo, likePattern(r.parameter)}};
        } else {
            s.sql = where + f + QLatin1Char(' ') + comparison(r.op) + QStringLiteral(" :value") + order;
            s.parameters = {{QStringLiteral("value"), FieldType::Memo, r.parameter}};
        }
        return s;
    }

    if (r.op == SearchOperator::Containing) {
        const QString wanted = r.parameter;
        const QString field = f;
        s.sql = select + order;
        s.filter = [wanted, field](data::DataSet& row) {
            const data::Field* value = row.findField(field);
            return value != nullptr && plainText(value->value()).contains(wanted);
        };
        return s;
    }

    if (r.fieldType == FieldType::Logical) {
        const int wanted = ParseLogical(r.parameter);
        if (wanted < 0) {
            s.runnable = false;
            return s;
        }
        // An empty logical field reads as false.
        const QString value = QStringLiteral("CASE WHEN ") + f + QStringLiteral(" THEN 1 ELSE 0 END");
        s.sql =
            where + value + QLatin1Char(' ') + comparison(r.op) + QLatin1Char(' ') + QString::number(wanted) + order;
        return s;
    }

    const std::optional<double> number = parseNumber(r.parameter);
    if (!number) {
        s.runnable = false;
        return s;
    }
    s.sql = where + f + QLatin1Char(' ') + comparison(r.op) + QStringLiteral(" :value") + order;
    if (r.fieldType == FieldType::Money)
        s.parameters = {
            {QStringLiteral("value"), FieldType::Money, QVariant::fromValue(Currency::fromDouble(*number))}};
    else if (isIntegerField(r.fieldType) && *number == static_cast<double>(static_cast<qlonglong>(*number)))
        s.parameters = {
            {QStringLiteral("value"), FieldType::Integer, QVariant::fromValue(static_cast<qlonglong>(*number))}};
    else
        s.parameters = {{QStringLiteral("value"), FieldType::Number, *number}};
    return s;
}

void PrepareQuery(data::Query& query, const AccountSearch& search)
{
    query.close();
    query.clearFilter();
    query.clearBindings();
    query.setSql(search.sql);
    for (const auto& p : search.parameters) {
        switch (p.type) {
        case FieldType::Date: query.bindDate(p.name, p.value.toDate()); break;
        case FieldType::Money: query.bindMoney(p.name, p.value.value<Currency>()); break;
        case FieldType::Integer: query.bindInteger(p.name, p.value.toLongLong()); break;
        case FieldType::Number: query.bindNumber(p.name, p.value.toDouble()); break;
        default: query.bindText(p.name, p.value.toString()); break;
        }
    }
    if (search.filter)
        query.setFilter(search.filter);
}

} // namespace varnex::accountview
