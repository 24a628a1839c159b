#pragma once
// Data-aware widgets the module windows bind to: an edit box bound to a
// field, a money field shown with the process-wide currency settings, and a
// grid over a table that follows the table's cursor (and its master).

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include "varnex/currency.h"
#include "varnex/data/table.h"
#include "varnex/widgets/datasetmodel.h"

namespace varnex {

// Text of a field for display: dates in the short date format, money and
// numbers with the field's display format when it has one.
QString DisplayTextOf(const data::Field& field);

class TVarnexDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TVarnexDBEdit(QWidget* parent = nullptr);

    void setDataSet(data::DataSet* dataSet);
    void setDataField(const QString& fieldName);
    data::DataSet* dataSet() const { return m_dataSet; }
    const QString& dataField() const { return m_fieldName; }

    // Read-only boxes never write; a read-only field makes the box read-only too.
    void setBoxReadOnly(bool readOnly);

    // Shows the field of the current record again.
    void refreshFromField();
    // Writes the box to the field when the data set is being edited; false when
    // the value was refused (the box then shows the field again).
    bool writeToField();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    data::Field* boundField() const;
    void rebind();

    QPointer<data::DataSet> m_dataSet;
    QString m_fieldName;
    bool m_boxReadOnly = false;
    QList<QMetaObject::Connection> m_connections;
};

// A money amount shown with the process-wide currency string and formats.
// Bound to a field it follows the current record; unbound it shows value().
class TVarnexCurrencyField : public QLineEdit {
    Q_OBJECT
public:
    explicit TVarnexCurrencyField(QWidget* parent = nullptr);

    void setValue(Currency value);
    Currency value() const { return m_value; }
    void setDecimals(int decimals);
    void setDataSet(data::DataSet* dataSet, const QString& fieldName);
    // Formats again (after the currency display changed).
    void refresh();

private:
    Currency m_value;
    int m_decimals = 2;
    QPointer<data::DataSet> m_dataSet;
    QString m_fieldName;
    QList<QMetaObject::Connection> m_connections;
};

class TVarnexDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TVarnexDBGrid(QWidget* parent = nullptr);

    void setDataSet(data::DataSet* dataSet);
    void setColumns(const QList<GridColumn>& columns);
    DataSetModel* gridModel() const { return m_model; }
    // Column titles, as the translation sets them.
    QStringList columnTitles() const;
    void setColumnTitles(const QStringList& titles);

Q_SIGNALS:
    // The ellipsis button of a lookup column was pressed (or F2 in that column).
    void editButtonClicked(int column);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    void gridEntered();
    void gridLeft();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect lookupButtonRect(const QModelIndex& index) const;
    void showCurrentRow(int row);
    DataSetModel* m_model;
    int m_columnBeforeReset = -1;
};

// Paints the ellipsis button of lookup columns.
class LookupButtonDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    static QRect buttonRect(const QRect& cell);
};

} // namespace varnex
