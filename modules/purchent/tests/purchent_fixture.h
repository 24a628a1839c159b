#pragma once
// A small company and the purchases module loaded as the launcher loads it:
// the tests call ShowDllForm and drive the real window through its named
// components (typing, Tab, F2, clicks), answer the message boxes and pick
// lists, and read the rows the posting stored. Works on both engines.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include "deferred.h"
#include "modal_driver.h"
#include "varnex/controls/maskedit.h"
#include "varnex/currency.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"
#include "varnex/frame/picklist.h"
#include "varnex/library.h"
#include "varnex/linksection.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/settings.h"

namespace purchenttest {

using varnex::Currency;

inline Currency money(const char* text)
{
    return *Currency::parse(std::string_view(text));
}

constexpr int Payable = 2100;
constexpr int PayableUs = 2110;
constexpr int PayableEuro = 2120;
constexpr int Goods = 5100;
constexpr int Freight = 5300;
constexpr int Supplies = 5400;
constexpr int GstPaid = 1410;
constexpr int QstPaid = 1420;
constexpr int Session = 3;

// Lets queued work (deferred validation, messages, focus returns) run, and
// the work it queues in turn, until none is left.
inline void settle()
{
    EXPECT_TRUE(varnex::test_support::RunDeferred()) << "the window kept deferring work";
}

// The running window, reached by component names only.
class Entry {
public:
    explicit Entry(QWidget* window)
        : window(window)
    {
    }

    template <typename T = QWidget>
    T* w(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    // After a dialog closes, the offscreen platform does not give the
    // activation back by itself.
    void activate()
    {
        if (!window->isActiveWindow()) {
            window->activateWindow();
            (void)QTest::qWaitForWindowActive(window, 2000);
        }
    }

    void focus(const QString& name)
    {
        activate();
        QWidget* box = w(name);
        box->setFocus(Qt::MouseFocusReason);
        settle();
    }

    // Focuses the box, replaces its text by typing, stays in it.
    void type(const QString& name, const QString& text)
    {
        focus(name);
        QWidget* box = w(name);
        if (auto* line = qobject_cast<QLineEdit*>(box))
            line->selectAll();
        if (!text.isEmpty())
            QTest::keyClicks(box, text);
        else if (qobject_cast<QLineEdit*>(box))
            QTest::keyClick(box, Qt::Key_Delete);
        settle();
    }

    void key(Qt::Key key)
    {
        activate();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window->focusWidget();
        QTest::keyClick(target, key);
        settle();
    }

    void tab() { key(Qt::Key_Tab); }

    // Types and leaves the box with Tab.
    void fill(const QString& name, const QString& text)
    {
        type(name, text);
        tab();
    }

    void setDate(const QString& name, const QString& text)
    {
        focus(name);
        w<varnex::TVarnexMaskEdit>(name)->setText(text);
        tab();
    }

    void chooseType(int index)
    {
        focus(QStringLiteral("TransType"));
        w<QComboBox>(QStringLiteral("TransType"))->setCurrentIndex(index);
    }

    void debit(int row, const QString& amount) { fill(QStringLiteral("DebitCell%1").arg(row), amount); }
    void credit(int row, const QString& amount) { fill(QStringLiteral("CreditCell%1").arg(row), amount); }
    void account(int row, const QString& account) { fill(QStringLiteral("VarnexMaskEdit%1").arg(row), account); }

    void click(const QString& name)
    {
        activate();
        QWidget* button = w(name);
        if (button->focusPolicy() & Qt::ClickFocus)
            button->setFocus(Qt::MouseFocusReason);
        settle();
        QTest::mouseClick(button, Qt::LeftButton);
        settle();
    }

    QString text(const QString& name) const
    {
        QWidget* box = w(name);
        if (auto* mask = qobject_cast<varnex::TVarnexMaskEdit*>(box))
            return mask->Text();
        if (auto* line = qobject_cast<QLineEdit*>(box))
            return line->text();
        if (auto* memo = qobject_cast<QPlainTextEdit*>(box))
            return memo->toPlainText();
        return box->property("text").toString();
    }

    Currency amount(const QString& name) const
    {
        return *Currency::parse(text(name).isEmpty() ? QStringLiteral("0") : text(name));
    }
    bool focused(const QString& name) const { return QApplication::focusWidget() == w(name); }

    QWidget* window;
};

// Runs the steps when a dialog of the module opens (inside its own exec()).
inline std::unique_ptr<varnex::test_support::ModalDriver> WhenShown(const QString& name,
                                                                    std::function<void(QWidget*)> steps)
{
    return std::make_unique<varnex::test_support::ModalDriver>(
        name,
        [steps](QWidget* dialog) {
            (void)QTest::qWaitForWindowActive(dialog, 2000);
            settle();
            steps(dialog);
        },
        20000);
}

class PurchentFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_settings = m_dir.path() + QStringLiteral("/varnex.ini");
        qputenv("VARNEX_SETTINGS", m_settings.toLocal8Bit());
        varnex::SettingsStore store(m_settings);
        store.setValue(QStringLiteral("Settings"), QStringLiteral("DateFmt"), QStringLiteral("DD/MM/YYYY"));
        store.setValue(QStringLiteral("Lgx"), QStringLiteral("JobCost"),
                       jobCost ? QStringLiteral("Y") : QStringLiteral("n"));
        root = m_dir.path() + QStringLiteral("/Lgx/data");
        varnex::data::CreateDataRoot(root);
        varnex::data::CompanyOptions options;
        options.number = 1;
        options.name = QStringLiteral("Quincaillerie Côté");
        options.language = 1;
        options.taxSystem = taxSystem;
        options.currentPeriod = 3;
        options.jobCost = jobCost;
        varnex::data::CreateCompany(root, options);
        db = varnex::data::Database::forFolder(varnex::data::CompanyFolderOf(root, 1));
        fillMasters();

