#pragma once
// Fills one table of the demonstration company.

#include "record_writer.h"

#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/schema.h"
#include "varnex/data/table.h"

#include <QVariant>

#include <memory>
#include <vector>

class TableFiller {
public:
    TableFiller(std::shared_ptr<varnex::data::Database> db, const QString& name) : m_writer(m_table)
    {
        m_table.setDatabase(std::move(db));
        m_table.setTableName(name);
        m_table.open();
        // Nothing is bound to it; spare the notifications.
        m_table.disableControls();
    }

    varnex::data::RecordWriter& add()
    {
        m_writer.append();
        ++m_rows;
        return m_writer;
    }
    void post() { m_writer.post(); }
    // A field of the record just posted (autoincrement values).
    qint64 integer(const QString& field) { return m_table.field(field).asInteger(); }
    varnex::data::Table& table() { return m_table; }
    int rows() const { return m_rows; }
    const QString& name() const { return m_table.tableName(); }

private:
    varnex::data::Table m_table;
    varnex::data::RecordWriter m_writer;
    int m_rows = 0;
};

// Appends records with one prepared INSERT statement: what the large demo
// uses, where a cursor per record would cost far more than the data itself.
// Every stored field is written; numbers and logicals start at 0/false as
// with RecordWriter, autoincrement fields take the number given (the caller
// numbers them), texts are cut to their size.
class BulkInserter {
public:
    BulkInserter(std::shared_ptr<varnex::data::Database> db, const QString& table)
        : m_def(varnex::data::FindTableDef(table)), m_query(std::move(db), QString())
    {
        if (!m_def)
            throw varnex::data::SetupError(QStringLiteral("No table %1 in the catalogue.").arg(table));
        QStringList columns, parameters;
        for (int i = 0; i < m_def->fields.size(); ++i) {
            columns << m_def->fields[i].name;
            parameters << QStringLiteral(":p%1").arg(i);
        }
        m_query.setSql(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(table, columns.join(QLatin1Char(',')), parameters.join(QLatin1Char(','))));
        m_values.resize(static_cast<std::size_t>(m_def->fields.size()));
    }

    BulkInserter& add()
    {
        for (int i = 0; i < m_def->fields.size(); ++i) {
            switch (m_def->fields[i].type) {
            case varnex::data::FieldType::Integer:
            case varnex::data::FieldType::ShortInteger:
            case varnex::data::FieldType::Logical: m_values[i] = QVariant(qlonglong(0)); break;
            case varnex::data::FieldType::Number: m_values[i] = QVariant(0.0); break;
            case varnex::data::FieldType::Money: m_values[i] = QVariant::fromValue(varnex::Currency()); break;
            default: m_values[i] = QVariant(); break;
            }
        }
        return *this;
    }

    void set(const QString& name, const QString& value) { at(name) = value; }
    void set(const QString& name, const char* value) { at(name) = QString::fromUtf8(value); }
    void set(const QString& name, int value) { at(name) = qlonglong(value); }
    void set(const QString& name, qint64 value) { at(name) = qlonglong(value); }
    void set(const QString& name, double value) { at(name) = value; }
    void set(const QString& name, bool value) { at(name) = qlonglong(value ? 1 : 0); }
    void set(const QString& name, const QDate& value) { at(name) = value; }
    void set(const QString& name, varnex::Currency value) { at(name) = QVariant::fromValue(value); }

    void post()
    {
        using varnex::data::FieldType;
        for (int i = 0; i < m_def->fields.size(); ++i) {
            const QString p = QStringLiteral("p%1").arg(i);
            const QVariant& v = m_values[i];
            const varnex::data::FieldDef& f = m_def->fields[i];
            if (!v.isValid()) {
                m_query.bindNull(p);
                continue;
            }
            switch (f.type) {
            case FieldType::Text:
            case FieldType::Memo: m_query.bindText(p, f.size > 0 && f.type == FieldType::Text ? v.toString().left(f.size) : v.toString()); break;
            case FieldType::Integer:
            case FieldType::ShortInteger:
            case FieldType::Logical:
            case FieldType::AutoIncrement: m_query.bindInteger(p, v.toLongLong()); break;
            case FieldType::Number: m_query.bindNumber(p, v.toDouble()); break;
            case FieldType::Money: m_query.bindMoney(p, v.value<varnex::Currency>()); break;
            case FieldType::Date: m_query.bindDate(p, v.toDate()); break;
            default: m_query.bindNull(p); break;
            }
        }
        m_query.execSql();
        ++m_rows;
    }

    int rows() const { return m_rows; }

private:
    QVariant& at(const QString& name)
    {
        const int i = m_def->fieldIndex(name);
        if (i < 0)
            throw varnex::data::SetupError(QStringLiteral("No field %1 in %2.").arg(name, m_def->name));
        return m_values[static_cast<std::size_t>(i)];
    }

    const varnex::data::TableDef* m_def;
    varnex::data::Query m_query;
    std::vector<QVariant> m_values;
    int m_rows = 0;
};
