#pragma once
// The pick lists and the quick link are outside libraries; modules call them
// through this service so that tests can answer instead of a user. The
// default service finds the entry points in the libraries the calling module
// was linked with.
//
// Entry points (record by value last; the string to fill before it):
//   suppick   std::int32_t ApGetSupplier(VxStr* code, TLinkSection)
//   accpick   std::int32_t GlGetAccount(TLinkSection)           account, 0 when cancelled
//   projpick  std::int32_t Getproject(VxStr* project, TLinkSection)
//   phasepick std::int32_t Getphase(TLinkSection)               JcPhase_No, 0 when cancelled
//   elempick  std::int32_t Getelem(VxStr* element, TLinkSection)
//   prodpick  std::int32_t GetLineCd(VxStr* key, TLinkSection)  3-character line code + item code
//   docpick   std::int32_t CfhdrGetDoc(VxStr* order, TLinkSection) document type in Link_context
//   linkpanel std::int32_t QuickLink(TLinkSection)
// The string entry points return 1 when something was chosen, 0 otherwise.

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>

#include "varnex/linksection.h"

class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace varnex::data {
class DataSet;
}

namespace varnex::frame {

class PickListService {
public:
    virtual ~PickListService() = default;
    virtual QString ApGetSupplier(const TLinkSection& record) = 0;
    virtual int GlGetAccount(const TLinkSection& record) = 0;
    virtual QString Getproject(const TLinkSection& record) = 0;
    virtual int Getphase(const TLinkSection& record) = 0;
    virtual QString Getelem(const TLinkSection& record) = 0;
    virtual QString GetLineCd(const TLinkSection& record) = 0;
    virtual QString CfhdrGetDoc(const TLinkSection& record) = 0;
    virtual void QuickLink(const TLinkSection& record) = 0;
};

// The service in force. The default one looks the entry points up in the
// libraries linked by the module that holds `moduleAddress` (set by
// SetPickListModule at module entry).
PickListService& PickLists();
void SetPickListService(PickListService* service);
void SetPickListModule(const void* moduleAddress);

// A service for tests: answers from the queues, records each call with the
// record's Link_context.
class RecordingPickListService : public PickListService {
public:
    RecordingPickListService();
    ~RecordingPickListService() override;
    QString ApGetSupplier(const TLinkSection& record) override;
    int GlGetAccount(const TLinkSection& record) override;
    QString Getproject(const TLinkSection& record) override;
    int Getphase(const TLinkSection& record) override;
    QString Getelem(const TLinkSection& record) override;
    QString GetLineCd(const TLinkSection& record) override;
    QString CfhdrGetDoc(const TLinkSection& record) override;
    void QuickLink(const TLinkSection& record) override;

    QStringList textAnswers;
    QList<int> numberAnswers;
    // "ApGetSupplier:<context>", ...
    QStringList calls;

private:
    QString nextText(const char* entry, const TLinkSection& record);
    int nextNumber(const char* entry, const TLinkSection& record);
};

// ---- the pick list window shared by the outside libraries -------------------

// The texts are the window's design texts (English); the table "picklists" +
// language code puts them into the user's language.
struct PickColumn {
    QString field;
    QString title;
    int width = 0;
};

struct PickListSpec {
    QString objectName; // the window's name ("SupplierPick")
    QString caption;
    QString tableName;   // in the company folder of the record
    QString indexFields; // order of the rows; empty: primary key
    QList<PickColumn> columns;
    QStringList resultFields;                   // the values returned for the chosen row
    std::function<bool(data::DataSet&)> filter; // rows to offer; empty: all
};

// A searchable list: typing in the search box keeps the rows that contain the
// text in any column; Enter or a double click chooses, Escape cancels.
class TPickListDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPickListDialog(const PickListSpec& pickList, QWidget* parent = nullptr);

    // Reads the rows from the table in `folder`; false (and the reason in
    // errorText) when the table cannot be read.
    bool load(const QString& folder);
    const QString& errorText() const { return m_error; }
    // The result fields of the chosen row (empty before a choice).
    const QVariantList& chosen() const { return m_chosen; }

    QLineEdit* SearchEdit;
    QTableView* PickGrid;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void choose();
    PickListSpec m_spec;
    QStandardItemModel* m_model;
    QSortFilterProxyModel* m_filter;
    QList<QVariantList> m_results;
    QVariantList m_chosen;
    QString m_error;
};

// Shows the pick list over the company folder of the record; the chosen row's
// result fields, or nothing when cancelled or when the table cannot be read
// (then a message says why).
std::optional<QVariantList> RunPickList(const PickListSpec& pickList, const TLinkSection& record);

// Translates a pick window with the table "picklists" + the record's
// language code; without the table the window keeps its own texts.
void TranslatePickWindow(QWidget* window, const TLinkSection& record);

// Fills a string slot of an entry point: releases what the caller had there.
void FillString(VxStr* slot, const QString& text);

} // namespace varnex::frame
