#include "varnex/widgets/dbwidgets.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "varnex/data/engine_error.h"
#include "varnex/data/table.h"
#include "varnex/messages.h"
#include "varnex/regional.h"

namespace varnex {

using data::DataSet;
using data::DataSetState;
using data::Field;
using data::FieldType;

QString DisplayTextOf(const Field& field)
{
    if (field.isNull())
        return QString();
    switch (field.type()) {
    case FieldType::Date:
        return field.displayFormat().isEmpty() ? FormatShortDate(field.asDate())
                                               : FormatDate(field.asDate(), field.displayFormat());
    case FieldType::Money:
        return field.displayFormat().isEmpty() ? field.asMoney().toText(2)
                                               : FormatFloat(field.displayFormat(), field.asMoney());
    case FieldType::Number:
        return field.displayFormat().isEmpty() ? QString::number(field.asNumber(), 'g', 15)
                                               : FormatFloat(field.displayFormat(), field.asNumber());
    case FieldType::Timestamp:
        return FormatShortDate(field.asTimestamp().date()) + QLatin1Char(' ')
               + field.asTimestamp().time().toString(QStringLiteral("HH:mm:ss"));
    case FieldType::Logical: return field.asLogical() ? QStringLiteral("True") : QStringLiteral("False");
    default: return field.asString();
    }
}

namespace {

bool isEditing(const DataSet* dataSet)
{
    return dataSet && (dataSet->state() == DataSetState::Edit || dataSet->state() == DataSetState::Insert);
}

void disconnectAll(QList<QMetaObject::Connection>& connections)
{
    for (const auto& c : connections)
        QObject::disconnect(c);
    connections.clear();
}

} // namespace

// ---- TVarnexDBEdit ------------------------------------------------------------

TVarnexDBEdit::TVarnexDBEdit(QWidget* parent)
    : QLineEdit(parent)
{
}

void TVarnexDBEdit::setDataSet(DataSet* dataSet)
{
    m_dataSet = dataSet;
    rebind();
}

void TVarnexDBEdit::setDataField(const QString& fieldName)
{
    m_fieldName = fieldName;
    rebind();
}

void TVarnexDBEdit::setBoxReadOnly(bool readOnly)
{
    m_boxReadOnly = readOnly;
    refreshFromField();
}

Field* TVarnexDBEdit::boundField() const
{
    if (!m_dataSet || m_fieldName.isEmpty() || !m_dataSet->isOpen())
        return nullptr;
    return m_dataSet->findField(m_fieldName);
}

void TVarnexDBEdit::rebind()
{
    disconnectAll(m_connections);
    if (m_dataSet) {
        m_connections << connect(m_dataSet, &DataSet::recordChanged, this, &TVarnexDBEdit::refreshFromField);
        m_connections << connect(m_dataSet, &DataSet::dataSetChanged, this, &TVarnexDBEdit::refreshFromField);
        m_connections << connect(m_dataSet, &DataSet::stateChanged, this, &TVarnexDBEdit::refreshFromField);
        m_connections << connect(m_dataSet, &DataSet::fieldChanged, this, [this](int index) {
            if (Field* f = boundField(); f && f->index() == index && !hasFocus())
                refreshFromField();
        });
    }
    refreshFromField();
}

void TVarnexDBEdit::refreshFromField()
{
    Field* field = boundField();
    setText(field ? DisplayTextOf(*field) : QString());
    setReadOnly(m_boxReadOnly || field == nullptr || field->readOnly() || field->calculated());
    setModified(false);
}

bool TVarnexDBEdit::writeToField()
{
    Field* field = boundField();
    if (field == nullptr || isReadOnly() || !isModified())
        return true;
    if (!isEditing(m_dataSet))
        return true;
    try {
        if (field->type() == FieldType::Date) {
            const QString t = text().trimmed();
            const QDate date = ParseShortDate(t);
            if (!t.isEmpty() && !date.isValid())
                throw data::EngineError(data::ErrorCode::TypeMismatch,
                                        QStringLiteral("'%1' is not a valid date.").arg(t));
            if (t.isEmpty())
                field->clear();
            else
                field->setDate(date);
        } else if (field->type() == FieldType::Money) {
            const auto amount = Currency::parse(text(), Regional().decimalSeparator);
            if (!text().trimmed().isEmpty() && !amount)
                throw data::EngineError(data::ErrorCode::TypeMismatch,
                                        QStringLiteral("'%1' is not a valid amount.").arg(text()));
            if (amount)
                field->setMoney(*amount);
            else
                field->clear();
        } else {
            field->setString(text());
        }
        setModified(false);
        return true;
    } catch (const data::EngineError& error) {
        ShowErrorMessage(error.message(), this);
        refreshFromField();
        return false;
    }
}

void TVarnexDBEdit::focusOutEvent(QFocusEvent* event)
{
    writeToField();
    QLineEdit::focusOutEvent(event);
}

void TVarnexDBEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && isModified()) {
        refreshFromField();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        writeToField();
    QLineEdit::keyPressEvent(event);
}

// ---- TVarnexCurrencyField -----------------------------------------------------

