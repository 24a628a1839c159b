#include "varnex/report/report.h"

#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/regional.h"

namespace varnex::report {

QString FormatReportValue(const QVariant& value, const QString& mask)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.metaType() == QMetaType::fromType<Currency>()) {
        const Currency amount = value.value<Currency>();
        return FormatFloat(mask.isEmpty() ? QStringLiteral("0.00") : mask, amount);
    }
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return mask.isEmpty() ? QString::number(value.toDouble(), 'g', 15) : FormatFloat(mask, value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return mask.isEmpty() ? QString::number(value.toLongLong()) : FormatFloat(mask, value.toDouble());
    case QMetaType::QDate: return FormatShortDate(value.toDate());
    case QMetaType::QDateTime: {
        const QDateTime when = value.toDateTime();
        return FormatShortDate(when.date()) + QLatin1Char(' ') + when.time().toString(QStringLiteral("HH:mm:ss"));
    }
    default: return value.toString();
    }
}

ReportText::ReportText(Band* band, const QString& name, const QRectF& rect)
    : QObject(band)
    , rect(rect)
{
    setObjectName(name);
}

QString ReportText::text() const
{
    return value ? FormatReportValue(value(), mask) : caption;
}

PageNumberText::PageNumberText(Band* band, const QString& name, const QRectF& rect, const Report& report)
    : ReportText(band, name, rect)
    , m_report(report)
{
}

QString PageNumberText::text() const
{
    const QString number = QString::number(m_report.pageNumber());
    return caption.isEmpty() ? number : caption + QLatin1Char(' ') + number;
}

Band::Band(Report& report, BandKind kind, const QString& name, double height)
    : QObject(&report)
    , height(height)
    , m_report(report)
    , m_kind(kind)
{
    setObjectName(name);
}

ReportText& Band::label(const QString& name, const QRectF& rect, const QString& caption)
{
    auto* text = new ReportText(this, name, rect);
    text->caption = caption;
    return *text;
}

ReportText& Band::field(const QString& name, const QRectF& rect, ValueFunction value, const QString& mask)
{
    auto* text = new ReportText(this, name, rect);
    text->value = std::move(value);
    text->mask = mask;
    return *text;
}

PageNumberText& Band::pageNumber(const QString& name, const QRectF& rect, const QString& caption)
{
    auto* text = new PageNumberText(this, name, rect, m_report);
    text->caption = caption;
    return *text;
}

std::vector<ReportText*> Band::texts() const
{
    std::vector<ReportText*> out;
    for (QObject* child : children())
        if (auto* text = qobject_cast<ReportText*>(child))
            out.push_back(text);
    return out;
}

Band& Band::addChild(const QString& name, double childHeight)
{
    m_child = m_report.makeBand(BandKind::Child, name, childHeight);
    return *m_child;
}

RecordSource RecordSource::of(data::DataSet& dataSet)
{
    return {[&dataSet] { dataSet.first(); }, [&dataSet] { dataSet.next(); }, [&dataSet] { return dataSet.eof(); }};
}

RecordSource RecordSource::rows(int count, int* row)
{
    return {[row] { *row = 0; }, [row] { ++*row; }, [row, count] { return *row >= count; }};
}

void Accumulator::add()
{
    if (m_error)
        return;
    const QVariant term = m_term ? m_term() : QVariant();
    if (term.metaType() == QMetaType::fromType<Currency>()) {
        m_total += term.value<Currency>();
        return;
    }
    switch (term.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float: m_total += Currency::fromDouble(term.toDouble()); return;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: m_total += Currency::fromUnits(term.toLongLong()); return;
    case QMetaType::QString:
        if (const auto parsed = Currency::parse(term.toString())) {
            m_total += *parsed;
            return;
        }
        break;
    default: break;
    }
    m_error = true;
}

void Accumulator::reset()
{
    m_total = Currency();
    m_error = false;
}

QVariant Accumulator::value() const
{
    return m_error ? QVariant() : QVariant::fromValue(m_total);
}

Report::Report(QWidget* parent)
    : QWidget(parent)
{
    pageLayout = QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                             QPageLayout::Millimeter);
}

Report::~Report() = default;

Band* Report::makeBand(BandKind kind, const QString& name, double height)
{
    auto* band = new Band(*this, kind, name, height);
    m_bands.push_back(band);
    return band;
}

