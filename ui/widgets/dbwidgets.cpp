#include "varnex/widgets/dbwidgets.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>

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

// How often a grid looks for writes made by other cursors of this program.
constexpr int ChangeWatchMs = 250;

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
    connect(m_model, &DataSetModel::currentRowChanged, this, &TVarnexDBGrid::showCurrentRow);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_columnBeforeReset = currentIndex().column(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (int i = 0; i < m_model->columns().size(); ++i)
            if (m_model->columns()[i].width > 0)
                setColumnWidth(i, m_model->columns()[i].width);
        showCurrentRow(m_model->currentRow());
        // A hidden grid does not follow its current row by itself; it would
        // show (and read) the rows where the scroll bar stood before.
        if (currentIndex().isValid())
            scrollTo(currentIndex());
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (current.isValid() && current.row() != m_model->currentRow())
            m_model->moveDataSetTo(current.row());
    });
    // Another cursor of this program may delete or add records the grid
    // shows; nothing tells the grid's data set, so it looks while idle. An
    // open cell editor keeps its text: the rows are read again after it.
    auto* watch = new QTimer(this);
    watch->setInterval(ChangeWatchMs);
    connect(watch, &QTimer::timeout, this, [this] {
        if (state() != QAbstractItemView::EditingState && m_model->dataSet())
            m_model->checkForChanges();
    });
    watch->start();
}

// The row of the current record becomes the current row; the column stays
// where the user was (a reset of the rows keeps it too).
void TVarnexDBGrid::showCurrentRow(int row)
{
    if (row < 0 || row >= m_model->rowCount() || (currentIndex().isValid() && currentIndex().row() == row))
        return;
    int column = currentIndex().isValid() ? currentIndex().column() : m_columnBeforeReset;
    if (column < 0 || column >= m_model->columnCount())
        column = 0;
    setCurrentIndex(m_model->index(row, column));
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