TVarnexCurrencyField::TVarnexCurrencyField(QWidget* parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    refresh();
}

void TVarnexCurrencyField::setValue(Currency value)
{
    m_value = value;
    refresh();
}

void TVarnexCurrencyField::setDecimals(int decimals)
{
    m_decimals = std::clamp(decimals, 0, 4);
    refresh();
}

void TVarnexCurrencyField::setDataSet(DataSet* dataSet, const QString& fieldName)
{
    disconnectAll(m_connections);
    m_dataSet = dataSet;
    m_fieldName = fieldName;
    if (m_dataSet) {
        m_connections << connect(m_dataSet, &DataSet::recordChanged, this, &TVarnexCurrencyField::refresh);
        m_connections << connect(m_dataSet, &DataSet::dataSetChanged, this, &TVarnexCurrencyField::refresh);
        m_connections << connect(m_dataSet, &DataSet::fieldChanged, this, &TVarnexCurrencyField::refresh);
    }
    refresh();
}

void TVarnexCurrencyField::refresh()
{
    if (m_dataSet) {
        Field* field = m_dataSet->isOpen() ? m_dataSet->findField(m_fieldName) : nullptr;
        m_value = field ? field->asMoney() : Currency();
    }
    setText(FormatCurrency(m_value, m_decimals));
}

// ---- DataSetModel -------------------------------------------------------------

DataSetModel::DataSetModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void DataSetModel::setDataSet(DataSet* dataSet)
{
    disconnectAll(m_connections);
    m_dataSet = dataSet;
    if (m_dataSet) {
        m_connections << connect(m_dataSet, &DataSet::dataSetChanged, this, &DataSetModel::reload);
        m_connections << connect(m_dataSet, &DataSet::recordChanged, this, &DataSetModel::onRecordChanged);
        m_connections << connect(m_dataSet, &DataSet::stateChanged, this, &DataSetModel::onRecordChanged);
    }
    reload();
}

void DataSetModel::setColumns(const QList<GridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
    reload();
}

void DataSetModel::reload()
{
    // Walking the rows would move the cursor off a record being edited.
    if (m_moving || isEditing(m_dataSet))
        return;
    beginResetModel();
    m_rows.clear();
    m_raw.clear();
    m_all.clear();
    m_currentRow = -1;
    if (m_dataSet && m_dataSet->isOpen()) {
        m_moving = true;
        // Walk a copy of the position: remember the current record by its
        // field values and come back to it afterwards.
        QVariantList current;
        const bool hadRecord = !m_dataSet->isEmpty() && !m_dataSet->eof();
        for (int i = 0; i < m_dataSet->fieldCount() && hadRecord; ++i)
            current << m_dataSet->fieldByNumber(i).value();
        m_dataSet->disableControls();
        try {
            int row = 0;
            for (m_dataSet->first(); !m_dataSet->eof(); m_dataSet->next(), ++row) {
                QStringList texts;
                QVariantList raw;
                for (const GridColumn& column : m_columns) {
                    const Field* field = m_dataSet->findField(column.fieldName);
                    texts << (field ? DisplayTextOf(*field) : QString());
                    raw << (field ? field->value() : QVariant());
                }
                QVariantList all;
                for (int i = 0; i < m_dataSet->fieldCount(); ++i)
                    all << m_dataSet->fieldByNumber(i).value();
                if (hadRecord && m_currentRow < 0 && all == current)
                    m_currentRow = row;
                m_rows << texts;
                m_raw << raw;
                m_all << all;
            }
            if (m_currentRow >= 0)
                moveDataSetTo(m_currentRow);
            else if (!m_rows.isEmpty()) {
                m_dataSet->first();
                m_currentRow = 0;
            }
        } catch (...) {
            m_dataSet->enableControls();
            m_moving = false;
            endResetModel();
            throw;
        }
        m_dataSet->enableControls();
        m_moving = false;
    }
    endResetModel();
    Q_EMIT currentRowChanged(m_currentRow);
}

void DataSetModel::onRecordChanged()
{
    if (m_moving || !m_dataSet || !m_dataSet->isOpen() || isEditing(m_dataSet))
        return;
    // The cursor moved: find the current record among the rows read. A
    // record that is not there means the rows changed (the master moved, a
    // record was added): read them again.
    if (m_dataSet->isEmpty() || m_dataSet->eof()) {
        if (!m_rows.isEmpty())
            reload();
        return;
    }
    QVariantList current;
    for (int i = 0; i < m_dataSet->fieldCount(); ++i)
        current << m_dataSet->fieldByNumber(i).value();
    const auto found = std::find(m_all.cbegin(), m_all.cend(), current);
    if (found == m_all.cend()) {
        reload();
        return;
    }
    const int row = static_cast<int>(found - m_all.cbegin());
    if (row != m_currentRow) {
        m_currentRow = row;
        Q_EMIT currentRowChanged(row);
    }
}

