#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include <QAction>
#include <QDialog>
#include <QPrinter>
#include <QLabel>
#include <QTest>
#include <QDir>
#include <QFile>
#include <QToolBar>

#include "modal_driver.h"
#include "pdf_text.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/report/report.h"

using namespace varnex;
using namespace varnex::report;
using varnex::report::testing::PdfPages;
using varnex::report::testing::PdfText;

namespace {

QVariant Money(const char* text)
{
    return QVariant::fromValue(*Currency::parse(std::string_view(text)));
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRegionalFormats();
        ASSERT_TRUE(dir.isValid());
    }
    QString render(Report& report)
    {
        const QString path = dir.filePath(QStringLiteral("out.pdf"));
        EXPECT_TRUE(report.exportPdf(path));
        return path;
    }
    QTemporaryDir dir;
};

// The texts of a laid-out page, top to bottom.
QStringList Texts(const LaidOutPage& page)
{
    QStringList out;
    for (const LaidOutText& text : page)
        out << text.text;
    return out;
}

double TopOf(const LaidOutPage& page, const QString& text)
{
    for (const LaidOutText& placed : page)
        if (placed.text == text)
            return placed.rect.top();
    return -1;
}

} // namespace

TEST(ReportValues, MasksDatesAndErrors)
{
    ResetRegionalFormats();
    struct Case {
        QVariant value;
        QString mask;
        QString expected;
    } cases[] = {
        {Money("1234.5"), QStringLiteral("$#,###,##0.00"), QStringLiteral("$1,234.50")},
        {Money("0"), QStringLiteral("##0.00"), QStringLiteral("0.00")},
        {Money("12.3456"), {}, QStringLiteral("12.35")}, // money without a mask
        {QVariant(1234567.125), QStringLiteral("#,###,##0.00"), QStringLiteral("1,234,567.13")},
        {QVariant(0.1 + 0.2), {}, QStringLiteral("0.3")}, // general format
        {QVariant(qlonglong(42)), {}, QStringLiteral("42")},
        {QVariant(QStringLiteral("text")), QStringLiteral("##0.00"), QStringLiteral("text")},
        {QVariant(), QStringLiteral("##0.00"), QString()}, // error result prints nothing
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatReportValue(c.value, c.mask), c.expected) << c.expected.toStdString();
    EXPECT_EQ(FormatReportValue(QDate(2026, 3, 4), {}), FormatShortDate(QDate(2026, 3, 4)));
}

TEST(ReportValues, AccumulatorKeepsExactCentsAndStaysInError)
{
    int row = 0;
    const QVariant terms[] = {Money("0.1"), QVariant(0.2), QVariant(qlonglong(3)), QVariant(QStringLiteral("1.05"))};
    Accumulator sum([&] { return terms[row]; });
    for (row = 0; row < 4; ++row)
        sum.add();
    EXPECT_EQ(sum.total(), *Currency::parse(std::string_view("4.35")));
    EXPECT_FALSE(sum.error());

    Accumulator broken([&] { return row == 1 ? QVariant() : Money("2"); });
    for (row = 0; row < 3; ++row)
        broken.add();
    EXPECT_TRUE(broken.error());
    EXPECT_FALSE(broken.value().isValid());
    broken.reset();
    EXPECT_FALSE(broken.error());
    EXPECT_EQ(broken.value().value<Currency>(), Currency());
}