        record.setText(&TLinkSection::Link_data_dir, root);
        record.setText(&TLinkSection::Link_pgm_dir, QStringLiteral(VARNEX_BIN_DIR));
        record.setText(&TLinkSection::Link_company, QStringLiteral("1"));
        record.setText(&TLinkSection::Link_company_name, QStringLiteral("Quincaillerie Côté"));
        record.setText(&TLinkSection::Link_user, QStringLiteral("MARIE"));
        record.setText(&TLinkSection::Link_user_name, QStringLiteral("Marie"));
        record.raw().Link_session = Session;
        record.raw().Link_language = 1;
        record.setLangCode(QStringLiteral("en"));
        ASSERT_TRUE(library.load(QStringLiteral(VARNEX_BIN_DIR "/purchent.so"))) << library.errorText().toStdString();
        show = library.entry<std::int32_t (*)(TLinkSection)>("ShowDllForm");
        ASSERT_NE(show, nullptr);
    }

    void TearDown() override
    {
        varnex::ResetRegionalFormats();
        qunsetenv("VARNEX_SETTINGS");
    }

    // Shows the window and runs the steps in it; Exit closes it afterwards.
    std::int32_t run(const std::function<void(Entry&)>& steps)
    {
        varnex::test_support::ModalDriver driver(
            QStringLiteral("purchent_frm"),
            [&](QWidget* window) {
                EXPECT_TRUE(QTest::qWaitForWindowActive(window, 5000));
                Entry entry(window);
                auto* supplier = entry.w(QStringLiteral("Varnexdbedit1"));
                EXPECT_TRUE(QTest::qWaitFor([supplier] { return supplier->hasFocus(); }, 5000));
                settle();
                steps(entry);
                if (window->isVisible())
                    entry.click(QStringLiteral("Exit_btn"));
            },
            60000);
        const std::int32_t result = show(record.value());
        EXPECT_FALSE(driver.timedOut());
        return result;
    }

    std::unique_ptr<varnex::data::Table> open(const QString& name)
    {
        auto t = std::make_unique<varnex::data::Table>();
        t->setDatabase(db);
        t->setTableName(name);
        t->open();
        return t;
    }

    int count(const QString& table) { return open(table)->recordCount(); }

    Currency supplierMoney(const QString& code, const QString& field)
    {
        auto sup = open(QStringLiteral("sup"));
        EXPECT_TRUE(sup->findKey({code}));
        return sup->field(field).asMoney();
    }

    void addSupplier(const QString& code, const QString& name, int currency, int terms, int account1 = 0)
    {
        auto sup = open(QStringLiteral("sup"));
        sup->append();
        sup->field(QStringLiteral("Sup_code")).setString(code);
        sup->field(QStringLiteral("Sup_name")).setString(name);
        sup->field(QStringLiteral("Sup_city")).setString(QStringLiteral("Québec"));
        sup->field(QStringLiteral("Sup_email")).setString(code.toLower() + QStringLiteral("@example.com"));
        sup->field(QStringLiteral("Sup_currency")).setInteger(currency);
        sup->field(QStringLiteral("Sup_du_days")).setInteger(terms);
        if (account1 != 0)
            sup->field(QStringLiteral("Sup_accnt1")).setInteger(account1);
        for (const char* f : {"Sup_current_bal", "Sup_last_purch", "Sup_purch_mth", "Sup_purch_ytd"})
            sup->field(QString::fromLatin1(f)).setMoney(Currency());
        sup->post();
    }

