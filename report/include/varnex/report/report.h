#pragma once
// The banded report engine. A report is a tree of bands holding texts; the
// engine walks the records of a master source (and of each sub-detail source
// per master record), lays the bands out on pages and paints the pages with
// QPainter on any paged device: the print preview, a printer or a PDF file.
//
// Units are millimetres from the top left of the band. A hidden text keeps its
// place: bands never close up, so a report lines up row for row with the form
// it reproduces.
//
// A report is a QWidget (never shown) so that the form translation finds its
// texts by name: a label is a ReportLabelItem, a page number a
// ReportSystemDataItem.

#include <functional>
#include <memory>
#include <vector>

#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <QWidget>

#include "varnex/currency.h"
#include "varnex/translation/translate.h"

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace varnex::data {
class DataSet;
class Database;
} // namespace varnex::data

namespace varnex::report {

class Band;
class Report;

using ValueFunction = std::function<QVariant()>;

// What a data text shows for a value: numbers and money through the display
// mask (FormatFloat) when there is one, dates in the short date format, texts
// as they are. An invalid QVariant is the error result and prints nothing.
QString FormatReportValue(const QVariant& value, const QString& mask);

class ReportText : public QObject, public translation::ReportLabelItem {
    Q_OBJECT
public:
    ReportText(Band* band, const QString& name, const QRectF& rect);

    QRectF rect;
    QString caption;     // what a label prints
    ValueFunction value; // a data text's value, read when its band prints
    QString mask;        // display mask of a number or an amount
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = false; // a memo
    bool bold = false;
    double pointSize = 8.0;
    bool visible = true;

    // The text as it prints at this moment.
    virtual QString text() const;
    void setTranslatedCaption(const QString& translated) override { caption = translated; }
};

// "Page n": the caption ("Page") is followed by the page being laid out.
class PageNumberText : public ReportText, public translation::ReportSystemDataItem {
    Q_OBJECT
public:
    PageNumberText(Band* band, const QString& name, const QRectF& rect, const Report& report);
    QString text() const override;
    void setTranslatedText(const QString& translated) override { caption = translated; }

private:
    const Report& m_report;
};

enum class BandKind {
    PageHeader,
    ColumnHeader,
    GroupHeader,
    Detail,
    SubDetailHeader,
    SubDetail,
    SubDetailFooter,
    Child,
    GroupFooter,
    Summary,
    PageFooter
};

class Band : public QObject {
    Q_OBJECT
public:
    Band(Report& report, BandKind kind, const QString& name, double height);

    BandKind kind() const { return m_kind; }
    double height = 0;

    ReportText& label(const QString& name, const QRectF& rect, const QString& caption);
    ReportText& field(const QString& name, const QRectF& rect, ValueFunction value, const QString& mask = {});
    PageNumberText& pageNumber(const QString& name, const QRectF& rect, const QString& caption);
    std::vector<ReportText*> texts() const;

    // Runs before each print of the band; false leaves this print out (and
    // its child band with it). Texts shown or hidden here stay so until
    // changed again.
    std::function<bool()> beforePrint;
    std::function<void()> afterPrint;

    // The band printed right after each print of this one.
    Band& addChild(const QString& name, double height);
    Band* child() const { return m_child; }

private:
    Report& m_report;
    BandKind m_kind;
    Band* m_child = nullptr;
};

// The records a band prints once for: the engine's data sets, or anything that
// can be walked.
struct RecordSource {
    std::function<void()> first;
    std::function<void()> next;
    std::function<bool()> eof;

    static RecordSource of(data::DataSet& dataSet);
    // Rows 0..count-1; the row being printed is written to *row.
    static RecordSource rows(int count, int* row);
};

// A running sum, fed by a band each time it prints and emptied after another
// band prints. A value that is not a number (an invalid QVariant, a text) is an
// error result: the sum stays in error until it is reset, and value() gives
// the invalid QVariant so a text shows nothing rather than a wrong total.
class Accumulator {
public:
    explicit Accumulator(ValueFunction term)
        : m_term(std::move(term))
    {
    }
    void add();
    void reset();
    bool error() const { return m_error; }
    Currency total() const { return m_total; }
    QVariant value() const;

private:
    ValueFunction m_term;
    Currency m_total;
    bool m_error = false;
};

// A band repeated for the records of a detail source, per master record,
// between an optional header and footer (printed even without records).
struct SubDetail {
    RecordSource source;
    Band* header = nullptr;
    Band* detail = nullptr;
    Band* footer = nullptr;
};

// Master records grouped by a key: the header prints when the key changes, the
// footer after the last record of the group.
struct Group {
    ValueFunction key;
    Band* header = nullptr;
    Band* footer = nullptr;
};

struct LaidOutText {
    QRectF rect; // millimetres on the page
    QString text;
    Qt::Alignment alignment;
    bool wordWrap;
    bool bold;
    double pointSize;
};
using LaidOutPage = std::vector<LaidOutText>;

class Report : public QWidget {
    Q_OBJECT
public:
    explicit Report(QWidget* parent = nullptr);
    ~Report() override;