// Hidden texts keep their place: rows 1 and 3 print with a blank row between.
TEST_F(ReportTest, HiddenRowsLeaveBlankSpace)
{
    Report report;
    report.pageHeader().label(QStringLiteral("Title"), {0, 0, 100, 6}, QStringLiteral("Sales and adjustments"));
    Band& detail = report.detail();
    detail.height = 40;
    const QString amounts[] = {QStringLiteral("10.00"), QString(), QStringLiteral("30.00")};
    ReportText* rows[3];
    for (int n = 0; n < 3; ++n)
        rows[n] = &detail.label(QStringLiteral("Row%1").arg(n + 1), {0, 5.0 * n, 80, 5},
                                QStringLiteral("Row %1 %2").arg(n + 1).arg(amounts[n]));
    detail.beforePrint = [&] {
        for (int n = 0; n < 3; ++n)
            rows[n]->visible = !amounts[n].isEmpty();
        return true;
    };
    report.prepare();
    ASSERT_EQ(report.pages().size(), 1u);
    const LaidOutPage& page = report.pages()[0];
    EXPECT_EQ(Texts(page), QStringList({QStringLiteral("Sales and adjustments"), QStringLiteral("Row 1 10.00"),
                                        QStringLiteral("Row 3 30.00")}));
    EXPECT_DOUBLE_EQ(TopOf(page, QStringLiteral("Row 3 30.00")) - TopOf(page, QStringLiteral("Row 1 10.00")), 10.0);

    const QString text = PdfText(render(report));
    EXPECT_TRUE(text.contains(QStringLiteral("Sales and adjustments")));
    EXPECT_FALSE(text.contains(QStringLiteral("Row 2")));
    // The blank row shows as an empty line between the two printed ones.
    const QStringList lines = text.split(QLatin1Char('\n'));
    const int first = lines.indexOf(QRegularExpression(QStringLiteral(".*Row 1.*")));
    const int third = lines.indexOf(QRegularExpression(QStringLiteral(".*Row 3.*")));
    ASSERT_GE(first, 0);
    EXPECT_GE(third - first, 2);
}

// Groups, sub-details, a child band only for some lines, sums that reset after
// their footer and a footer left out when a sum is in error.
TEST_F(ReportTest, GroupsSubDetailsChildrenAndSums)
{
    struct Line {
        QString order;
        QString item;
        QVariant amount;
        QString serial;
    };
    const std::vector<Line> lines = {
        {QStringLiteral("PO1"), QStringLiteral("Bolt"), Money("1.10"), {}},
        {QStringLiteral("PO1"), QStringLiteral("Nut"), Money("2.20"), QStringLiteral("SN-7")},
        {QStringLiteral("PO2"), QStringLiteral("Gear"), Money("5"), {}},
        {QStringLiteral("PO3"), QStringLiteral("Cog"), QVariant(), {}}, // an amount in error
    };
    int row = 0;
    int part = 0;
    Report report;
    report.setMaster(RecordSource::rows(int(lines.size()), &row));
    Group& group = report.addGroup([&] { return QVariant(lines[row].order); });
    group.header->field(QStringLiteral("Order"), {0, 0, 40, 6}, [&] { return QVariant(lines[row].order); });
    report.detail().height = 6;
    report.detail().field(QStringLiteral("Item"), {5, 0, 40, 6}, [&] { return QVariant(lines[row].item); });
    report.detail().field(
        QStringLiteral("Amount"), {50, 0, 30, 6}, [&] { return lines[row].amount; }, QStringLiteral("$#,##0.00"));
    Band& serial = report.detail().addChild(QStringLiteral("SerialBand"), 6);
    serial.field(QStringLiteral("Serial"), {10, 0, 40, 6}, [&] { return QVariant(lines[row].serial); });
    serial.beforePrint = [&] { return !lines[row].serial.isEmpty(); };
    SubDetail& parts = report.addSubDetail(RecordSource::rows(2, &part));
    parts.detail->field(QStringLiteral("Part"), {15, 0, 40, 6},
                        [&] { return QVariant(QStringLiteral("piece %1.%2").arg(row).arg(part)); });

    Accumulator& total = report.addSum(
        report.detail(), [&] { return lines[row].amount; }, group.footer);
    group.footer->field(
        QStringLiteral("Total"), {50, 0, 30, 6}, [&] { return total.value(); }, QStringLiteral("$#,##0.00"));
    group.footer->beforePrint = [&] { return !total.error(); };

    report.prepare();
    ASSERT_EQ(report.pages().size(), 1u);
    EXPECT_EQ(Texts(report.pages()[0]),
              QStringList({"PO1",       "Bolt",      "$1.10",     "piece 0.0", "piece 0.1", "Nut",       "$2.20",
                           "SN-7",      "piece 1.0", "piece 1.1", "$3.30",     "PO2",       "Gear",      "$5.00",
                           "piece 2.0", "piece 2.1", "$5.00",     "PO3",       "Cog",       "piece 3.0", "piece 3.1"}));
    const QString text = PdfText(render(report));
    EXPECT_TRUE(text.contains(QStringLiteral("$3.30")));
    EXPECT_TRUE(text.contains(QStringLiteral("SN-7")));
}

