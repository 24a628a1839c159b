// Creation of data roots, company folders and users.

#include "varnex/data/company.h"

#include <sys/stat.h>

#include "record_writer.h"
#include "varnex/data/database.h"
#include "varnex/data/options.h"
#include "varnex/data/schema.h"
#include "varnex/data/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace varnex::data {

SetupError::SetupError(const QString& message, Kind kind, QString subject)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_kind(kind)
    , m_subject(std::move(subject))
{
}

QString DataRootOfDrive(const QString& dataDrive)
{
    QString drive = dataDrive;
    while (drive.size() > 1 && drive.endsWith(QLatin1Char('/')))
        drive.chop(1);
    return drive + QStringLiteral("/Lgx/data");
}

QString CompanyFolderOf(const QString& dataRoot, int companyNumber)
{
    QString root = dataRoot;
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root + QString::number(companyNumber);
}

QString RandomPassword(int length)
{
    // Upper case only: the login upper-cases what is typed.
    static const char alphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    QString out;
    for (int i = 0; i < length; ++i)
        out += QLatin1Char(alphabet[QRandomGenerator::system()->bounded(int(sizeof alphabet) - 1)]);
    return out;
}

QString PeriodName(int period, int language)
{
    static const char* const english[] = {"January",  "February", "March",      "April",     "May",
                                          "June",     "July",     "August",     "September", "October",
                                          "November", "December", "Adjustments"};
    static const char* const french[] = {"Janvier",  "Février",  "Mars",       "Avril",     "Mai",
                                         "Juin",     "Juillet",  "Août",       "Septembre", "Octobre",
                                         "Novembre", "Décembre", "Ajustements"};
    if (period < 1 || period > 13)
        return QString();
    return QString::fromUtf8(language == 2 ? french[period - 1] : english[period - 1]);
}

