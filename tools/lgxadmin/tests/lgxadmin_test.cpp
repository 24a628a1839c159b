// The real lgxadmin program on fresh folders: a data root, the demonstration
// company, its check, and the check failing once figures disagree.

#include "varnex/controls/componentstream.h"
#include "varnex/currency.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/options.h"
#include "varnex/data/table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varnex;
using namespace varnex::data;

namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome lgxadmin(const QStringList& args, const QString& settings = QString())
{
    QProcess p;
    if (!settings.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VARNEX_SETTINGS"), settings);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral(VARNEX_BIN_DIR "/lgxadmin"), args);
    Outcome r;
    if (!p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("lgxadmin did not finish");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

std::unique_ptr<Table> openTable(const QString& folder, const QString& name)
{
    auto t = std::make_unique<Table>();
    t->setDatabase(Database::forFolder(folder));
    t->setTableName(name);
    t->open();
    return t;
}

int countRows(const QString& folder, const QString& name)
{
    return openTable(folder, name)->recordCount();
}

// Edits the first record of `table` matching `key` on its current order (the
// first record of all when `key` is empty).
void corrupt(const QString& folder, const QString& table, const QString& index, const QVariantList& key,
             const std::function<void(Table&)>& change)
{
    auto t = openTable(folder, table);
    if (!index.isEmpty())
        t->setIndexFieldNames(index);
    if (key.isEmpty())
        t->first();
    else
        ASSERT_TRUE(t->findKey(key)) << table.toStdString();
    ASSERT_FALSE(t->eof());
    t->edit();
    change(*t);
    t->post();
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

// A settings file that asks for French.
QString frenchSettings(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("french.ini"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("[Lgx]\nlanguage=2\n");
    return path;
}

bool onServer()
{
    return qgetenv("VARNEX_ENGINE") == "postgresql";
}

// A TCP relay in front of the test server. Stopping it is, for lgxadmin, the
// server going away in the middle of its work: every connection is cut and no
// new one is accepted. It counts the bytes the clients sent, so a test can
// stop it at a chosen point of the work rather than after a delay.
class ServerRelay {
public:
    ServerRelay(const QString& host, quint16 port)
        : m_target(port)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::inet_pton(AF_INET, host.toLatin1().constData(), &m_targetAddress);
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(m_listener, 64) != 0)
            return;
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_threads.emplace_back([this] { acceptLoop(); });
    }
    ~ServerRelay()
    {
        stop();
        for (std::thread& t : m_threads)
            t.join();
    }
    quint16 port() const { return m_port; }
    long long bytesFromClients() const { return m_bytes.load(); }
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        ::shutdown(m_listener, SHUT_RDWR);
        for (int fd : m_sockets)
            ::shutdown(fd, SHUT_RDWR);
    }

private:
    void acceptLoop()
    {
        for (;;) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                break;
            const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(m_target);
            address.sin_addr = m_targetAddress;
            std::lock_guard lock(m_mutex);
            if (m_stopped || ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                ::close(client);
                ::close(server);
                continue;
            }
            m_sockets.insert(m_sockets.end(), {client, server});
            m_threads.emplace_back([this, client, server] { pump(client, server, true); });
            m_threads.emplace_back([this, client, server] { pump(server, client, false); });
        }
        ::close(m_listener);
    }
    void pump(int from, int to, bool fromClient)
    {
        char buffer[16384];
        for (;;) {
            const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
            if (n <= 0 || ::send(to, buffer, static_cast<size_t>(n), MSG_NOSIGNAL) != n)
                break;
            if (fromClient)
                m_bytes += n;
        }
        // Either side gone: the other one hears it at once, as when a server stops.
        ::shutdown(from, SHUT_RDWR);
        ::shutdown(to, SHUT_RDWR);
    }

    quint16 m_target;
    in_addr m_targetAddress{};
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<long long> m_bytes{0};
    std::mutex m_mutex;
    bool m_stopped = false;
    std::vector<int> m_sockets;
    std::vector<std::thread> m_threads;
};

class LgxadminTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString drive() const { return dir.path(); }
    QString root() const { return dir.path() + QStringLiteral("/Lgx/data"); }
    QString company() const { return dir.path() + QStringLiteral("/Lgx/data1"); }
};

} // namespace

