// The window and its dialogs as a user of each language sees them, with an
// entry in progress. With VARNEX_SCREENSHOTS set to a folder, the pictures of
// docs/screenshots are written there as well.
#include "purchent_fixture.h"

#include <QDir>
#include <QPixmap>
#include <QTableView>

using namespace purchenttest;

namespace {

class ScreensFixture : public PurchentFixture {
public:
    ScreensFixture()
    {
        taxSystem = 1;
        jobCost = true;
    }
};

void keep(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("VARNEX_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    EXPECT_TRUE(window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) << name.toStdString();
}

} // namespace

TEST_F(ScreensFixture, EveryWindowSpeaksTheUsersLanguage)
{
    struct Expected {
        const char* code;
        int language;
        const char* accept;
        const char* holdback;
        const char* taxes;
        const char* project;
        const char* period;
    };
    const Expected languages[] = {
        {"en", 1, "Accept", "Holdbacks", "Enter total sales amount per tax rate", "Enter project",
         "Change period number"},
        {"fr", 2, "Accepter", "Retenues", "Entrer le montant total des ventes par taux de taxe", "Entrer le projet",
         "Changer le numéro de période"},
    };
    for (const Expected& l : languages) {
        record.raw().Link_language = l.language;
        record.setLangCode(QString::fromLatin1(l.code));
        const QString suffix = QLatin1Char('-') + QString::fromLatin1(l.code);
        QStringList captions;
        run([&](Entry& e) {
            EXPECT_EQ(e.w<QPushButton>(QStringLiteral("PostBtn"))->text(), QString::fromUtf8(l.accept));
            auto period = WhenShown(QStringLiteral("period_frm"), [&](QWidget* dialog) {
                captions << dialog->windowTitle();
                keep(dialog, QStringLiteral("purchent-period") + suffix);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
            });
            e.click(QStringLiteral("SpeedButton4"));
            e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
            e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("F-2291"));
            e.type(QStringLiteral("TransMemo"),
                   QString::fromUtf8(l.language == 2 ? "Quincaillerie de mars" : "March hardware"));
            e.debit(2, QStringLiteral("1000.00"));
            e.debit(3, QStringLiteral("85.00"));
            e.debit(4, QStringLiteral("54.25"));
            e.credit(1, QStringLiteral("1139.25"));
            e.focus(QStringLiteral("VarnexMaskEdit5"));
            keep(e.window, QStringLiteral("purchent") + suffix);
            auto taxes = WhenShown(QStringLiteral("frmVAT"), [&](QWidget* dialog) {
                captions << dialog->windowTitle();
                auto* grid = dialog->findChild<QTableView*>(QStringLiteral("dbgTaxes"));
                grid->model()->setData(grid->model()->index(0, 3), QStringLiteral("1085"), Qt::EditRole);
                keep(dialog, QStringLiteral("purchent-taxes") + suffix);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
            });
            auto holdback = WhenShown(QStringLiteral("frmHoldback"), [&](QWidget* dialog) {
                captions << dialog->windowTitle();
                auto* percent = dialog->findChild<QLineEdit*>(QStringLiteral("edtPercent"));
                percent->setFocus();
                percent->selectAll();
                QTest::keyClicks(percent, QStringLiteral("10"));
                dialog->findChild<QLineEdit*>(QStringLiteral("edtAmount"))->setFocus();
                settle();
                keep(dialog, QStringLiteral("purchent-holdback") + suffix);
                percent->setText(QStringLiteral("0"));
                dialog->findChild<QLineEdit*>(QStringLiteral("edtAmount"))->setText(QStringLiteral("0"));
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
            });
            auto project = WhenShown(QStringLiteral("frmProject"), [&](QWidget* dialog) {
                captions << dialog->windowTitle();
                auto* grid = dialog->findChild<QTableView*>(QStringLiteral("dbgProject"));
                EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(),
                          QString::fromUtf8(l.language == 2 ? "Élément" : "Element"));
                grid->setFocus();
                QTest::keyClick(grid, Qt::Key_Insert);
                settle();
                grid->model()->setData(grid->model()->index(0, 0), QStringLiteral("P1"), Qt::EditRole);
                grid->model()->setData(grid->model()->index(0, 3), 3, Qt::EditRole);
                grid->model()->setData(grid->model()->index(0, 4), 12.5, Qt::EditRole);
                settle();
                keep(dialog, QStringLiteral("purchent-project") + suffix);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CancelBtn")), Qt::LeftButton);
            });
            e.click(QStringLiteral("PostBtn"));
            EXPECT_TRUE(project->ran());
        });
        EXPECT_EQ(captions, QStringList({QString::fromUtf8(l.period), QString::fromUtf8(l.taxes),
                                         QString::fromUtf8(l.holdback), QString::fromUtf8(l.project)}))
            << l.code;
    }
}
