// Every report form of both account windows on the demo company, in English
// and French, written as PDF files for the documentation, with a picture of
// the print preview:
//
//   accountview_report_pdfs --root DIR --out FOLDER --picture FILE
//
// DIR is a data root made by "lgxadmin init" and "lgxadmin demo" (DIR/Lgx/data).
// The window is walked account by account and line by line, asking for the
// document behind each statement line, until every form has been written.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <set>

#include "varnex/accountview/accountform.h"
#include "varnex/accountview/reports.h"
#include "varnex/data/query.h"
#include "varnex/application.h"
#include "varnex/messages.h"
#include "varnex/report/report.h"

using namespace varnex;
using namespace varnex::accountview;

namespace {

void ModuleAddress()
{
}

// Writes the first report of each form to FOLDER/<form>-<language>.pdf; the
// first invoice is also shown in the real preview and pictured.
class PdfFiles : public report::PreviewService {
public:
    PdfFiles(QString folder, QString picture)
        : m_folder(std::move(folder))
        , m_picture(std::move(picture))
    {
        report::SetPreviewService(this);
    }
    ~PdfFiles() override { report::SetPreviewService(nullptr); }
    void preview(report::Report& form, QWidget* parent) override
    {
        const QString name = form.objectName() + QLatin1Char('-') + language;
        if (written.count(name))
            return;
        const QString file = QDir(m_folder).filePath(name + QStringLiteral(".pdf"));
        if (!form.exportPdf(file)) {
            std::fprintf(stderr, "cannot write %s\n", file.toUtf8().constData());
            return;
        }
        written.insert(name);
        std::printf("%s\n", file.toUtf8().constData());
        if (!m_picture.isEmpty() && form.objectName() == QLatin1String("invreprint_qrfrm")
            && language == QLatin1String("en"))
            picture(form, parent);
    }
    std::set<QString> written;
    QString language;

private:
    void picture(report::Report& form, QWidget* parent)
    {
        QTimer poll;
        poll.setInterval(50);
        int shown = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("ReportPreview") && w->isVisible() && ++shown > 4) {
                    w->resize(1000, 720);
                    QCoreApplication::processEvents();
                    if (!w->grab().save(m_picture))
                        std::fprintf(stderr, "cannot write %s\n", m_picture.toUtf8().constData());
                    poll.stop();
                    qobject_cast<QDialog*>(w)->reject();
                }
        });
        poll.start();
        report::ShowPrintPreview(form, parent, form.languageTable);
        m_picture.clear();
    }
    QString m_folder;
    QString m_picture;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    VarnexApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QString root, out, picture;
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--root"))
            root = arguments[i + 1];
        if (arguments[i] == QLatin1String("--out"))
            out = arguments[i + 1];
        if (arguments[i] == QLatin1String("--picture"))
            picture = arguments[i + 1];
    }
    if (root.isEmpty() || out.isEmpty()) {
        std::fprintf(stderr, "usage: accountview_report_pdfs --root DIR --out FOLDER [--picture FILE]\n");
        return 2;
    }
    QDir().mkpath(out);
    RecordingMessageService quiet; // lines without a document say so; nobody answers
    PdfFiles files(out, picture);
    const QString dataRoot = QDir(root).filePath(QStringLiteral("Lgx/data"));
    const std::map<bool, QStringList> forms = {
        {true,
         {QStringLiteral("clview_qrfrm"), QStringLiteral("clview_qrfrm2"), QStringLiteral("invreprint_qrfrm"),
          QStringLiteral("invreprint_qrfrm2")}},
        {false,
         {QStringLiteral("supview_qrfrm"), QStringLiteral("supview_qrfrm2"), QStringLiteral("poreprint_qrfrm")}}};
    int missing = 0;
    for (const AccountSide* side : {&ClientSide(), &SupplierSide()}) {
        for (const char* code : {"en", "fr"}) {
            files.language = QString::fromLatin1(code);
            LinkRecord link;
            link.setText(&TLinkSection::Link_data_dir, dataRoot);
            link.setText(&TLinkSection::Link_company, QStringLiteral("1"));
            link.setText(&TLinkSection::Link_company_name, QStringLiteral("Démo"));
            link.setText(&TLinkSection::Link_user_name, QStringLiteral("Administrateur"));
            link.raw().Link_session = 8;
            link.raw().Link_language = files.language == QLatin1String("fr") ? 2 : 1;
            link.setLangCode(files.language);
            TAccountDataModule dm(*side);
            TAccountForm form(*side, &dm, link, reinterpret_cast<const void*>(&ModuleAddress));
            TWhichReportForm which;
            if (!side->client)
                form.whichForm = &which;
            const QStringList wanted = forms.at(side->client);
            auto done = [&] {
                for (const QString& f : wanted)
                    if (!files.written.count(f + QLatin1Char('-') + files.language))
                        return false;
                return true;
            };
            // Purchase orders first, while one is still wanted.
            SetWhichDocumentAsker([&](TWhichReportForm*) {
                return files.written.count(QStringLiteral("poreprint_qrfrm-") + files.language) ? 0 : 1;
            });
            form.show();
            while (!dm.Query1.isOpen())
                QCoreApplication::processEvents();
            for (bool current : {true, false}) {
                form.CheckBox1->setChecked(current);
                for (dm.Query1.first(); !dm.Query1.eof() && !done(); dm.Query1.next()) {
                    form.PageControl1->setCurrentIndex(0);
                    form.PageControl1->setCurrentIndex(4);
                    data::Table& lines = dm.statementTable(current);
                    for (lines.first(); !lines.eof() && !done(); lines.next())
                        form.ShowStatementDetail();
                }
            }
            // The demo's statement lines may all have another document
            // first: these forms are then asked for directly, on the first
            // entered transaction and the first order received.
            StatementLine line;
            line.languageTable = side->moduleName + files.language;
            const QString transactionForm =
                side->client ? QStringLiteral("clview_qrfrm") : QStringLiteral("supview_qrfrm");
            if (!files.written.count(transactionForm + QLatin1Char('-') + files.language)) {
                data::Table& document = dm.sourceDocument;
                document.open();
                document.setIndexFieldNames(QStringLiteral("Reference;")
                                            + (side->client ? QStringLiteral("Client") : QStringLiteral("Supplier")));
                document.first();
                const QVariantList key = {
                    document.field(QStringLiteral("Reference")).value(),
                    document.field(side->client ? QStringLiteral("Client") : QStringLiteral("Supplier")).value()};
                document.setRange(key, key);
                Reports().TransactionReport(dm, line, &form);
                document.cancelRange();
                document.close();
            }
            if (!side->client && !files.written.count(QStringLiteral("poreprint_qrfrm-") + files.language)) {
                data::Query received(
                    dm.database.database(),
                    QStringLiteral("SELECT Cfrhd_order_number FROM cfrhd ORDER BY Cfrhd_order_number"));
                received.open();
                line.purchaseOrder = received.isEmpty() ? QString() : received.fieldByNumber(0).asString();
                Reports().PurchaseOrderReprint(dm, line, &form);
            }
            for (const QString& f : wanted)
                if (!files.written.count(f + QLatin1Char('-') + files.language)) {
                    std::fprintf(stderr, "no document for %s in %s\n", f.toUtf8().constData(), code);
                    ++missing;
                }
            SetWhichDocumentAsker(nullptr);
            form.ExitClick();
        }
    }
    return missing == 0 ? 0 : 1;
}
