#pragma once
// Data-aware widgets the module windows bind to: an edit box bound to a
// field, a money field shown with the process-wide currency settings, and a
// grid over a table that follows the table's cursor (and its master).

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include "varnex/currency.h"
#include "varnex/data/table.h"

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

struct GridColumn {
    QString fieldName;
    QString title;
    int width = 0; // 0: the view decides
    bool readOnly = true;
    bool lookupButton = false; // an ellipsis button in the cell
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// The rows of a data set as a table model: every visible record (filter,
// range and master link apply), read again whenever the data set changes.
class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(QObject* parent = nullptr);

    void setDataSet(data::DataSet* dataSet);
    data::DataSet* dataSet() const { return m_dataSet; }
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Moves the data set to the record shown in `row`.
    bool moveDataSetTo(int row);
    // The row of the data set's current record (-1 when none).
    int currentRow() const { return m_currentRow; }
    // Reads every row again.
    void reload();

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    void onRecordChanged();

    QPointer<data::DataSet> m_dataSet;
    QList<GridColumn> m_columns;
    QList<QStringList> m_rows;
    QList<QVariantList> m_raw;
    QList<QVariantList> m_all; // every field of each row, to find the current record
    int m_currentRow = -1;
    bool m_moving = false;
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
    DataSetModel* m_model;
};

// Paints the ellipsis button of lookup columns.
class LookupButtonDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    static QRect buttonRect(const QRect& cell);
};

} // namespace varnex