TEST_F(ReportTest, PagesBreakAndAreNumbered)
{
    int row = 0;
    Report report;
    report.setMaster(RecordSource::rows(150, &row));
    report.pageHeader().height = 10;
    report.pageHeader().label(QStringLiteral("Title"), {0, 0, 100, 6}, QStringLiteral("Statement"));
    report.detail().height = 5;
    report.detail().field(QStringLiteral("Line"), {0, 0, 60, 5},
                          [&] { return QVariant(QStringLiteral("line %1").arg(row + 1)); });
    report.pageFooter().pageNumber(QStringLiteral("PageNumber"), {0, 0, 40, 6}, QStringLiteral("Page"));
    report.prepare();
    const std::size_t pages = report.pages().size();
    ASSERT_GE(pages, 3u);
    // Every page starts with its header and ends with its number; no line is
    // lost or printed twice across the breaks.
    int lineCount = 0;
    for (std::size_t p = 0; p < pages; ++p) {
        const QStringList texts = Texts(report.pages()[p]);
        EXPECT_EQ(texts.first(), QStringLiteral("Statement"));
        EXPECT_EQ(texts.last(), QStringLiteral("Page %1").arg(p + 1));
        lineCount += int(texts.size()) - 2;
    }
    EXPECT_EQ(lineCount, 150);

    const QString path = render(report);
    EXPECT_EQ(PdfPages(path), int(pages));
    const QString text = PdfText(path);
    EXPECT_TRUE(text.contains(QStringLiteral("line 150")));
    EXPECT_TRUE(text.contains(QStringLiteral("Page %1").arg(pages)));
}

TEST_F(ReportTest, EmptyMasterPrintsOnePageOnlyWhenAsked)
{
    int row = 0;
    for (const bool printIfEmpty : {true, false}) {
        Report report;
        report.printIfEmpty = printIfEmpty;
        report.setMaster(RecordSource::rows(0, &row));
        report.pageHeader().label(QStringLiteral("Title"), {0, 0, 100, 6}, QStringLiteral("Purchases"));
        report.detail().field(QStringLiteral("Never"), {0, 0, 10, 5}, [] { return QVariant(QStringLiteral("x")); });
        report.prepare();
        EXPECT_EQ(report.pages().size(), printIfEmpty ? 1u : 0u);
        if (printIfEmpty) {
            EXPECT_EQ(Texts(report.pages()[0]), QStringList{QStringLiteral("Purchases")});
        }
    }
}

TEST_F(ReportTest, UnwritablePdfIsReportedAsFailure)
{
    Report report;
    report.pageHeader().label(QStringLiteral("Title"), {0, 0, 100, 6}, QStringLiteral("x"));
    EXPECT_FALSE(report.exportPdf(dir.filePath(QStringLiteral("missing/folder/out.pdf"))));
}

// Report texts are translated by name like the components of a window.
TEST_F(ReportTest, LabelsAndPageNumbersTakeTranslatedTexts)
{
    Report report;
    ReportText& title = report.pageHeader().label(QStringLiteral("Title"), {0, 0, 100, 6}, QStringLiteral("Purchases"));
    PageNumberText& page =
        report.pageFooter().pageNumber(QStringLiteral("PageNumber"), {0, 0, 40, 6}, QStringLiteral("Page"));
    translation::ApplyLanguageRows(&report, {{QString(), QStringLiteral("Title"), QStringLiteral("Achats")},
                                             {QString(), QStringLiteral("PageNumber"), QStringLiteral("Page n°")}});
    EXPECT_EQ(title.caption, QStringLiteral("Achats"));
    report.prepare();
    EXPECT_EQ(Texts(report.pages()[0]), QStringList({QStringLiteral("Achats"), QStringLiteral("Page n° 1")}));
    (void)page;
}

