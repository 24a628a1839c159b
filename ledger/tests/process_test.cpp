// Real processes against one company: a poster killed with SIGKILL in the
// middle of its postings, and eight posters racing on one supplier and one
// product. The company check is the oracle; each posting must be wholly
// present or wholly absent.

#include "ledger_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <cstdlib>

#include "varnex/ledger/check.h"

using namespace varnex;
using namespace varnex::ledger;
using namespace ledgertest;

namespace {

class ProcessTest : public LedgerFixture {
protected:
    void SetUp() override
    {
        LedgerFixture::SetUp();
        addProduct(QStringLiteral("QUI"), QStringLiteral("VIS"));
        auto inv = open(QStringLiteral("ivinv"));
        inv->append();
        for (int i = 0; i < inv->fieldCount(); ++i)
            if (inv->fieldByNumber(i).type() == data::FieldType::Number)
                inv->fieldByNumber(i).setNumber(0);
        inv->field(QStringLiteral("Ivinv_Line_Code")).setString(QStringLiteral("QUI"));
        inv->field(QStringLiteral("Ivinv_item_code")).setString(QStringLiteral("VIS"));
        inv->field(QStringLiteral("Ivinv_store")).setInteger(1);
        inv->post();
    }

    void startPoster(QProcess& p, const QString& mode, const QString& prefix, int amount)
    {
        p.setProgram(QStringLiteral(VARNEX_TEST_BIN_DIR "/ledger_poster"));
        p.setArguments({folder(), mode, prefix, QString::number(amount)});
        p.start();
        ASSERT_TRUE(p.waitForStarted(10000));
    }

    // Documents of a prefix in each table that a purchase or a receipt
    // writes: all equal when every posting is whole.
    std::vector<int> documentCounts(const QString& prefix)
    {
        const QString like = prefix + QStringLiteral("-%");
        std::vector<int> counts;
        for (const char* sql : {"SELECT COUNT(*) FROM apori WHERE Reference LIKE '%1'",
                                "SELECT COUNT(*) FROM cap WHERE Cap_invoice LIKE '%1'",
                                "SELECT COUNT(*) FROM tjlh WHERE Tjlh_reference LIKE '%1'",
                                "SELECT COUNT(*) / 2 FROM tjld WHERE Tjld_reference LIKE '%1'",
                                "SELECT COUNT(*) FROM cfrhd WHERE Cfrhd_packing_slip LIKE '%1'",
                                "SELECT COUNT(*) FROM cfrdet WHERE Cfrdet_paking_slip LIKE '%1'",
                                "SELECT COUNT(*) FROM ivtrxhh WHERE Ivtrxh_reference LIKE '%1'",
                                "SELECT COUNT(*) FROM ivtrxdh WHERE Ivtrxd_reference LIKE '%1'"})
            counts.push_back(count(QString::fromLatin1(sql).arg(like)));
        return counts;
    }

    double onHand()
    {
        auto inv = open(QStringLiteral("ivinv"));
        EXPECT_TRUE(inv->findKey({QStringLiteral("QUI"), QStringLiteral("VIS"), 1}));
        return inv->field(QStringLiteral("Ivinv_on_hand")).asNumber();
    }
};

} // namespace

TEST_F(ProcessTest, KilledPosterLeavesEachPostingWholeOrAbsent)
{
    const char* trialsText = std::getenv("LEDGER_KILL_TRIALS");
    const int trials = trialsText ? std::atoi(trialsText) : 200;
    auto* random = QRandomGenerator::global();
    int killedMidway = 0;
    for (int trial = 1; trial <= trials; ++trial) {
        SCOPED_TRACE(trial);
        const QString prefix = QStringLiteral("K%1").arg(trial);
        QProcess poster;
        startPoster(poster, QStringLiteral("stream"), prefix, 1000);
        // Let it post a few, then kill it at a random moment of a posting.
        QByteArray said;
        const int wanted = 1 + static_cast<int>(random->bounded(3));
        QElapsedTimer waited;
        waited.start();
        while (said.count("POSTED") < wanted && waited.elapsed() < 20000) {
            poster.waitForReadyRead(50);
            said += poster.readAllStandardOutput();
        }
        ASSERT_GE(said.count("POSTED"), wanted) << said.toStdString();
        QThread::usleep(random->bounded(4000));
        poster.kill();
        ASSERT_TRUE(poster.waitForFinished(10000));
        said += poster.readAllStandardOutput();
        ASSERT_FALSE(said.contains("FAIL")) << said.toStdString();
        const int reported = static_cast<int>(said.count("POSTED"));

        const std::vector<int> counts = documentCounts(prefix);
        // A pair is a purchase then a receipt: the killed pair may hold the
        // purchase only, never a part of either.
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(counts[static_cast<size_t>(i)], counts[0]) << "purchase table " << i;
        for (int i = 4; i < 8; ++i)
            EXPECT_EQ(counts[static_cast<size_t>(i)], counts[4]) << "receipt table " << i;
        EXPECT_GE(counts[4], reported);
        EXPECT_LE(counts[0], reported + 1);
        EXPECT_LE(counts[4], counts[0]);
        if (counts[0] > reported || counts[4] > reported)
            ++killedMidway;
        const CheckReport check = CheckCompany(db);
        ASSERT_TRUE(check.ok()) << check.differences.join(QLatin1Char('\n')).toStdString();
    }
    std::printf("%d of %d kills fell after a commit and before its report\n", killedMidway, trials);
}

TEST_F(ProcessTest, EightPostersOnOneSupplierAndOneProductLoseNothing)
{
    const char* secondsText = std::getenv("LEDGER_RACE_SECONDS");
    const int seconds = secondsText ? std::atoi(secondsText) : 60;
    constexpr int Posters = 8;
    std::vector<std::unique_ptr<QProcess>> posters;
    for (int p = 0; p < Posters; ++p) {
        posters.push_back(std::make_unique<QProcess>());
        startPoster(*posters.back(), QStringLiteral("race"), QStringLiteral("R%1").arg(p), seconds);
    }
    int purchases = 0;
    int receipts = 0;
    for (auto& p : posters) {
        ASSERT_TRUE(p->waitForFinished((seconds + 120) * 1000));
        const QByteArray said = p->readAllStandardOutput();
        EXPECT_EQ(p->exitCode(), 0) << said.toStdString() << p->readAllStandardError().toStdString();
        const QList<QByteArray> done = said.trimmed().split('\n').last().split(' ');
        ASSERT_EQ(done.size(), 3) << said.toStdString();
        EXPECT_GT(done[1].toInt(), 0) << "every poster got its turn";
        purchases += done[1].toInt();
        receipts += done[2].toInt();
    }
    std::printf("%d purchases and %d receipts by %d processes in %d s\n", purchases, receipts, Posters, seconds);
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")),
              Currency::fromUnits(10) * purchases);
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_purch_ytd")),
              Currency::fromUnits(10) * purchases);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM cap")), purchases);
    EXPECT_EQ(onHand(), receipts);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM cfrhd")), receipts);
    varnex::data::Query stats(db, QStringLiteral("SELECT Qty3 FROM sastatp"));
    stats.open();
    EXPECT_EQ(stats.field(QStringLiteral("Qty3")).asNumber(), receipts) << "statistics lost no update either";
    const CheckReport check = CheckCompany(db);
    EXPECT_TRUE(check.ok()) << check.differences.join(QLatin1Char('\n')).toStdString();
}
