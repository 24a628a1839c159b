// Pictures of every tab of both windows, in English and French, on the demo
// company, for the documentation:
//
//   accountview_screenshots --root DIR --out FOLDER
//
// DIR is a data root made by "lgxadmin init" and "lgxadmin demo" (DIR/Lgx/data).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>

#include <cstdio>

#include "varnex/accountview/accountform.h"
#include "varnex/application.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/query.h"
#include "varnex/regional.h"

using namespace varnex;
using namespace varnex::accountview;

namespace {

void ModuleAddress()
{
}

void settle(int ms = 60)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents();
}

// Puts the list on the account with the most statement lines, so that every
// tab has something to show.
void selectBusiestAccount(TAccountForm& form, TAccountDataModule& dm)
{
    data::Query count;
    count.setDatabase(dm.database.database());
    const AccountSide& s = form.side();
    count.setSql(QStringLiteral("SELECT %1 AS code, COUNT(*) AS n FROM %2 GROUP BY %1 ORDER BY n DESC, code")
                     .arg(s.lineAccountField, s.currentTable));
    count.open();
    if (count.isEmpty())
        return;
    form.ComboBox1->setCurrentIndex(0);
    form.ComboBox2->setCurrentIndex(0);
    const QString busiest = count.field(QStringLiteral("code")).asString();
    form.VarnexMaskEdit1->clear();
    form.SearchAccounts();
    for (dm.Query1.first(); !dm.Query1.eof(); dm.Query1.next())
        if (dm.Query1.field(s.codeField).asString() == busiest)
            return;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    VarnexApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QString root;
    QString out;
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--root"))
            root = arguments[i + 1];
        if (arguments[i] == QLatin1String("--out"))
            out = arguments[i + 1];
    }
    if (root.isEmpty() || out.isEmpty()) {
        std::fprintf(stderr, "usage: accountview_screenshots --root DIR --out FOLDER\n");
        return 2;
    }
    QDir().mkpath(out);
    const QString dataRoot = QDir(root).filePath(QStringLiteral("Lgx/data"));
    for (const AccountSide* side : {&ClientSide(), &SupplierSide()}) {
        for (const char* code : {"en", "fr"}) {
            LinkRecord link;
            link.setText(&TLinkSection::Link_data_dir, dataRoot);
            link.setText(&TLinkSection::Link_company, QStringLiteral("1"));
            link.setText(&TLinkSection::Link_company_name, QStringLiteral("Démo"));
            link.setText(&TLinkSection::Link_user_name, QStringLiteral("Administrateur"));
            link.raw().Link_session = 8;
            link.raw().Link_language = QLatin1String(code) == QLatin1String("fr") ? 2 : 1;
            link.setLangCode(QString::fromLatin1(code));
            TAccountDataModule dm(*side);
            TAccountForm form(*side, &dm, link, reinterpret_cast<const void*>(&ModuleAddress));
            TWhichReportForm which;
            if (!side->client)
                form.whichForm = &which;
            form.show();
            while (!dm.Query1.isOpen())
                QCoreApplication::processEvents();
            selectBusiestAccount(form, dm);
            for (int tab = 0; tab < form.PageControl1->count(); ++tab) {
                form.PageControl1->setCurrentIndex(tab);
                settle();
                const QString file = QDir(out).filePath(
                    QStringLiteral("%1_%2_%3.png").arg(side->moduleName, QString::fromLatin1(code)).arg(tab));
                if (!form.grab().save(file)) {
                    std::fprintf(stderr, "cannot write %s\n", file.toUtf8().constData());
                    return 1;
                }
            }
            form.ExitClick();
        }
    }
    return 0;
}
