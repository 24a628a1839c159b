#pragma once
// Creation of a data root (the system tables) and of a company folder (every
// company table, its control record and its periods). The company-creation
// option, the administration tool and the tests all create folders through
// these functions, so a new folder always matches the catalogue.
//
// Folders: the data root is "datadrive" + "/Lgx/data"; company N's folder is
// the data root immediately followed by N ("/Lgx/data1").

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>

namespace varnex::data {

class Database;
class CreationClaim;

// A refusal of a set-up step (folder already initialised, unknown option
// name, user already there ...), with a message meant for the user.
class SetupError : public std::runtime_error {
public:
    // The refusals a caller tells in the user's language from its own table
    // (the catalogue has none); `subject` is what the text names.
    enum class Kind {
        Other,
        CompanyBeingCreated, // another process is creating the same company; subject: its folder
    };
    explicit SetupError(const QString& message, Kind kind = Kind::Other, QString subject = QString());
    const QString& message() const { return m_message; }
    Kind kind() const { return m_kind; }
    const QString& subject() const { return m_subject; }

private:
    QString m_message;
    Kind m_kind = Kind::Other;
    QString m_subject;
};

QString DataRootOfDrive(const QString& dataDrive);                   // drive + "/Lgx/data"
QString CompanyFolderOf(const QString& dataRoot, int companyNumber); // root + number

struct DataRootOptions {
    int sessions = 10; // rows of `session` and `virmem`
    QString adminCode = QStringLiteral("ADMIN");
    QString adminName = QStringLiteral("Administrateur");
    QString adminPassword; // empty: a random one is made
    int adminLanguage = 2; // 1 English, 2 French
    int adminCompany = 1;
};

// Creates the system tables of a new data root (the folder is created when
// missing) with Languages, the default Tools entry, the session slots and
// their scratch rows, the data-root templates and one administrator who may
// use every option. Refuses a data root that already has a `user` table.
// Returns the administrator's password.
QString CreateDataRoot(const QString& dataRoot, const DataRootOptions& options = {});

// Creates `apps` with its one default row (the Tools menu maintenance entry)
// when it is missing; returns true when it was created.
bool EnsureAppsTable(Database& systemDatabase);

struct CompanyOptions {
    int number = 1;
    QString name;
    QString address1, address2, city, province, country, postalCode, telephone, contact;
    QString password; // company password; empty: none
    int language = 2; // language of the month names of `Periods`
    int periods = 12; // accounting periods in the year (13th: adjustments)
    int currentPeriod = 1;
    int taxSystem = 0;             // `Ctrl_TaxSystem`: 0 GST/PST (Canada), other: value-added tax
    double federalRate = 5.0;      // GST
    double provincialRate = 9.975; // QST
    bool payroll = false;          // create the payroll marker tables
    bool jobCost = false;          // create the job-cost marker table
};

// Creates company N's folder with every company table, the control records
// (`ctrl`, `ivctrl`), periods 1 to 13 with month names, empty statistics
// year lists, and its row in the data root's `comp`. Refuses a company that is
// registered and already holds a `ctrl` table.
void CreateCompany(const QString& dataRoot, const CompanyOptions& options);

// True when company N has its row in the data root's `comp`.
bool IsCompanyRegistered(const QString& dataRoot, int number);
// True while another process creates company N (it holds the company's
// creation claim; the claim dies with that process).
bool IsCompanyBeingCreated(const QString& dataRoot, int number);

// Company creation in two steps, for a creator that fills the company before
// it exists (the demonstration company): the constructor clears what an
// interrupted attempt left in an unregistered folder and creates the tables
// and control records; finish() registers the company in `comp`, last. Until
// then no one lists, opens or checks the company, and a new attempt starts
// over. One process at a time creates a given company: a second one is
// refused (SetupError::Kind::CompanyBeingCreated) before it touches anything.
class CompanyCreation {
public:
    CompanyCreation(const QString& dataRoot, const CompanyOptions& options);
    ~CompanyCreation();
    CompanyCreation(const CompanyCreation&) = delete;
    CompanyCreation& operator=(const CompanyCreation&) = delete;

    const QString& folder() const { return m_folder; }
    const std::shared_ptr<Database>& database() const { return m_db; }
    void finish();

private:
    CompanyOptions m_options;
    QString m_folder;
    std::shared_ptr<Database> m_root;
    std::unique_ptr<CreationClaim> m_claim;
    std::shared_ptr<Database> m_db;
};

// ---- users -----------------------------------------------------------------

struct UserSpec {
    QString code;
    QString name;
    QString password; // stored in upper case: the login searches what is typed, upper-cased
    int language = 2;
    int company = 1;
    int detail = 0;
    QString printer;
    int store = 1;
    QByteArray rights; // 200 bytes (RightsAll(), RightsNone(), RightsFor())
};

// Adds a user to the data root's `user` table. Refuses an empty code or
// password, a password or code already used by another user.
void AddUser(const QString& dataRoot, const UserSpec& user);

// A password of `length` letters and digits without look-alikes (0/O, 1/I).
QString RandomPassword(int length = 8);

// Names of the month of period 1..13 in a language (1 English, 2 French);
// period 13 is the adjustments period.
QString PeriodName(int period, int language);

} // namespace varnex::data