bool DataSetModel::moveDataSetTo(int row)
{
    if (!m_dataSet || row < 0 || row >= m_rows.size())
        return false;
    const bool wasMoving = m_moving;
    m_moving = true;
    m_dataSet->first();
    for (int i = 0; i < row && !m_dataSet->eof(); ++i)
        m_dataSet->next();
    m_moving = wasMoving;
    if (m_currentRow != row) {
        m_currentRow = row;
        Q_EMIT currentRowChanged(row);
    }
    return !m_dataSet->eof();
}

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return m_rows[index.row()][index.column()];
    case Qt::TextAlignmentRole: return QVariant::fromValue(m_columns[index.column()].alignment);
    case Qt::UserRole: return m_raw[index.row()][index.column()];
    default: return QVariant();
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns[section].title.isEmpty() ? m_columns[section].fieldName : m_columns[section].title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool DataSetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole) || section < 0
        || section >= m_columns.size())
        return false;
    m_columns[section].title = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() < m_columns.size() && !m_columns[index.column()].readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_dataSet || !(flags(index) & Qt::ItemIsEditable))
        return false;
    auto* table = qobject_cast<data::Table*>(m_dataSet.data());
    if (!moveDataSetTo(index.row()))
        return false;
    m_moving = true;
    try {
        const bool started = !isEditing(m_dataSet);
        if (started && table)
            table->edit();
        m_dataSet->field(m_columns[index.column()].fieldName).setValue(value);
        if (started && table)
            table->post();
    } catch (const data::EngineError& error) {
        m_moving = false;
        if (table && isEditing(table))
            table->cancel();
        ShowErrorMessage(error.message());
        return false;
    }
    m_moving = false;
    const Field* field = m_dataSet->findField(m_columns[index.column()].fieldName);
    m_rows[index.row()][index.column()] = field ? DisplayTextOf(*field) : QString();
    m_raw[index.row()][index.column()] = field ? field->value() : QVariant();
    Q_EMIT dataChanged(index, index);
    return true;
}

// ---- TVarnexDBGrid ------------------------------------------------------------

TVarnexDBGrid::TVarnexDBGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new DataSetModel(this))
{
    setModel(m_model);
    setItemDelegate(new LookupButtonDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    connect(m_model, &DataSetModel::currentRowChanged, this, [this](int row) {
        if (row >= 0 && (!currentIndex().isValid() || currentIndex().row() != row))
            selectRow(row);
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (int i = 0; i < m_model->columns().size(); ++i)
            if (m_model->columns()[i].width > 0)
                setColumnWidth(i, m_model->columns()[i].width);
        if (m_model->currentRow() >= 0)
            selectRow(m_model->currentRow());
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (current.isValid() && current.row() != m_model->currentRow())
            m_model->moveDataSetTo(current.row());
    });
}

void TVarnexDBGrid::setDataSet(DataSet* dataSet)
{
    m_model->setDataSet(dataSet);
}

void TVarnexDBGrid::setColumns(const QList<GridColumn>& columns)
{
    m_model->setColumns(columns);
}

QStringList TVarnexDBGrid::columnTitles() const
{
    QStringList titles;
    for (int i = 0; i < m_model->columnCount(); ++i)
        titles << m_model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
    return titles;
}

void TVarnexDBGrid::setColumnTitles(const QStringList& titles)
{
    for (int i = 0; i < titles.size() && i < m_model->columnCount(); ++i)
        m_model->setHeaderData(i, Qt::Horizontal, titles[i], Qt::DisplayRole);
}

QRect TVarnexDBGrid::lookupButtonRect(const QModelIndex& index) const
{
    return LookupButtonDelegate::buttonRect(visualRect(index));
}

void TVarnexDBGrid::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyPressed(event->key(), event->modifiers());
    const QModelIndex index = currentIndex();
    if (event->key() == Qt::Key_F2 && index.isValid() && index.column() < m_model->columns().size()
        && m_model->columns()[index.column()].lookupButton) {
        Q_EMIT editButtonClicked(index.column());
        return;
    }
    QTableView::keyPressEvent(event);
}

void TVarnexDBGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    Q_EMIT gridEntered();
}

void TVarnexDBGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    Q_EMIT gridLeft();
}

void TVarnexDBGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.column() < m_model->columns().size() && m_model->columns()[index.column()].lookupButton
        && lookupButtonRect(index).contains(event->position().toPoint())) {
        setCurrentIndex(index);
        Q_EMIT editButtonClicked(index.column());
        return;
    }
    QTableView::mousePressEvent(event);
}

QRect LookupButtonDelegate::buttonRect(const QRect& cell)
{
    const int width = std::min(cell.height(), 18);
    return QRect(cell.right() - width + 1, cell.top(), width, cell.height());
}

void LookupButtonDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const auto* model = qobject_cast<const DataSetModel*>(index.model());
    if (model == nullptr || index.column() >= model->columns().size() || !model->columns()[index.column()].lookupButton)
        return;
    QStyleOptionButton button;
    button.rect = buttonRect(option.rect);
    button.text = QStringLiteral("…");
    button.state = QStyle::State_Enabled | QStyle::State_Raised;
    QApplication::style()->drawControl(QStyle::CE_PushButton, &button, painter);
}

} // namespace varnex