    void fillMasters()
    {
        auto ctrl = open(QStringLiteral("ctrl"));
        ctrl->first();
        ctrl->edit();
        ctrl->field(QStringLiteral("Ctrl_ap_period")).setInteger(3);
        ctrl->field(QStringLiteral("Ctrl_ap_accnt")).setInteger(Payable);
        ctrl->field(QStringLiteral("Ctrl_ap_curr2")).setInteger(PayableUs);
        ctrl->field(QStringLiteral("Ctrl_ap_curr3")).setInteger(PayableEuro);
        ctrl->field(QStringLiteral("Ctrl_ap_curr4")).setInteger(0);
        ctrl->field(QStringLiteral("Ctrl_ap_curr5")).setInteger(0);
        ctrl->field(QStringLiteral("Ctrl_ap_purch_accnt1")).setInteger(Goods);
        ctrl->field(QStringLiteral("Ctrl_ap_purch_accnt2")).setInteger(Freight);
        ctrl->field(QStringLiteral("Ctrl_ap_purch_accnt3")).setInteger(GstPaid);
        ctrl->field(QStringLiteral("Ctrl_ap_purch_accnt4")).setInteger(QstPaid);
        for (int i = 5; i <= 8; ++i)
            ctrl->field(QStringLiteral("Ctrl_ap_purch_accnt%1").arg(i)).setInteger(0);
        ctrl->field(QStringLiteral("Ctrl_curr1_sign")).setString(QStringLiteral("US"));
        ctrl->field(QStringLiteral("Ctrl_curr2_sign")).setString(QStringLiteral("€"));
        ctrl->post();

        auto glm = open(QStringLiteral("glm"));
        for (int account : {Payable, PayableUs, PayableEuro, Goods, Freight, Supplies, GstPaid, QstPaid}) {
            glm->append();
            glm->field(QStringLiteral("Glm_account")).setInteger(account);
            glm->field(QStringLiteral("Glm_Description")).setString(QStringLiteral("Account %1").arg(account));
            glm->post();
        }
        auto rates = open(QStringLiteral("taxratesP"));
        const struct {
            int account;
            const char* description;
            double rate;
            int code;
        } taxes[] = {{GstPaid, "GST", 5.0, 1}, {QstPaid, "QST", 9.975, 2}};
        for (const auto& t : taxes) {
            rates->append();
            rates->field(QStringLiteral("TaxRates_Account")).setInteger(t.account);
            rates->field(QStringLiteral("TaxRates_Description")).setString(QString::fromLatin1(t.description));
            rates->field(QStringLiteral("TaxRates_Rate")).setNumber(t.rate);
            rates->field(QStringLiteral("TaxRates_Code")).setInteger(t.code);
            rates->post();
        }
        addSupplier(QStringLiteral("ACME"), QStringLiteral("Acme Hardware"), 0, 30);
        addSupplier(QStringLiteral("USCO"), QStringLiteral("US Tools"), 1, 915);
        addSupplier(QStringLiteral("EURO"), QStringLiteral("Euro Gas"), 2, 10, Supplies);
        auto orders = open(QStringLiteral("cfhdr"));
        orders->append();
        orders->field(QStringLiteral("Cfhdr_doc")).setString(QStringLiteral("2"));
        orders->field(QStringLiteral("Cfhdr_order_number")).setString(QStringLiteral("PO100"));
        orders->field(QStringLiteral("Cfhdr_supplier")).setString(QStringLiteral("ACME"));
        orders->post();
    }

    // Set before SetUp by the derived fixtures.
    int taxSystem = 0;
    bool jobCost = false;

    QTemporaryDir m_dir;
    QString m_settings;
    QString root;
    std::shared_ptr<varnex::data::Database> db;
    varnex::LinkRecord record;
    varnex::SharedLibrary library;
    std::int32_t (*show)(TLinkSection) = nullptr;
    varnex::RecordingMessageService messages;
    varnex::frame::RecordingPickListService picks;
};

} // namespace purchenttest