TEST_F(LgxadminTest, InitCreatesTheSystemTables)
{
    const Outcome init = lgxadmin({"init", "--sessions", "3", drive()});
    ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("password: (\\S+)")).match(init.out);
    ASSERT_TRUE(m.hasMatch()) << init.out.toStdString();

    EXPECT_EQ(countRows(root(), "session"), 3);
    EXPECT_EQ(countRows(root(), "virmem"), 3);
    auto db = Database::forFolder(root());
    for (const char* t : {"comp", "user", "Desktop", "Languages", "apps", "FaCylinder", "CliCyln"})
        EXPECT_TRUE(db->tableExists(QString::fromLatin1(t))) << t;

    auto languages = openTable(root(), "Languages");
    ASSERT_TRUE(languages->findKey({2}));
    EXPECT_EQ(languages->field("LangCode").asString(), QStringLiteral("fr"));
    EXPECT_EQ(languages->field("LangName").asString(), QString::fromUtf8("Français"));

    auto apps = openTable(root(), "apps");
    ASSERT_EQ(apps->recordCount(), 1);
    apps->first();
    EXPECT_EQ(apps->field("Application_pgm").asString(), QStringLiteral("toolsmaint"));
    EXPECT_EQ(apps->field("Application_security").asString(), QStringLiteral("sysparams"));
    EXPECT_TRUE(apps->field("Application_type").asLogical());

    // The administrator logs in with the printed password and may use every option.
    auto users = openTable(root(), "user");
    ASSERT_TRUE(users->findKey({m.captured(1)}));
    const QByteArray rights = users->field("User_security").asBytes();
    ASSERT_EQ(rights.size(), RightsMapSize);
    for (const MenuOption& o : MenuOptions())
        EXPECT_TRUE(HasRight(rights, o.ledger, o.group, o.item)) << o.name;

    // Passwords are stored as typed: no other local account reads the data,
    // whatever umask the administrator had.
    const mode_t previous = ::umask(002);
    const Outcome demo = lgxadmin({"demo", drive()});
    ::umask(previous);
    ASSERT_EQ(demo.exitCode, 0) << demo.err.toStdString();
    for (const QString& folder : QStringList{dir.path() + QStringLiteral("/Lgx"), root(), company()}) {
        EXPECT_EQ(modeOf(folder), 0770u) << folder.toStdString();
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
            EXPECT_EQ(modeOf(file.filePath()), 0660u) << file.filePath().toStdString();
    }

    const Outcome again = lgxadmin({"init", drive()});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already holds users"))) << again.err.toStdString();
}