Band& Report::pageHeader()
{
    if (!m_pageHeader)
        m_pageHeader = makeBand(BandKind::PageHeader, QStringLiteral("PageHeaderBand"), 20);
    return *m_pageHeader;
}

Band& Report::columnHeader()
{
    if (!m_columnHeader)
        m_columnHeader = makeBand(BandKind::ColumnHeader, QStringLiteral("ColumnHeaderBand"), 8);
    return *m_columnHeader;
}

Band& Report::detail()
{
    if (!m_detail)
        m_detail = makeBand(BandKind::Detail, QStringLiteral("DetailBand"), 10);
    return *m_detail;
}

Band& Report::pageFooter()
{
    if (!m_pageFooter)
        m_pageFooter = makeBand(BandKind::PageFooter, QStringLiteral("PageFooterBand"), 8);
    return *m_pageFooter;
}

Band& Report::summary()
{
    if (!m_summary)
        m_summary = makeBand(BandKind::Summary, QStringLiteral("SummaryBand"), 10);
    return *m_summary;
}

Group& Report::addGroup(ValueFunction key)
{
    auto group = std::make_unique<Group>();
    group->key = std::move(key);
    const QString number = QString::number(m_groups.size() + 1);
    group->header = makeBand(BandKind::GroupHeader, QStringLiteral("GroupHeader") + number, 8);
    group->footer = makeBand(BandKind::GroupFooter, QStringLiteral("GroupFooter") + number, 8);
    m_groups.push_back(std::move(group));
    return *m_groups.back();
}

SubDetail& Report::addSubDetail(RecordSource source)
{
    auto sub = std::make_unique<SubDetail>();
    sub->source = std::move(source);
    const QString number = QString::number(m_subDetails.size() + 1);
    sub->header = makeBand(BandKind::SubDetailHeader, QStringLiteral("SubDetailHeader") + number, 0);
    sub->detail = makeBand(BandKind::SubDetail, QStringLiteral("SubDetail") + number, 6);
    sub->footer = makeBand(BandKind::SubDetailFooter, QStringLiteral("SubDetailFooter") + number, 0);
    m_subDetails.push_back(std::move(sub));
    return *m_subDetails.back();
}

Accumulator& Report::addSum(Band& addedOn, ValueFunction term, Band* resetAfter)
{
    m_sums.push_back({std::make_unique<Accumulator>(std::move(term)), &addedOn, resetAfter});
    return *m_sums.back().sum;
}

double Report::contentBottom() const
{
    const double pageHeight = pageLayout.paintRect(QPageLayout::Millimeter).height();
    return pageHeight - (m_pageFooter ? m_pageFooter->height : 0);
}

void Report::place(Band& band)
{
    LaidOutPage& page = m_pages.back();
    for (const ReportText* text : band.texts()) {
        if (!text->visible)
            continue;
        QString printed = text->text();
        if (printed.isEmpty())
            continue;
        page.push_back({text->rect.translated(0, m_y), std::move(printed), text->alignment, text->wordWrap, text->bold,
                        text->pointSize});
    }
    m_y += band.height;
}

void Report::startPage()
{
    m_pages.emplace_back();
    ++m_pageNumber;
    m_y = 0;
    m_pageOpen = true;
    for (Band* band : {m_pageHeader, m_columnHeader})
        if (band && (!band->beforePrint || band->beforePrint())) {
            place(*band);
            if (band->afterPrint)
                band->afterPrint();
        }
    m_bodyTop = m_y;
}

namespace {

// Ends a layout that has laid out the pages it was asked for.
struct PageLimitReached {};

} // namespace

void Report::finishPage()
{
    if (!m_pageOpen)
        return;
    if (m_pageFooter && (!m_pageFooter->beforePrint || m_pageFooter->beforePrint())) {
        m_y = contentBottom();
        place(*m_pageFooter);
    }
    m_pageOpen = false;
    if (m_pageLimit > 0 && int(m_pages.size()) >= m_pageLimit)
        throw PageLimitReached();
}

