#pragma once
// SQL on the tables of one database, with named parameters written ":name"
// in the text. Parameters are bound by type (text, integer, number, date,
// money); the text itself never receives values, so user input cannot change
// a statement. A SELECT is read like a table (first/next/eof, fields by name).
//
// Money columns are stored as exact ten-thousandths. A result column that
// reads a money column directly comes back as money; a computed column
// (SUM(Cap_amount)) comes back as an integer count of ten-thousandths unless
// it is declared with declareResultField(name, FieldType::Money).

#include <memory>
#include <vector>

#include "varnex/data/table.h"

namespace varnex::data {

class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(QObject* parent = nullptr);
    Query(std::shared_ptr<Database> db, const QString& sql, QObject* parent = nullptr);
    ~Query() override;

    void setDatabase(std::shared_ptr<Database> db);
    void setAliasName(const QString& alias);
    void setSql(const QString& sql);
    const QString& sql() const { return m_sql; }

    // Names without the colon; case-insensitive. Binding a name the text does
    // not contain raises ErrorCode::QueryParameter at open/exec.
    void bindText(const QString& name, const QString& value);
    void bindInteger(const QString& name, std::int64_t value);
    void bindNumber(const QString& name, double value);
    void bindMoney(const QString& name, Currency value);
    void bindDate(const QString& name, const QDate& value);
    void bindNull(const QString& name);
    void clearBindings();
    void declareResultField(const QString& name, FieldType type);

    // Runs a SELECT and reads all its rows; positioned on the first.
    void open();
    void close();
    // Runs a data-changing statement (INSERT, UPDATE, DELETE); returns the
    // number of rows changed. Counts as one write for fault injection.
    int execSql();

    void first() override;
    void last() override;
    void next() override;
    void prior() override;
    int recordCount() override;
    int recordsBefore() override;
    void refresh() override;

private:
    struct Binding;
    void checkWritable(const Field& field) const override;
    void moveTo(long long row, int direction);
    void filterChanged() override;
    std::shared_ptr<Database> resolveDatabase();

    std::shared_ptr<Database> m_db;
    QString m_alias;
    QString m_sql;
    std::vector<std::unique_ptr<Binding>> m_bindings;
    QList<FieldDef> m_declared;
    std::vector<std::vector<QVariant>> m_rows;
    long long m_row = -1;
};

} // namespace varnex::data