TEST_F(LgxadminTest, DemoCompanyPassesTheCheckUntilAFigureIsChanged)
{
    ASSERT_EQ(lgxadmin({"init", "--password", "secret1", drive()}).exitCode, 0);
    const Outcome demo = lgxadmin({"demo", drive()});
    ASSERT_EQ(demo.exitCode, 0) << demo.err.toStdString();
    const Outcome check = lgxadmin({"check", drive()});
    ASSERT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral(" 0 difference(s)"))) << check.out.toStdString();

    // What the modules need to find in it.
    auto sup = openTable(company(), "sup");
    QSet<qint64> currencies;
    bool nextMonthTerms = false;
    for (sup->first(); !sup->eof(); sup->next()) {
        currencies.insert(sup->field("Sup_currency").asInteger());
        nextMonthTerms |= sup->field("Sup_du_days").asInteger() >= 900;
        EXPECT_NE(sup->field("Sup_accnt1").asInteger(), 0);
    }
    EXPECT_EQ(currencies, (QSet<qint64>{0, 1, 2}));
    EXPECT_TRUE(nextMonthTerms);

    // Terms 910: due on the 10th of the month after the invoice.
    auto cap = openTable(company(), "cap");
    int gasInvoices = 0;
    for (cap->first(); !cap->eof(); cap->next()) {
        if (cap->field("Cap_supplier").asString() != QLatin1String("GAZIND")
            || cap->field("Cap_type").asString() != "1")
            continue;
        const QDate date = cap->field("Cap_date").asDate();
        EXPECT_EQ(cap->field("Cap_du_date").asDate(), QDate(date.year(), date.month(), 1).addMonths(1).addDays(9));
        ++gasInvoices;
    }
    EXPECT_EQ(gasInvoices, 3);
    // Purchases journal 3, 32 and 33 by currency; cheques journal 4.
    auto headers = openTable(company(), "tjlh");
    QSet<qint64> journals;
    for (headers->first(); !headers->eof(); headers->next())
        journals.insert(headers->field("Tjlh_journal").asInteger());
    EXPECT_EQ(journals, (QSet<qint64>{3, 4, 32, 33}));

    auto glm = openTable(company(), "glm");
    auto purchaseTaxes = openTable(company(), "taxratesP");
    for (purchaseTaxes->first(); !purchaseTaxes->eof(); purchaseTaxes->next())
        EXPECT_TRUE(glm->findKey({qlonglong(purchaseTaxes->field("TaxRates_Account").asInteger())}));
    auto ctrl = openTable(company(), "ctrl");
    ctrl->first();
    for (const char* account : {"Ctrl_ap_accnt", "Ctrl_ap_curr2", "Ctrl_ap_curr3"})
        EXPECT_TRUE(glm->findKey({qlonglong(ctrl->field(account).asInteger())})) << account;
    EXPECT_GT(ctrl->field("Ctrl_curr1_rate").asNumber(), 0);
    EXPECT_EQ(countRows(company(), "Periods"), 13);

    auto orders = openTable(company(), "cfhdr");
    bool partlyReceived = false;
    for (orders->first(); !orders->eof(); orders->next())
        partlyReceived |= orders->field("Cfhdr_total_received").asMoney() > Currency()
                          && orders->field("Cfhdr_total_received").asMoney() < orders->field("Cfhdr_total").asMoney();
    EXPECT_TRUE(partlyReceived);
    for (const char* table :
         {"cfpkey", "ivserin", "car", "carh", "fahdr", "fahdra", "crorihdr", "croridet", "FaCylinder", "caph",
          "cdorihdr", "cdoridet", "sastats", "jcProject", "jcBudgetHdr", "jcBudgetDet", "jcTrans", "ivmag", "ivinv"})
        EXPECT_GT(countRows(company(), QString::fromLatin1(table)), 0) << table;
    EXPECT_EQ(countRows(company(), "ivmag"), 3);

    QFile years(company() + QStringLiteral("/SvstatYears"));
    ASSERT_TRUE(years.open(QIODevice::ReadOnly));
    const QStringList listed = QString::fromUtf8(years.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(listed.size(), 2);
    auto db = Database::forFolder(company());
    for (const QString& year : listed) {
        EXPECT_TRUE(db->tableExists(QStringLiteral("svstatc") + year)) << year.toStdString();
        EXPECT_TRUE(db->tableExists(QStringLiteral("sastats") + year)) << year.toStdString();
    }

    // Figures that no longer agree are reported, and the exit status says so.
    corrupt(company(), "sup", {}, {"LEVESQUE"}, [](Table& t) {
        t.field("Sup_current_bal").setMoney(t.field("Sup_current_bal").asMoney() + Currency::fromUnits(1));
    });
    corrupt(company(), "tjld", {}, {}, [](Table& t) {
        t.field("Tjld_debit").setMoney(t.field("Tjld_debit").asMoney() + Currency::fromTicks(100));
    });
    corrupt(company(), "ivinv", {}, {"OUT", "MART-16", 1}, [](Table& t) { t.field("Ivinv_date_cost2").clear(); });
    const Outcome failed = lgxadmin({"check", drive(), "1"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.contains(QStringLiteral("Supplier LEVESQUE"))) << failed.out.toStdString();
    EXPECT_TRUE(failed.out.contains(QStringLiteral("difference 1.00"))) << failed.out.toStdString();
    EXPECT_TRUE(failed.out.contains(QStringLiteral("Journal header"))) << failed.out.toStdString();
    EXPECT_TRUE(failed.out.contains(QStringLiteral("MART-16 store 1: layer 2 has a cost but no date")))
        << failed.out.toStdString();
    EXPECT_TRUE(failed.out.contains(QStringLiteral(" 3 difference(s)"))) << failed.out.toStdString();

    // A second demo would overwrite a company: refused.
    const Outcome again = lgxadmin({"demo", drive()});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already exists"))) << again.err.toStdString();
}

TEST_F(LgxadminTest, UserCommandAddsUsersWithNamedRights)
{
    ASSERT_EQ(lgxadmin({"init", "--password", "ADMIN1", drive()}).exitCode, 0);
    const Outcome add = lgxadmin({"user", "--code", "MLAROCHE", "--name", "Marie Laroche", "--password", "achats7",
                                  "--language", "2", "--company", "1", "--printer", "Bureau", "--store", "2",
                                  "--rights", "purchent,supview,stockrcv", drive()});
    ASSERT_EQ(add.exitCode, 0) << add.err.toStdString();

    auto users = openTable(root(), "user");
    ASSERT_TRUE(users->findKey({"ACHATS7"})); // stored as the login searches it
    EXPECT_EQ(users->field("User_code").asString(), QStringLiteral("MLAROCHE"));
    EXPECT_EQ(users->field("User_store").asInteger(), 2);
    EXPECT_EQ(users->field("User_printer").asString(), QStringLiteral("Bureau"));
    const QByteArray rights = users->field("User_security").asBytes();
    EXPECT_TRUE(HasRight(rights, 2, 1, 0));  // purchases
    EXPECT_TRUE(HasRight(rights, 2, 2, 0));  // supplier display
    EXPECT_TRUE(HasRight(rights, 6, 1, 1));  // stock receipts
    EXPECT_FALSE(HasRight(rights, 1, 2, 0)); // client display not granted

    struct Refused {
        QStringList args;
        const char* message;
    };
    const QList<Refused> refused = {
        {{"--code", "MLAROCHE", "--name", "X", "--password", "autre"}, "already exists"},
        {{"--code", "AUTRE", "--name", "X", "--password", "ACHATS7"}, "already has this password"},
        {{"--code", "AUTRE", "--name", "X", "--password", "p", "--rights", "purchent,nosuch"}, "nosuch"},
        {{"--code", "AUTRE", "--name", "X", "--password", "beaucouptroplong"}, "at most 10"},
        {{"--code", "AUTRE", "--name", "X", "--password", "p", "--language", "3"}, "--language"},
        {{"--code", "", "--name", "X", "--password", "p"}, "needs a code"},
    };
    for (const Refused& r : refused) {
        const Outcome run = lgxadmin(QStringList{"user"} + r.args + QStringList{drive()});
        EXPECT_EQ(run.exitCode, 2) << r.message;
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(r.message))) << run.err.toStdString();
    }
    EXPECT_EQ(countRows(root(), "user"), 2);

    // The names rights are given by, with where their bits lie.
    const Outcome options = lgxadmin({"options"});
    EXPECT_EQ(options.exitCode, 0);
    EXPECT_TRUE(options.out.contains(QStringLiteral("2.1.0\tpurchent\tAchats\n"))) << options.out.toStdString();
    EXPECT_EQ(options.out.count(QLatin1Char('\n')), MenuOptions().size());
}

