#pragma once
// A company with suppliers, products, stores and purchase orders, and the
// receipt window open on it, driven through its named components.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "deferred.h"
#include "modal_driver.h"
#include "stockrcv_forms.h"
#include "test_support.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/frame/picklist.h"
#include "varnex/ledger/receipt.h"
#include "varnex/messages.h"
#include "varnex/settings.h"

namespace stockrcv_test {

// Long enough for the server engine on a loaded machine; a broken test still ends.
inline constexpr int DialogLimitMs = varnex::test_support::DeferredLimitMs;

using FieldValues = QList<QPair<QString, QVariant>>;

// Appends one record with the given field values.
void Put(varnex::data::Database& db, const QString& table, const FieldValues& values);
// Sets fields of every record matching `where`.
void Update(varnex::data::Database& db, const QString& table, const FieldValues& where, const FieldValues& values);
// The number of records whose fields equal the given values.
int Count(varnex::data::Database& db, const QString& table, const FieldValues& where = {});
// A field of the first record matching `where`.
QVariant Value(varnex::data::Database& db, const QString& table, const FieldValues& where, const QString& field);

// Captures what the window hands to the posting; `failWith` is what the
// posting answers (empty: posted).
struct CapturedPosting {
    int calls = 0;
    varnex::ledger::StockReceipt receipt;
    QString failWith;

    void install();
    // Every serial of the receipt, in line order.
    QStringList serials() const;
};

// Types a serial into row `row` of the serial dialog's grid, as a user does.
void TypeSerial(varnex::stockrcv::Tstockrcv_serial_frm* dialog, int row, const QString& serial);

class ReceiptFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Seeds the company; a test may add rows before OpenWindow().
    void SeedCompany();
    void OpenWindow();

    // Typing into a box, then moving the focus on (the box's exit rules run).
    void Type(QWidget* box, const QString& text);
    void FocusTo(QWidget* next);
    // Types into cell (row, column) of the receipt grid and presses Enter;
    // returns once the line rules of the cell have run.
    void TypeCell(int row, int column, const QString& text);
    QString Cell(int row, int column) const;
    int Rows() const;
    // Runs what the window deferred (exit rules, cell rules, reloads of the
    // grid) until nothing is left.
    static void Settle();

    // Free receipt: supplier, packing slip, leaves for the date.
    void StartFreeReceipt(const QString& supplier, const QString& slip);
    // A free receipt from ACME with one line of `quantity` of a product.
    void ReceiveOneLine(const QString& slip, const QString& lineCode, const QString& itemCode, const QString& quantity);
    // Receipt against an order: order number, packing slip, then the
    // "Perform stock receipt by" dialog answered.
    void StartOrderReceipt(const QString& order, const QString& slip, bool complete);
    // Clicks Accept once the lines have enabled it.
    void Accept();

    QString Line(int n) const { return form->Message(n); }
    QStringList Shown() const { return messages.texts(); }

    varnex::test_support::ScratchSettings settings;
    QTemporaryDir root;
    QString dataRoot;
    std::shared_ptr<varnex::data::Database> company;
    varnex::RecordingMessageService messages;
    varnex::frame::RecordingPickListService picks;
    std::unique_ptr<varnex::stockrcv::Tstockrcv_dm> dm;
    std::unique_ptr<varnex::stockrcv::Tstockrcv_frm> form;
};

} // namespace stockrcv_test

// Readable texts in test failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '[' << texts.join(QStringLiteral(" | ")).toStdString() << ']';
}
QT_END_NAMESPACE