void Report::printBand(Band& band)
{
    if (band.beforePrint && !band.beforePrint())
        return;
    if (!m_pageOpen)
        startPage();
    // A band taller than a whole page still prints (cut at the page's end)
    // rather than asking for new pages forever.
    if (m_y + band.height > contentBottom() && m_y > m_bodyTop) {
        finishPage();
        startPage();
    }
    place(band);
    for (SumLink& link : m_sums)
        if (link.addedOn == &band)
            link.sum->add();
    if (band.afterPrint)
        band.afterPrint();
    for (SumLink& link : m_sums)
        if (link.resetAfter == &band)
            link.sum->reset();
    if (band.child())
        printBand(*band.child());
}

void Report::printSubDetails()
{
    for (auto& sub : m_subDetails) {
        if (sub->header->height > 0 || !sub->header->texts().empty())
            printBand(*sub->header);
        for (sub->source.first(); !sub->source.eof(); sub->source.next())
            printBand(*sub->detail);
        if (sub->footer->height > 0 || !sub->footer->texts().empty())
            printBand(*sub->footer);
    }
}

void Report::readConsistently(std::shared_ptr<data::Database> db)
{
    m_consistentDatabases.push_back(std::move(db));
}

void Report::prepare(int pageLimit)
{
    std::vector<std::unique_ptr<data::ConsistentRead>> reads;
    for (const auto& db : m_consistentDatabases)
        if (!db->inTransaction())
            reads.push_back(std::make_unique<data::ConsistentRead>(db));
    m_pages.clear();
    m_pageNumber = 0;
    m_pageOpen = false;
    m_prepared = false;
    m_pageLimit = pageLimit;
    for (SumLink& link : m_sums)
        link.sum->reset();
    try {
        layOut();
    } catch (const PageLimitReached&) {
        return;
    }
    m_prepared = true;
}

void Report::layOut()
{

    if (!m_master.first) {
        startPage();
        if (m_detail)
            printBand(*m_detail);
        printSubDetails();
    } else {
        m_master.first();
        if (m_master.eof()) {
            if (printIfEmpty)
                startPage();
        } else {
            std::vector<QVariant> keys(m_groups.size());
            bool firstRecord = true;
            for (; !m_master.eof(); m_master.next()) {
                std::size_t changedFrom = m_groups.size();
                for (std::size_t i = 0; i < m_groups.size(); ++i) {
                    const QVariant key = m_groups[i]->key();
                    if (firstRecord || key != keys[i]) {
                        changedFrom = std::min(changedFrom, i);
                    }
                    keys[i] = key;
                }
                if (!firstRecord)
                    for (std::size_t i = m_groups.size(); i > changedFrom; --i)
                        printBand(*m_groups[i - 1]->footer);
                for (std::size_t i = changedFrom; i < m_groups.size(); ++i)
                    printBand(*m_groups[i]->header);
                firstRecord = false;
                if (m_detail)
                    printBand(*m_detail);
                printSubDetails();
            }
            for (std::size_t i = m_groups.size(); i > 0; --i)
                printBand(*m_groups[i - 1]->footer);
        }
    }
    if (m_summary && !m_pages.empty())
        printBand(*m_summary);
    m_pageLimit = 0; // the last page ends the layout anyway
    finishPage();
}

void Report::paintPage(QPainter& painter, std::size_t page, double perMmX, double perMmY) const
{
    if (page >= m_pages.size())
        return;
    QFont font(QStringLiteral("DejaVu Sans"));
    for (const LaidOutText& text : m_pages[page]) {
        font.setPointSizeF(text.pointSize);
        font.setBold(text.bold);
        painter.setFont(font);
        const QRectF area(text.rect.x() * perMmX, text.rect.y() * perMmY, text.rect.width() * perMmX,
                          text.rect.height() * perMmY);
        int flags = int(text.alignment);
        if (text.wordWrap)
            flags |= Qt::TextWordWrap;
        painter.drawText(area, flags, text.text);
    }
}

bool Report::paint(QPagedPaintDevice& device)
{
    if (!m_prepared)
        prepare();
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double perMmX = device.logicalDpiX() / 25.4;
    const double perMmY = device.logicalDpiY() / 25.4;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (i > 0)
            device.newPage();
        paintPage(painter, i, perMmX, perMmY);
    }
    return painter.end();
}

bool Report::print(QPrinter& printer)
{
    return paint(printer);
}

bool Report::exportPdf(const QString& path)
{
    QPdfWriter writer(path);
    writer.setPageLayout(pageLayout);
    writer.setTitle(title);
    writer.setResolution(300);
    return paint(writer);
}

} // namespace varnex::report