// A first desktop: the six list icons in the user's language, written once;
// a desktop the user already has is never replaced.
TEST_F(LgxadminTest, DesktopCommandGivesANewUserTheListIconsOnce)
{
    ASSERT_EQ(lgxadmin({"init", "--password", "DEMO", drive()}).exitCode, 0);
    ASSERT_EQ(
        lgxadmin({"user", "--code", "CLERK", "--name", "Clerk", "--password", "CLERK", "--language", "1", drive()})
            .exitCode,
        0);
    for (const char* user : {"admin", "CLERK"}) {
        const Outcome run = lgxadmin({"desktop", "--user", user, drive()});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }

    // ADMIN works in French, CLERK in English; each caption is the list's own.
    QMap<QString, QMap<QString, QString>> captions;
    auto desktop = openTable(root(), "Desktop");
    for (desktop->first(); !desktop->eof(); desktop->next()) {
        EXPECT_EQ(desktop->field("Desktop_Component_type").asInteger(), 1);
        const StoredComponent icon = ReadStream(desktop->field("Desktop_Component").asBytes());
        EXPECT_EQ(icon.className, QStringLiteral("TTransparentButton"));
        ASSERT_NE(icon.find(QStringLiteral("Tag")), nullptr);
        EXPECT_EQ(icon.find(QStringLiteral("Tag"))->value.toInt(), 1);
        const StoredProperty* glyph = icon.find(QStringLiteral("Glyph"));
        ASSERT_NE(glyph, nullptr) << "the program folder's picture";
        EXPECT_FALSE(stored::DecodePicture(glyph->value.toBinary()).isNull());
        captions[desktop->field("Desktop_user").asString()][icon.name] =
            icon.find(QStringLiteral("Caption"))->value.toString();
    }
    ASSERT_EQ(captions.keys(), (QStringList{"ADMIN", "CLERK"})); // keyed as the users are stored
    EXPECT_EQ(captions["ADMIN"].size(), 6);
    EXPECT_EQ(captions["ADMIN"]["SupplierBtn"], QStringLiteral("Fournisseurs"));
    EXPECT_EQ(captions["CLERK"]["SupplierBtn"], QStringLiteral("Suppliers"));
    EXPECT_EQ(captions["CLERK"]["ToDoListBtn"], QStringLiteral("Things to do"));

    const Outcome again = lgxadmin({"desktop", "--user", "CLERK", drive()});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already has a desktop"))) << again.err.toStdString();
    const Outcome nobody = lgxadmin({"desktop", "--user", "NOBODY", drive()});
    EXPECT_EQ(nobody.exitCode, 2);
    EXPECT_TRUE(nobody.err.contains(QStringLiteral("no user NOBODY"))) << nobody.err.toStdString();
    EXPECT_EQ(countRows(root(), "Desktop"), 12);
}

