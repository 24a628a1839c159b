#pragma once
// Fills one table of the demonstration company.

#include "record_writer.h"

#include "varnex/data/database.h"
#include "varnex/data/table.h"

#include <memory>

class TableFiller {
public:
    TableFiller(std::shared_ptr<varnex::data::Database> db, const QString& name)
        : m_writer(m_table)
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
