#pragma once
// Writes records field by field for the set-up code and the administration
// tool. A new record starts with every number, money and logical field at
// 0/false rather than NULL: the modules add to balances and statistics
// without testing for empty fields first.

#include "varnex/currency.h"
#include "varnex/data/table.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QString>

namespace varnex::data {

class RecordWriter {
public:
    explicit RecordWriter(Table& table)
        : m_table(table)
    {
    }

    void append()
    {
        m_table.append();
        for (int i = 0; i < m_table.fieldCount(); ++i) {
            Field& f = m_table.fieldByNumber(i);
            if (f.calculated())
                continue;
            switch (f.type()) {
            case FieldType::Integer:
            case FieldType::ShortInteger: f.setInteger(0); break;
            case FieldType::Number: f.setNumber(0.0); break;
            case FieldType::Money: f.setMoney(Currency()); break;
            case FieldType::Logical: f.setLogical(false); break;
            default: break;
            }
        }
    }
    void edit() { m_table.edit(); }
    void post() { m_table.post(); }

    void set(const QString& name, const QString& value) { m_table.field(name).setString(value); }
    void set(const QString& name, const char* value) { m_table.field(name).setString(QString::fromUtf8(value)); }
    void set(const QString& name, int value) { m_table.field(name).setInteger(value); }
    void set(const QString& name, qint64 value) { m_table.field(name).setInteger(value); }
    void set(const QString& name, double value) { m_table.field(name).setNumber(value); }
    void set(const QString& name, bool value) { m_table.field(name).setLogical(value); }
    void set(const QString& name, const QDate& value) { m_table.field(name).setDate(value); }
    void set(const QString& name, const QTime& value) { m_table.field(name).setTime(value); }
    void set(const QString& name, const QDateTime& value) { m_table.field(name).setTimestamp(value); }
    void set(const QString& name, Currency value) { m_table.field(name).setMoney(value); }
    void set(const QString& name, const QByteArray& value) { m_table.field(name).setBytes(value); }

    Table& table() { return m_table; }

private:
    Table& m_table;
};

} // namespace varnex::data