TEST_F(LgxadminTest, BadRequestsAreRefusedClearly)
{
    struct Case {
        QStringList args;
        const char* message;
    };
    QList<Case> cases = {
        {{}, "Usage"},
        {{"frobnicate"}, "Unknown command"},
        {{"init", "--sessions", "0", "DIR"}, "--sessions"},
        {{"init", "--colour", "blue", "DIR"}, "Unknown option"},
        {{"demo", "--size", "huge", "DIR"}, "small or large"},
        {{"check", "/nonexistent/folder"}, "does not exist"},
        {{"demo", "/nonexistent/folder"}, "does not exist"},
        {{"user", "--code", "A", "--name", "B", "--password", "C", "/nonexistent/folder"}, "does not exist"},
    };
    // A company folder whose database file is not one (the embedded engine
    // keeps a file in the folder; the server engine keeps none there).
    QTemporaryDir damaged;
    if (qgetenv("VARNEX_ENGINE") != "postgresql") {
        ASSERT_TRUE(QDir().mkpath(damaged.path() + QStringLiteral("/Lgx/data1")));
        QFile garbage(damaged.path() + QStringLiteral("/Lgx/data1/varnex.sqlite"));
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'x'));
        garbage.close();
        cases.append({{"check", damaged.path()}, "damaged"});
    }

    for (const Case& c : cases) {
        const Outcome run = lgxadmin(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(c.message))) << run.err.toStdString();
    }
}

