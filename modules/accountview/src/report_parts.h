#pragma once
// Pieces the report forms of the account windows share: a field's value by
// name, a caption with its value, the account's name and address.

#include <functional>

#include "varnex/accountview/accountform.h"
#include "varnex/report/report.h"

namespace varnex::accountview::parts {

using report::Band;

constexpr double RowHeight = 5.0;
// Rows of the wide (landscape) reprints.
constexpr double LineHeight = 4.5;

// A column of a wide reprint: its left edge and width in millimetres.
struct Column {
    double x;
    double width;
};

inline QRectF At(Column column, double y, double height = LineHeight)
{
    return {column.x, y, column.width, height};
}

inline report::ReportText& RightAligned(report::ReportText& text)
{
    text.alignment = Qt::AlignRight | Qt::AlignTop;
    return text;
}
constexpr double LabelWidth = 42.0;

inline QVariant FieldValue(data::DataSet& set, const QString& name)
{
    data::Field* field = set.findField(name);
    return field ? field->value() : QVariant();
}

// A caption and the value beside it.
inline void Pair(Band& band, const QString& labelName, const QString& caption, const QString& fieldName, double x,
                 double y, std::function<QVariant()> value, double valueWidth = 50)
{
    band.label(labelName, {x, y, LabelWidth, RowHeight}, caption);
    band.field(fieldName, {x + LabelWidth + 2, y, valueWidth, RowHeight}, std::move(value));
}

// The account's name and address, read by code from the account table as each
// document prints.
class AccountAddress {
public:
    // `document` is open: the account table is read from its database.
    AccountAddress(TAccountDataModule& dm, data::Table& document)
        : m_side(dm.side())
    {
        m_table.setDatabase(document.database());
        m_table.setTableName(m_side.accountTable);
    }
    void find(const QString& code)
    {
        if (!m_table.isOpen())
            m_table.open();
        m_found = m_table.findKey({code});
    }
    QVariant field(const QString& suffix)
    {
        if (!m_found)
            return {};
        return FieldValue(m_table, (m_side.client ? QStringLiteral("Cli_") : QStringLiteral("Sup_")) + suffix);
    }

private:
    data::Table m_table;
    const AccountSide& m_side;
    bool m_found = false;
};

// An amount of the current record as a term of a sum: an empty amount counts
// 0, a field the table does not have is the error result.
inline QVariant MoneyValue(data::DataSet& set, const QString& name)
{
    data::Field* field = set.findField(name);
    return field ? QVariant::fromValue(field->asMoney()) : QVariant();
}

} // namespace varnex::accountview::parts