namespace {

// Passwords are kept as typed in `user`, so the data must not be readable by
// every local account; the office's group shares it. Folders 0770, files 0660,
// whatever the creating process's umask.
constexpr mode_t FolderMode = 0770;
constexpr mode_t FileMode = 0660;

void restrictFolder(const QString& folder)
{
    ::chmod(QFile::encodeName(folder).constData(), FolderMode);
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        ::chmod(QFile::encodeName(dir.filePath(name)).constData(), FileMode);
}

// Creates `folder` and the folders above it that are missing, each 0770.
bool makeFolder(const QString& folder)
{
    QStringList missing;
    for (QString f = QDir::cleanPath(QDir(folder).absolutePath()); !QFileInfo::exists(f);) {
        missing.prepend(f);
        const QString parent = QFileInfo(f).absolutePath();
        if (parent == f)
            break;
        f = parent;
    }
    if (!QDir().mkpath(folder))
        return false;
    for (const QString& f : missing)
        ::chmod(QFile::encodeName(f).constData(), FolderMode);
    return true;
}

std::shared_ptr<Database> openFolder(const QString& folder, bool create)
{
    if (folder.trimmed().isEmpty())
        throw SetupError(QStringLiteral("No folder was given."));
    if (create && !makeFolder(folder))
        throw SetupError(QStringLiteral("The folder %1 cannot be created.").arg(folder));
    if (!QDir(folder).exists())
        throw SetupError(QStringLiteral("The folder %1 does not exist.").arg(folder));
    // A folder that is only read from must not be left holding a new, empty
    // database: the next look at it would take that for data.
    if (!create && !Database::existsForFolder(folder))
        throw SetupError(QStringLiteral("The folder %1 holds no data of this system.").arg(folder));
    return Database::forFolder(folder);
}

void createMissing(Database& db, const TableDef& def)
{
    if (!db.tableExists(def.name))
        db.createTable(def);
}

void insertUser(Database& db, const UserSpec& newUser)
{
    const QString code = newUser.code.trimmed();
    const QString password = newUser.password.trimmed().toUpper();
    if (code.isEmpty())
        throw SetupError(QStringLiteral("A user needs a code."));
    if (password.isEmpty())
        throw SetupError(QStringLiteral("A user needs a password."));
    // Refused rather than cut: a password silently cut to its field would no
    // longer be the one the user was told.
    if (code.size() > 10 || password.size() > 10)
        throw SetupError(QStringLiteral("A user's code and password hold at most 10 characters."));
    if (newUser.name.size() > 30)
        throw SetupError(QStringLiteral("A user's name holds at most 30 characters."));
    if (newUser.language != 1 && newUser.language != 2)
        throw SetupError(QStringLiteral("A user's language is 1 (English) or 2 (French)."));
    if (newUser.company < 1 || newUser.company > 32767)
        throw SetupError(QStringLiteral("A user's company is a number from 1 to 32767."));
    if (!newUser.rights.isEmpty() && newUser.rights.size() != RightsMapSize)
        throw SetupError(QStringLiteral("A rights map holds exactly 200 bytes."));

    Table users;
    users.setDatabase(db.shared_from_this());
    users.setTableName(QStringLiteral("user"));
    users.open();
    if (users.findKey({password}))
        throw SetupError(QStringLiteral("Another user already has this password."));
    users.setIndexFieldNames(QStringLiteral("User_code"));
    if (users.findKey({code}))
        throw SetupError(QStringLiteral("A user with the code %1 already exists.").arg(code));

    RecordWriter w(users);
    w.append();
    w.set("User_password", password);
    w.set("User_code", code);
    w.set("User_name", newUser.name);
    w.set("User_detail", newUser.detail);
    w.set("User_language", newUser.language);
    w.set("User_company", newUser.company);
    w.set("User_printer", newUser.printer);
    w.set("User_security", newUser.rights.isEmpty() ? RightsNone() : newUser.rights);
    w.set("User_store", newUser.store);
    w.post();
}

void insertLanguages(Database& db)
{
    Table t;
    t.setDatabase(db.shared_from_this());
    t.setTableName(QStringLiteral("Languages"));
    t.open();
    RecordWriter w(t);
    const struct {
        int key;
        const char* code;
        const char* name;
    } languages[] = {{1, "en", "English"}, {2, "fr", "Français"}};
    for (const auto& l : languages) {
        if (t.findKey({l.key}))
            continue;
        w.append();
        w.set("LangKey", l.key);
        w.set("LangCode", QString::fromUtf8(l.code));
        w.set("LangName", QString::fromUtf8(l.name));
        w.post();
    }
}

void insertSessions(Database& db, int sessions)
{
    Table session;
    session.setDatabase(db.shared_from_this());
    session.setTableName(QStringLiteral("session"));
    session.open();
    Table virmem;
    virmem.setDatabase(db.shared_from_this());
    virmem.setTableName(QStringLiteral("virmem"));
    virmem.open();
    RecordWriter s(session);
    RecordWriter v(virmem);
    for (int id = 1; id <= sessions; ++id) {
        if (!session.findKey({id})) {
            s.append();
            s.set("Session_id", id);
            s.set("Session_lock", false);
            s.post();
        }
        if (!virmem.findKey({id})) {
            v.append(); // the money fields start at 0
            v.set("Session_id", id);
            v.set("Session_lock", false);
            v.post();
        }
    }
}

void writeEmptyFile(const QString& path)
{
    if (QFile::exists(path))
        return;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw SetupError(QStringLiteral("The file %1 cannot be written.").arg(path));
}

} // namespace