TEST_F(LgxadminTest, CheckAndCopyFindAScrambledPage)
{
    if (qgetenv("VARNEX_ENGINE") == "postgresql")
        GTEST_SKIP() << "the server keeps no file in the folder to scramble";
    ASSERT_EQ(lgxadmin({"init", "--password", "secret1", drive()}).exitCode, 0);
    ASSERT_EQ(lgxadmin({"demo", drive()}).exitCode, 0);
    ASSERT_EQ(lgxadmin({"check", drive()}).exitCode, 0);

    const QString file = company() + QStringLiteral("/varnex.sqlite");
    QFile pristine(file);
    ASSERT_TRUE(pristine.open(QIODevice::ReadOnly));
    const QByteArray original = pristine.readAll();
    pristine.close();
    constexpr int PageSize = 4096;
    const int pages = static_cast<int>(original.size() / PageSize);
    ASSERT_GT(pages, 8);
    // The first page, pages spread through the file, and the last one.
    for (const int page : {0, 1, pages / 3, pages / 2, 2 * pages / 3, pages - 1}) {
        QByteArray scrambled = original;
        quint32 state = 2463534242u + static_cast<quint32>(page);
        for (int i = 0; i < PageSize; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            scrambled[page * PageSize + i] = static_cast<char>(state);
        }
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(scrambled);
        damaged.close();

        const Outcome check = lgxadmin({"check", drive()});
        EXPECT_NE(check.exitCode, 0) << "page " << page << ": " << check.out.toStdString();
        EXPECT_TRUE(check.out.contains(QStringLiteral("Damaged")) || check.err.contains(QStringLiteral("damaged")))
            << "page " << page << ": " << check.out.toStdString() << check.err.toStdString();
        if (!qgetenv("VARNEX_SERVER").isEmpty() && page == pages / 2) {
            const Outcome copy = lgxadmin({"--server", QString::fromLocal8Bit(qgetenv("VARNEX_SERVER")), "copy", "--to",
                                           "server", "--replace", drive()});
            EXPECT_EQ(copy.exitCode, 2) << copy.out.toStdString();
            EXPECT_TRUE(copy.err.contains(QStringLiteral("nothing was copied"))) << copy.err.toStdString();
        }
    }
}

TEST_F(LgxadminTest, ADemoKilledAtAnyMomentLeavesNothingARerunRefuses)
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    // The kill falls inside the time a whole demo takes on this machine, so
    // that most trials really interrupt it however fast the machine is.
    int demoMilliseconds = 0;
    {
        QTemporaryDir drive;
        ASSERT_EQ(lgxadmin({"init", "--password", "secret1", drive.path()}).exitCode, 0);
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(lgxadmin({"demo", drive.path()}).exitCode, 0);
        demoMilliseconds = static_cast<int>(timer.elapsed());
    }
    int interrupted = 0;
    for (int trial = 0; trial < 6; ++trial) {
        QTemporaryDir drive;
        ASSERT_EQ(lgxadmin({"init", "--password", "secret1", drive.path()}).exitCode, 0);
        QProcess demo;
        demo.start(QStringLiteral(VARNEX_BIN_DIR "/lgxadmin"), {QStringLiteral("demo"), drive.path()});
        ASSERT_TRUE(demo.waitForStarted());
        const int delay = random.bounded(5, std::max(10, demoMilliseconds * 9 / 10));
        demo.waitForFinished(delay);
        if (demo.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(demo.processId()), SIGKILL);
            demo.waitForFinished();
            ++interrupted;
            // Either the kill came before the company was registered, and the
            // check refuses it rather than pass it, or after its last commit
            // (the process was only exiting), and the company is whole.
            const Outcome check = lgxadmin({"check", drive.path()});
            if (check.exitCode != 0) {
                EXPECT_EQ(check.exitCode, 2) << "killed after " << delay << " ms: " << check.out.toStdString();
                const Outcome rerun = lgxadmin({"demo", drive.path()});
                ASSERT_EQ(rerun.exitCode, 0) << "killed after " << delay << " ms: " << rerun.err.toStdString();
            }
        }
        const Outcome check = lgxadmin({"check", drive.path()});
        EXPECT_EQ(check.exitCode, 0) << "delay " << delay << " ms: " << check.out.toStdString()
                                     << check.err.toStdString();
    }
    EXPECT_GT(interrupted, 0);
}

