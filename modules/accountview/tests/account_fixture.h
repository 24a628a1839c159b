#pragma once
// A data root with one company, the account display window over it, and
// helpers to write the rows a test needs.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "test_support.h"
#include "varnex/accountview/accountform.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/settings.h"

namespace varnex::accountview::test {

inline void ModuleAddressForTests()
{
}

// Appends one record: field names and values in pairs.
inline void AddRow(const std::shared_ptr<data::Database>& db, const QString& table,
                   const QList<QPair<QString, QVariant>>& values)
{
    data::Table t;
    t.setDatabase(db);
    t.setTableName(table);
    t.open();
    t.append();
    for (const auto& [field, value] : values)
        t.field(field).setValue(value);
    t.post();
}

inline QVariant Money(const char* amount)
{
    return QVariant::fromValue(*Currency::parse(QString::fromLatin1(amount)));
}

class AccountWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRegionalFormats();
        dataRoot = root.path() + QStringLiteral("/data");
        data::DataRootOptions rootOptions;
        rootOptions.adminPassword = QStringLiteral("ADMIN1");
        data::CreateDataRoot(dataRoot, rootOptions);
        data::CompanyOptions company;
        company.number = 1;
        company.name = QStringLiteral("Quincaillerie Côté");
        company.language = 1;
        data::CreateCompany(dataRoot, company);
        companyFolder = dataRoot + QStringLiteral("1");
        db = data::Database::forFolder(companyFolder);
        link.setText(&TLinkSection::Link_data_dir, dataRoot);
        link.setText(&TLinkSection::Link_pgm_dir, root.path() + QStringLiteral("/bin"));
        link.setText(&TLinkSection::Link_company, QStringLiteral("1"));
        link.setText(&TLinkSection::Link_company_name, QStringLiteral("Quincaillerie Côté"));
        link.setText(&TLinkSection::Link_user_name, QStringLiteral("Marie"));
        link.raw().Link_session = 3;
        link.raw().Link_language = 1;
        link.setLangCode(QStringLiteral("en"));
    }

    void TearDown() override
    {
        form.reset();
        dm.reset();
        ResetRegionalFormats();
    }

    void setCtrl(const QList<QPair<QString, QVariant>>& values)
    {
        data::Table ctrl;
        ctrl.setDatabase(db);
        ctrl.setTableName(QStringLiteral("ctrl"));
        ctrl.open();
        ctrl.first();
        ctrl.edit();
        for (const auto& [field, value] : values)
            ctrl.field(field).setValue(value);
        ctrl.post();
    }

    // Opens the window and waits for its first activation.
    TAccountForm& open(const AccountSide& side)
    {
        dm = std::make_unique<TAccountDataModule>(side);
        form =
            std::make_unique<TAccountForm>(side, dm.get(), link, reinterpret_cast<const void*>(&ModuleAddressForTests));
        if (!side.client) {
            which = std::make_unique<TWhichReportForm>();
            form->whichForm = which.get();
        }
        form->show();
        const bool up = QTest::qWaitFor([this] { return dm->database.connected() && dm->Query1.isOpen(); }, 5000);
        EXPECT_TRUE(up);
        return *form;
    }

    template <typename W>
    W* child(const QString& name)
    {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    test_support::ScratchSettings settings;
    QTemporaryDir root;
    QString dataRoot;
    QString companyFolder;
    std::shared_ptr<data::Database> db;
    LinkRecord link;
    std::unique_ptr<TAccountDataModule> dm;
    std::unique_ptr<TAccountForm> form;
    std::unique_ptr<TWhichReportForm> which;
    RecordingMessageService messages;
};

} // namespace varnex::accountview::test