bool EnsureAppsTable(Database& db)
{
    if (db.tableExists(QStringLiteral("apps")))
        return false;
    const TableDef* def = FindTableDef(QStringLiteral("apps"));
    db.createTable(*def);
    Table apps;
    apps.setDatabase(db.shared_from_this());
    apps.setTableName(QStringLiteral("apps"));
    apps.open();
    RecordWriter w(apps);
    w.append();
    w.set("Application_name", QStringLiteral("Maintenance of Tools menu"));
    w.set("Application_name_fr", QStringLiteral("Maintenance du menu Outils"));
    w.set("Application_pgm", QStringLiteral("toolsmaint"));
    w.set("Application_about", QStringLiteral("Security like Maintenance of parameters"));
    w.set("Application_about_fr", QString::fromUtf8("Sécurité comme Maintenance des paramètres"));
    w.set("Application_security", QStringLiteral("sysparams"));
    w.set("Application_type", true);
    w.post();
    return true;
}

QString CreateDataRoot(const QString& dataRoot, const DataRootOptions& options)
{
    if (options.sessions < 1 || options.sessions > 999)
        throw SetupError(QStringLiteral("The number of sessions must be between 1 and 999."));
    auto db = openFolder(dataRoot, true);
    if (db->tableExists(QStringLiteral("user")))
        throw SetupError(QStringLiteral("The data root %1 already holds users; nothing was changed.").arg(dataRoot));

    UserSpec admin;
    admin.code = options.adminCode;
    admin.name = options.adminName;
    admin.password = options.adminPassword.isEmpty() ? RandomPassword() : options.adminPassword;
    admin.language = options.adminLanguage;
    admin.company = options.adminCompany;
    admin.rights = RightsAll();

    Transaction tx(db);
    for (const TableDef* def : TablesOfFolder(Folder::System))
        if (def->name.compare(QLatin1String("apps"), Qt::CaseInsensitive) != 0)
            createMissing(*db, *def);
    for (const TableDef* def : DataRootTemplates())
        createMissing(*db, *def);
    EnsureAppsTable(*db);
    insertLanguages(*db);
    insertSessions(*db, options.sessions);
    insertUser(*db, admin);
    tx.commit();
    restrictFolder(dataRoot);
    return admin.password.trimmed().toUpper();
}

void AddUser(const QString& dataRoot, const UserSpec& user)
{
    auto db = openFolder(dataRoot, false);
    if (!db->tableExists(QStringLiteral("user")))
        throw SetupError(QStringLiteral("%1 is not a data root (no user table).").arg(dataRoot));
    Transaction tx(db);
    insertUser(*db, user);
    tx.commit();
}

namespace {

// The creation claim of company N is a record lock of the data root's
// `comp` on an identity no record has (record identities are positive). The
// engine shares record locks between processes on both engines and drops them
// when their holder dies, so a killed creation never blocks the next one.
std::int64_t claimIdentity(int number)
{
    return -static_cast<std::int64_t>(number);
}

bool isRegistered(const std::shared_ptr<Database>& root, int number)
{
    Table comp;
    comp.setDatabase(root);
    comp.setTableName(QStringLiteral("comp"));
    comp.open();
    return comp.findKey({number});
}

} // namespace

class CreationClaim {
public:
    CreationClaim(std::shared_ptr<Database> root, int number)
        : m_root(std::move(root))
        , m_identity(claimIdentity(number))
    {
        m_held = m_root->tryClaim(QStringLiteral("comp"), m_identity);
    }
    ~CreationClaim()
    {
        if (!m_held)
            return;
        try {
            m_root->unlockClaim(QStringLiteral("comp"), m_identity);
        } catch (...) {
            // A lost connection or a closed file has dropped the lock already.
        }
    }
    CreationClaim(const CreationClaim&) = delete;
    CreationClaim& operator=(const CreationClaim&) = delete;
    bool held() const { return m_held; }

private:
    std::shared_ptr<Database> m_root;
    std::int64_t m_identity;
    bool m_held = false;
};

bool IsCompanyBeingCreated(const QString& dataRoot, int number)
{
    if (!Database::existsForFolder(dataRoot))
        return false;
    auto root = openFolder(dataRoot, false);
    return !CreationClaim(root, number).held();
}