TEST_F(LgxadminTest, ASecondDemoWhileTheFirstRunsIsToldTheCompanyIsBeingCreated)
{
    int raced = 0;
    for (int trial = 0; trial < 4 && raced < 2; ++trial) {
        QTemporaryDir drive;
        ASSERT_EQ(lgxadmin({"init", "--password", "secret1", drive.path()}).exitCode, 0);
        const QString folder = drive.path() + QStringLiteral("/Lgx/data1");
        QProcess first;
        first.start(QStringLiteral(VARNEX_BIN_DIR "/lgxadmin"), {QStringLiteral("demo"), drive.path()});
        ASSERT_TRUE(first.waitForStarted());
        // The company folder is made once the first holds the company's claim.
        while (!QDir(folder).exists() && first.state() != QProcess::NotRunning)
            first.waitForFinished(5);
        const bool french = trial % 2 == 1;
        const Outcome second = lgxadmin({"demo", drive.path()}, french ? frenchSettings(dir) : QString());
        const bool overlapped = first.state() != QProcess::NotRunning;
        ASSERT_TRUE(first.waitForFinished(300000));
        EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
        if (!overlapped)
            continue; // the first finished before the second asked: nothing raced
        ++raced;
        EXPECT_EQ(second.exitCode, 2);
        EXPECT_TRUE(second.err.contains(folder)) << second.err.toStdString();
        EXPECT_TRUE(second.err.contains(french ? QString::fromUtf8("en cours de création par un autre processus")
                                               : QStringLiteral("being created by another process")))
            << second.err.toStdString();
        EXPECT_FALSE(second.err.contains(QStringLiteral("Key violation"))) << second.err.toStdString();
        const Outcome check = lgxadmin({"check", drive.path()});
        EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
    }
    EXPECT_GT(raced, 0);
}