// The preview window offers "Export PDF" beside print; the file holds the
// report's pages.
TEST_F(ReportTest, PreviewExportsPdf)
{
    int row = 0;
    Report report;
    report.title = QStringLiteral("Statement");
    report.setMaster(RecordSource::rows(3, &row));
    report.detail().height = 6;
    report.detail().field(QStringLiteral("Line"), {0, 0, 60, 5},
                          [&] { return QVariant(QStringLiteral("line %1").arg(row + 1)); });
    const QString path = dir.filePath(QStringLiteral("exported.pdf"));
    SetPdfFileChooser([&](QWidget*) { return path; });
    bool inToolBar = false;
    test_support::ModalDriver driver(QStringLiteral("ReportPreview"), [&](QWidget* window) {
        auto* exportPdf = window->findChild<QAction*>(QStringLiteral("ExportPdf"));
        ASSERT_NE(exportPdf, nullptr);
        for (QToolBar* bar : window->findChildren<QToolBar*>())
            inToolBar = inToolBar || bar->actions().contains(exportPdf);
        exportPdf->trigger();
        qobject_cast<QDialog*>(window)->reject();
    });
    ShowPrintPreview(report, nullptr);
    SetPdfFileChooser(nullptr);
    EXPECT_TRUE(driver.ran());
    EXPECT_FALSE(driver.timedOut());
    EXPECT_TRUE(inToolBar);
    EXPECT_TRUE(PdfText(path).contains(QStringLiteral("line 3")));
}

// A PDF that cannot be written is told to the user in the preview's language,
// and the preview stays open.
TEST_F(ReportTest, PreviewTellsWhenThePdfCannotBeWritten)
{
    RecordingMessageService messages;
    Report report;
    report.pageHeader().label(QStringLiteral("Title"), {0, 0, 100, 6}, QStringLiteral("Statement"));
    const QString path = dir.filePath(QStringLiteral("missing/folder/out.pdf"));
    SetPdfFileChooser([&](QWidget*) { return path; });
    bool stillOpen = false;
    test_support::ModalDriver driver(QStringLiteral("ReportPreview"), [&](QWidget* window) {
        translation::LanguageRow french{QStringLiteral("ReportPreview"), QStringLiteral("IntlStrings1")};
        french.isMemo = true;
        french.lines = QStringLiteral("Impossible d'écrire le fichier PDF %1.");
        translation::ApplyLanguageRows(window, {french});
        window->findChild<QAction*>(QStringLiteral("ExportPdf"))->trigger();
        stillOpen = window->isVisible();
        qobject_cast<QDialog*>(window)->reject();
    });
    ShowPrintPreview(report, nullptr);
    SetPdfFileChooser(nullptr);
    EXPECT_TRUE(driver.ran());
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("Impossible d'écrire le fichier PDF %1.").arg(QDir::toNativeSeparators(path)));
    EXPECT_FALSE(QFile::exists(path));
}

namespace {

// A statement of `rows` lines, 4.5 mm each, with a running number.
void StatementRows(Report& report, int rows, int* row)
{
    report.pageHeader().height = 10;
    report.pageHeader().label(QStringLiteral("Title"), {0, 0, 100, 6}, QStringLiteral("Statement"));
    report.setMaster(RecordSource::rows(rows, row));
    report.detail().height = 4.5;
    report.detail().field(QStringLiteral("Line"), {0, 0, 60, 4.5},
                          [row] { return QVariant(QStringLiteral("line %1").arg(*row + 1)); });
}

} // namespace

// A page limit lays out that many whole pages and no more; the first page is
// the same as in the whole layout, and a report shorter than the limit is
// whole.
TEST_F(ReportTest, LayoutStopsAtThePageLimit)
{
    struct Case {
        int rows;
        int limit;
        bool whole;
    };
    for (const Case c : {Case{500, 1, false}, Case{500, 2, false}, Case{20, 1, true}, Case{0, 1, true}}) {
        SCOPED_TRACE(c.rows);
        int row = 0;
        Report report;
        StatementRows(report, c.rows, &row);
        report.prepare(c.limit);
        EXPECT_EQ(report.prepared(), c.whole);
        const std::vector<LaidOutPage> partial = report.pages();
        report.prepare();
        EXPECT_TRUE(report.prepared());
        ASSERT_EQ(partial.size(), c.whole ? report.pages().size() : std::size_t(c.limit));
        EXPECT_EQ(Texts(partial.front()), Texts(report.pages().front()));
        if (!c.whole) {
            EXPECT_GT(report.pages().size(), partial.size());
        }
    }
}