CompanyCreation::CompanyCreation(const QString& dataRoot, const CompanyOptions& o)
    : m_options(o)
{
    if (o.number < 1 || o.number > 32767)
        throw SetupError(QStringLiteral("A company number is from 1 to 32767."));
    if (o.periods < 1 || o.periods > 13 || o.currentPeriod < 0 || o.currentPeriod > 13)
        throw SetupError(QStringLiteral("Periods run from 1 to 13."));
    m_root = openFolder(dataRoot, false);
    if (!m_root->tableExists(QStringLiteral("comp")))
        throw SetupError(QStringLiteral("%1 is not a data root (no comp table).").arg(dataRoot));

    m_folder = CompanyFolderOf(dataRoot, o.number);
    // Before anything in the folder is touched: the tables another process is
    // filling look like the remains of an interrupted attempt.
    m_claim = std::make_unique<CreationClaim>(m_root, o.number);
    if (!m_claim->held())
        throw SetupError(QStringLiteral("Company %1 is being created by another process (%2); wait until it "
                                        "finishes.")
                             .arg(o.number)
                             .arg(m_folder),
                         SetupError::Kind::CompanyBeingCreated, m_folder);
    m_db = openFolder(m_folder, true);
    if (isRegistered(m_root, o.number)) {
        if (m_db->tableExists(QStringLiteral("ctrl")))
            throw SetupError(QStringLiteral("Company %1 already exists in %2.").arg(o.number).arg(m_folder));
    } else {
        // A company becomes real when it is registered, last: tables in an
        // unregistered company folder are what an interrupted creation left.
        for (const QString& table : m_db->tableNames())
            m_db->dropTable(table);
    }
    const auto& db = m_db;
    const QString& folder = m_folder;

    const bool french = o.language == 2;
    {
        // Tables and first records together: a failure leaves no half-made
        // company behind that a second attempt would refuse as existing.
        Transaction tx(db);
        for (const TableDef* def : TablesOfNewCompany(o.payroll, o.jobCost))
            createMissing(*db, *def);
        Table ctrl;
        ctrl.setDatabase(db);
        ctrl.setTableName(QStringLiteral("ctrl"));
        ctrl.open();
        RecordWriter c(ctrl);
        c.append();
        c.set("Ctrl_periods", o.periods);
        for (const char* f : {"Ctrl_gl_period", "Ctrl_ar_period", "Ctrl_ap_period", "Ctrl_fa_period"})
            c.set(f, o.currentPeriod);
        for (const char* f : {"Ctrl_eom_gl", "Ctrl_eom_ar", "Ctrl_eom_ap", "Ctrl_eom_fa", "Ctrl_eom_pa"})
            c.set(f, false);
        for (int n = 1; n <= 5; ++n)
            c.set(QStringLiteral("Ctrl_pl_name%1").arg(n),
                  (french ? QStringLiteral("Prix %1") : QStringLiteral("Price %1")).arg(n));
        c.set("Ctrl_TaxSystem", o.taxSystem);
        c.set("Ctrl_fed_rate", o.federalRate);
        c.set("Ctrl_pro_rate1", o.provincialRate);
        // Aging columns: current, then 30, 60, 90 and over 120 days.
        const int limits[] = {30, 60, 90, 120, 150};
        const char* const namesFr[] = {"Courant", "31 à 60 jours", "61 à 90 jours", "91 à 120 jours", "Plus de 120"};
        const char* const namesEn[] = {"Current", "31 to 60 days", "61 to 90 days", "91 to 120 days", "Over 120"};
        for (int n = 1; n <= 5; ++n) {
            const QString name = QString::fromUtf8(french ? namesFr[n - 1] : namesEn[n - 1]);
            c.set(QStringLiteral("Ctrl_ar_days%1").arg(n), limits[n - 1]);
            c.set(QStringLiteral("Ctrl_ap_days%1").arg(n), limits[n - 1]);
            c.set(QStringLiteral("Ctrl_ar_dname%1").arg(n), name);
            c.set(QStringLiteral("Ctrl_ap_dname%1").arg(n), name);
        }
        c.set("Ctrl_record_no", 1);
        c.set("Ctrl_ar_histo", true);
        c.set("Ctrl_ap_histo", true);
        c.set("Ctrl_ar_invoiceno", 1);
        for (int n = 1; n <= 5; ++n)
            c.set(QStringLiteral("Ctrl_ap_chqno%1").arg(n), 1);
        for (const char* f : {"Ctrl_fa_invoice", "Ctrl_fa_order", "Ctrl_fa_quote", "Ctrl_fa_backorder"})
            c.set(f, 1);
        c.set("Ctrl_dollars1", QStringLiteral("dollars"));
        c.set("Ctrl_cents1", QStringLiteral("cents"));
        c.post();

        Table ivctrl;
        ivctrl.setDatabase(db);
        ivctrl.setTableName(QStringLiteral("ivctrl"));
        ivctrl.open();
        RecordWriter iv(ivctrl);
        iv.append();
        for (int n = 6; n <= 9; ++n)
            iv.set(QStringLiteral("Ivctrl_pl_name%1").arg(n),
                   (french ? QStringLiteral("Prix %1") : QStringLiteral("Price %1")).arg(n));
        iv.set("Ivctrl_period_no", o.currentPeriod);
        iv.set("Ivctrl_gl", true);
        iv.set("Ivctrl_fifo", 1);
        iv.set("Ivctrl_auto_numbering", true);
        iv.set("Ivctrl_block_orders", false);
        iv.set("Ivctrl_po_number", 1);
        iv.post();

        Table periods;
        periods.setDatabase(db);
        periods.setTableName(QStringLiteral("Periods"));
        periods.open();
        RecordWriter p(periods);
        for (int n = 1; n <= 13; ++n) {
            p.append();
            p.set("Period_no", n);
            p.set("Period_mth", PeriodName(n, o.language));
            p.post();
        }
        tx.commit();
    }

    // The display modules list archived statistics years from these files.
    writeEmptyFile(QDir(folder).filePath(QStringLiteral("SvstatYears")));
    writeEmptyFile(QDir(folder).filePath(QStringLiteral("SastatYears")));
    restrictFolder(folder);
}