TEST_F(LgxadminTest, AFullDiskIsToldWithItsFolderAndARerunWithRoomSucceeds)
{
    if (onServer())
        GTEST_SKIP() << "the server's disk is not the test's to fill";
    if (::geteuid() != 0)
        GTEST_SKIP() << "a full disk is a small tmpfs, which only root can mount";
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    ASSERT_EQ(::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=640k,mode=0700"), 0) << std::strerror(errno);
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{mountPoint};
    QTemporaryDir settings;

    ASSERT_EQ(lgxadmin({"init", "--password", "secret1", drive()}).exitCode, 0);
    const struct {
        bool french;
        const char* told;
    } cases[] = {{false, "is full"}, {true, "est plein"}};
    for (const auto& c : cases) {
        const Outcome demo = lgxadmin({"demo", drive()}, c.french ? frenchSettings(settings) : QString());
        EXPECT_EQ(demo.exitCode, 2);
        EXPECT_TRUE(demo.err.contains(company())) << demo.err.toStdString();
        EXPECT_TRUE(demo.err.contains(QString::fromUtf8(c.told))) << demo.err.toStdString();
        EXPECT_FALSE(demo.err.contains(QStringLiteral("I/O error"))) << demo.err.toStdString();
        EXPECT_EQ(lgxadmin({"check", drive()}).exitCode, 2);
    }

    ASSERT_EQ(::mount(nullptr, mountPoint.constData(), nullptr, MS_REMOUNT, "size=256m"), 0) << std::strerror(errno);
    const Outcome rerun = lgxadmin({"demo", drive()});
    ASSERT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
    const Outcome check = lgxadmin({"check", drive()});
    EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
}

TEST_F(LgxadminTest, CheckDemoAndSettingsCreateNothingWhereTheyOnlyLook)
{
    const QString settings = dir.filePath(QStringLiteral("new/dir/varnex.ini"));
    const struct {
        const char* why;
        QStringList folders; // made empty before the command, under the drive
        QStringList command;
    } cases[] = {
        {"an empty company folder", {"Lgx/data1"}, {"check"}},
        {"an empty data root and company folder", {"Lgx/data", "Lgx/data1"}, {"check"}},
        {"an empty data root", {"Lgx/data"}, {"demo"}},
    };
    for (const auto& c : cases) {
        QTemporaryDir drive;
        for (const QString& folder : c.folders)
            ASSERT_TRUE(QDir(drive.path()).mkpath(folder));
        const Outcome run = lgxadmin(c.command + QStringList{drive.path()}, settings);
        EXPECT_EQ(run.exitCode, 2) << c.why;
        EXPECT_TRUE(run.err.contains(QStringLiteral("holds no data"))) << c.why << ": " << run.err.toStdString();
        for (const QString& folder : c.folders) {
            const QString path = QDir(drive.path()).filePath(folder);
            EXPECT_TRUE(QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
                << c.why;
            EXPECT_FALSE(Database::existsForFolder(path)) << c.why << ": " << folder.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("new")))) << "reading the settings made their folder";
}

TEST_F(LgxadminTest, AServerStoppedDuringTheDemoLeavesNothingARerunRefuses)
{
    if (!onServer())
        GTEST_SKIP() << "the embedded engine has no server to stop";
    const QString server = QString::fromLocal8Bit(qgetenv("VARNEX_SERVER"));
    const QRegularExpressionMatch host = QRegularExpression(QStringLiteral("host=([0-9.]+)")).match(server);
    const QRegularExpressionMatch port = QRegularExpression(QStringLiteral("port=([0-9]+)")).match(server);
    if (!host.hasMatch() || !port.hasMatch())
        GTEST_SKIP() << "the test server is not reached over TCP: " << server.toStdString();
    auto through = [&](const ServerRelay& relay) {
        return QString(server).replace(port.captured(0), QStringLiteral("port=%1").arg(relay.port()));
    };
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    SCOPED_TRACE(::testing::Message() << "seed " << seed);

    // What a whole demo sends, so that the stops fall inside its work.
    long long wholeDemo = 0;
    {
        QTemporaryDir drive;
        ASSERT_EQ(lgxadmin({"init", "--password", "secret1", drive.path()}).exitCode, 0);
        ServerRelay relay(host.captured(1), port.captured(1).toUShort());
        const Outcome demo = lgxadmin({"--server", through(relay), "demo", drive.path()});
        ASSERT_EQ(demo.exitCode, 0) << demo.err.toStdString();
        wholeDemo = relay.bytesFromClients();
    }
    int interrupted = 0;
    for (int trial = 0; trial < 3; ++trial) {
        QTemporaryDir drive;
        ASSERT_EQ(lgxadmin({"init", "--password", "secret1", drive.path()}).exitCode, 0);
        const long long stopAt = wholeDemo / 20 + random.bounded(static_cast<quint32>(wholeDemo * 8 / 10));
        {
            ServerRelay relay(host.captured(1), port.captured(1).toUShort());
            QProcess demo;
            demo.start(QStringLiteral(VARNEX_BIN_DIR "/lgxadmin"),
                       {QStringLiteral("--server"), through(relay), QStringLiteral("demo"), drive.path()});
            ASSERT_TRUE(demo.waitForStarted());
            while (relay.bytesFromClients() < stopAt && demo.state() != QProcess::NotRunning)
                demo.waitForFinished(2);
            relay.stop();
            ASSERT_TRUE(demo.waitForFinished(120000));
            const QString told = QString::fromUtf8(demo.readAllStandardError());
            if (demo.exitCode() != 0) {
                ++interrupted;
                EXPECT_EQ(demo.exitCode(), 2);
                EXPECT_TRUE(told.contains(QStringLiteral("server"))) << told.toStdString();
            }
            // Not registered: the check refuses it rather than pass it.
            const Outcome check = lgxadmin({"check", drive.path()});
            if (demo.exitCode() != 0) {
                EXPECT_EQ(check.exitCode, 2) << "stopped at " << stopAt << ": " << check.out.toStdString();
            }
        }
        // The server drops the claim of the cut connection when it sees it
        // gone; until then a re-run is told the company is being created.
        Outcome rerun;
        for (int attempt = 0; attempt < 100; ++attempt) {
            rerun = lgxadmin({"demo", drive.path()});
            if (!rerun.err.contains(QStringLiteral("being created")))
                break;
        }
        EXPECT_TRUE(rerun.exitCode == 0 || rerun.err.contains(QStringLiteral("already exists")))
            << "stopped at " << stopAt << ": " << rerun.err.toStdString();
        const Outcome check = lgxadmin({"check", drive.path()});
        EXPECT_EQ(check.exitCode, 0) << "stopped at " << stopAt << ": " << check.out.toStdString()
                                     << check.err.toStdString();
    }
    EXPECT_GT(interrupted, 0);
}