// The preview shows the pages one at a time and pages through all of them
// once they are laid out.
TEST_F(ReportTest, PreviewPagesThroughTheReport)
{
    int row = 0;
    Report report;
    StatementRows(report, 300, &row);
    QStringList counts;
    test_support::ModalDriver driver(QStringLiteral("ReportPreview"), [&](QWidget* window) {
        auto* count = window->findChild<QLabel*>(QStringLiteral("PageCount"));
        ASSERT_NE(count, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return report.prepared(); }, 5000));
        QCoreApplication::processEvents();
        counts << count->text();
        for (const char* action : {"NextPage", "LastPage", "PreviousPage", "FirstPage"}) {
            window->findChild<QAction*>(QString::fromLatin1(action))->trigger();
            counts << count->text();
        }
        qobject_cast<QDialog*>(window)->reject();
    });
    ShowPrintPreview(report, nullptr);
    EXPECT_TRUE(driver.ran());
    const QString pages = QString::number(report.pages().size());
    ASSERT_GT(report.pages().size(), 3u);
    EXPECT_EQ(counts, QStringList({QStringLiteral("1 / ") + pages, QStringLiteral("2 / ") + pages,
                                   pages + QStringLiteral(" / ") + pages,
                                   QString::number(report.pages().size() - 1) + QStringLiteral(" / ") + pages,
                                   QStringLiteral("1 / ") + pages}));
}

// A data error while the preview lays out the pages after the first closes
// the preview and reaches the caller, as an error before it showed would.
TEST_F(ReportTest, DataErrorAfterTheFirstPageReachesTheCaller)
{
    int row = 0;
    Report report;
    StatementRows(report, 400, &row);
    RecordSource failing = RecordSource::rows(400, &row);
    failing.next = [&row] {
        if (++row == 150)
            throw std::runtime_error("table cannot be read");
    };
    report.setMaster(failing);
    test_support::ModalDriver driver(
        QStringLiteral("ReportPreview"), [](QWidget*) {}, 5000);
    EXPECT_THROW(ShowPrintPreview(report, nullptr), std::runtime_error);
    EXPECT_FALSE(driver.timedOut());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A printer that cannot take the report is told to the user; the preview
// stays open and usable.
TEST_F(ReportTest, PreviewTellsWhenThePrinterFails)
{
    RecordingMessageService messages;
    Report report;
    report.pageHeader().label(QStringLiteral("Title"), {0, 0, 100, 6}, QStringLiteral("Statement"));
    const QString unwritable = dir.filePath(QStringLiteral("missing/folder/printed.pdf"));
    const QString written = dir.filePath(QStringLiteral("printed.pdf"));
    QString target = unwritable;
    SetPrinterChooser([&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(target);
        return true;
    });
    test_support::ModalDriver driver(QStringLiteral("ReportPreview"), [&](QWidget* window) {
        translation::LanguageRow lines{QStringLiteral("ReportPreview"), QStringLiteral("IntlStrings1")};
        lines.isMemo = true;
        lines.lines = QStringLiteral("-\nThe report cannot be printed on %1.");
        translation::ApplyLanguageRows(window, {lines});
        auto* print = window->findChild<QAction*>(QStringLiteral("Print"));
        print->trigger();
        target = written;
        print->trigger();
        qobject_cast<QDialog*>(window)->reject();
    });
    ShowPrintPreview(report, nullptr);
    SetPrinterChooser(nullptr);
    EXPECT_TRUE(driver.ran());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("The report cannot be printed on %1.").arg(QDir::toNativeSeparators(unwritable)));
    EXPECT_TRUE(PdfText(written).contains(QStringLiteral("Statement")));
}