CompanyCreation::~CompanyCreation() = default;

void CompanyCreation::finish()
{
    const CompanyOptions& o = m_options;
    Transaction tx(m_root);
    Table comp;
    comp.setDatabase(m_root);
    comp.setTableName(QStringLiteral("comp"));
    comp.open();
    RecordWriter w(comp);
    if (comp.findKey({o.number}))
        w.edit();
    else
        w.append();
    w.set("Comp_Code", o.number);
    w.set("Comp_Name", o.name.isEmpty() ? QStringLiteral("Compagnie %1").arg(o.number) : o.name);
    w.set("Comp_Adr1", o.address1);
    w.set("Comp_adr2", o.address2);
    w.set("Comp_city", o.city);
    w.set("Comp_Prov", o.province);
    w.set("Comp_Country", o.country);
    w.set("Comp_Postal_code", o.postalCode);
    w.set("Comp_telephone", o.telephone);
    w.set("Comp_Contact", o.contact);
    w.set("Comp_Passwd", o.password);
    w.post();
    tx.commit();
    restrictFolder(m_folder);
}

bool IsCompanyRegistered(const QString& dataRoot, int number)
{
    auto root = openFolder(dataRoot, false);
    return root->tableExists(QStringLiteral("comp")) && isRegistered(root, number);
}

void CreateCompany(const QString& dataRoot, const CompanyOptions& options)
{
    CompanyCreation creation(dataRoot, options);
    creation.finish();
}

} // namespace varnex::data