    QString title; // the print job's name
    // The language table the report was translated with; the preview window
    // takes its texts from it too.
    QString languageTable;
    QPageLayout pageLayout;
    // A report without master records prints its page header on one page
    // when this is set, and no page at all otherwise.
    bool printIfEmpty = true;

    Band& pageHeader();
    Band& columnHeader();
    Band& detail();
    Band& pageFooter();
    Band& summary();
    void setMaster(RecordSource source) { m_master = std::move(source); }
    Group& addGroup(ValueFunction key);
    SubDetail& addSubDetail(RecordSource source);
    // The sum of term, added after each print of addedOn, emptied after each
    // print of resetAfter (or never).
    Accumulator& addSum(Band& addedOn, ValueFunction term, Band* resetAfter = nullptr);

    // Each layout reads `db` through one consistent read, so that every page
    // shows one moment of the data even while another workstation posts
    // (docs/engine.md, "Consistent reads"). A report laid out inside a
    // transaction reads through the transaction instead.
    void readConsistently(std::shared_ptr<data::Database> db);

    // Lays out every page (runs the band events and walks the records); with
    // a page limit, stops once that many pages are whole, so that a preview
    // can show the first page of a long report before the rest is read.
    void prepare(int pageLimit = 0);
    // Every page is laid out.
    bool prepared() const { return m_prepared; }
    const std::vector<LaidOutPage>& pages() const { return m_pages; }
    // Paints one laid-out page; `perMm` converts millimetres into the
    // painter's units.
    void paintPage(QPainter& painter, std::size_t page, double perMmX, double perMmY) const;
    int pageNumber() const { return m_pageNumber; }

    // Paints the prepared pages (preparing first when needed) on a device
    // whose page layout is set: the first page is the current one. False when
    // the device cannot be opened; errors of the data behind the report
    // (the engine's) go on to the caller.
    bool paint(QPagedPaintDevice& device);
    bool print(QPrinter& printer);
    // Writes the report as a PDF file; false when the file cannot be written.
    bool exportPdf(const QString& path);

private:
    friend class Band;
    Band* makeBand(BandKind kind, const QString& name, double height);
    void printBand(Band& band);
    void place(Band& band);
    void startPage();
    void finishPage();
    double contentBottom() const;
    void printSubDetails();
    void layOut();

    std::vector<Band*> m_bands;
    Band* m_pageHeader = nullptr;
    Band* m_columnHeader = nullptr;
    Band* m_detail = nullptr;
    Band* m_pageFooter = nullptr;
    Band* m_summary = nullptr;
    RecordSource m_master;
    std::vector<std::shared_ptr<data::Database>> m_consistentDatabases;
    std::vector<std::unique_ptr<Group>> m_groups;
    std::vector<std::unique_ptr<SubDetail>> m_subDetails;
    struct SumLink {
        std::unique_ptr<Accumulator> sum;
        Band* addedOn;
        Band* resetAfter;
    };
    std::vector<SumLink> m_sums;

    std::vector<LaidOutPage> m_pages;
    bool m_prepared = false;
    int m_pageLimit = 0;
    int m_pageNumber = 0;
    double m_y = 0;
    double m_bodyTop = 0;
    bool m_pageOpen = false;
};

// Where a report is shown. The default opens the print preview (zoom, pages,
// print, "Export PDF"); tests install one that writes the pages to a file.
class PreviewService {
public:
    virtual ~PreviewService() = default;
    virtual void preview(Report& report, QWidget* parent) = 0;
};

PreviewService& Previews();
// Not owned; nullptr restores the print preview.
void SetPreviewService(PreviewService* service);

// The print preview itself: the pages one at a time with page navigation,
// zoom, print and an "Export PDF" action (objectName "ExportPdf"); the file
// name comes from the chooser (a save-file dialog unless a test replaced it).
// The first page shows as soon as it is laid out; the others are laid out
// once it is on screen. The dialog is named "ReportPreview" and translated
// with languageTable when it is given.
// Line of the preview's message list (IntlStrings1) shown when "Export PDF"
// cannot write its file; %1 is the file.
inline constexpr int ExportPdfFailedLine = 0;
// The line shown when the printer cannot take the report; %1 is the printer.
inline constexpr int PrintFailedLine = 1;
void ShowPrintPreview(Report& report, QWidget* parent, const QString& languageTable = {});
using PdfFileChooser = std::function<QString(QWidget* parent)>;
void SetPdfFileChooser(PdfFileChooser chooser);
// Sets up the printer of "Print" (the print dialog unless a test replaced
// it); false when the user cancelled. nullptr restores the dialog.
using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;
void SetPrinterChooser(PrinterChooser chooser);

} // namespace varnex::report
