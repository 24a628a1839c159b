#pragma once
// The rows of a data set as a table model, for the grids.
//
// The model never reads the whole data set: it counts the records, and reads
// the rows a view asks for a page at a time, moving the data set's own cursor
// there and back (bound views are suspended meanwhile). A row is reached from
// the nearest position the model knows: the current record, a row it read
// before (by its key), or either end; only then does it step record by
// record. Writes made in this process on the data set's database (by its own
// cursor or any other) make it count and find the current record again.

#include <cstdint>
#include <map>

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>

#include "varnex/data/table.h"

namespace varnex {

struct GridColumn {
    QString fieldName;
    QString title;
    int width = 0; // 0: the view decides
    bool readOnly = true;
    bool lookupButton = false; // an ellipsis button in the cell
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Rows read together when a view asks for one that is not held.
    static constexpr int PageRows = 64;
    // Rows held at most; the pages farthest from the last one read go first.
    static constexpr int HeldRows = 1024;

    explicit DataSetModel(QObject* parent = nullptr);

    void setDataSet(data::DataSet* dataSet);
    data::DataSet* dataSet() const { return m_dataSet; }
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // A row that cannot be read now (the data set is being edited, its bound
    // views are suspended) is empty until the data set is browsed again.
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Moves the data set to the record shown in `row`; false when there is
    // none or the data set cannot move (a record being edited is posted first
    // by the engine, as any move does).
    bool moveDataSetTo(int row);
    // The row of the data set's current record (-1 when none).
    int currentRow() const { return m_currentRow; }
    // Counts the rows again and forgets every row read.
    void reload();
    // Reloads when this process wrote to the data set's database since the
    // rows were read and the data set can move now; the grid calls it while
    // idle, so that a record another cursor deleted or added shows.
    void checkForChanges();

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    // Where a record is: its identity within the data set and, for a table,
    // the values of its key for a keyed jump.
    struct Mark {
        std::int64_t id = 0;
        QVariantList values; // a table: its key; otherwise every field
        bool valid = false;
    };
    struct HeldRow {
        QStringList texts;
        QVariantList raw;
        Mark mark;
    };
    // Suspends the data set's bound views while the model moves the cursor.
    class Walk;

    void onDataSetChanged();
    void onRecordChanged();
    void onStateChanged();

    bool canMove() const;
    std::uint64_t writeStamp() const;
    Mark markOfCursor() const;
    bool sameRecord(const Mark& a, const Mark& b) const;
    void resolveKeyFields();
    QString currentKeySignature() const;
    // Row of the cursor's record among the rows held (or the current one).
    int knownRowOfCursor() const;
    // Finds the cursor's row by stepping to a known row or an end and back;
    // the cursor ends on the record it was on. -1 when the data set is empty.
    int locateCursor(bool backwardOnly);
    // Brings the cursor to `row`; `lastStepLoud`: the bound views see the
    // final move as an ordinary one. False when the rows no longer match.
    bool seek(int row, bool lastStepLoud);
    bool jumpTo(const Mark& mark);
    bool readPage(int row);
    void hold(int row, HeldRow&& held);
    void dropFarPages(int keepRow);
    // Held rows from `from` on move `by` rows (a row added or removed before them).
    void shiftHeldRows(int from, int by);
    HeldRow rowOfCursor();
    void adoptCursorAs(int row);
    bool followOwnWrite(std::uint64_t stamp);
    bool heldRowStillFits(int row);
    void resetRows();
    void reloadLater();

    QPointer<data::DataSet> m_dataSet;
    QPointer<data::Table> m_table;
    QList<GridColumn> m_columns;
    QStringList m_keyFields;
    QString m_keySignature; // table and order the key fields were found for
    std::map<int, HeldRow> m_rows;
    QHash<std::int64_t, int> m_rowOfId;
    int m_count = 0;
    int m_currentRow = -1;
    Mark m_currentMark;
    std::uint64_t m_stamp = 0;
    bool m_moving = false;
    bool m_missedRows = false; // a row was asked for that could not be read
    bool m_reloadQueued = false;
    bool m_reloadPending = false; // to be read again once the data set can move
    QList<QMetaObject::Connection> m_connections;
};

} // namespace varnex
