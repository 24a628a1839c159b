// The engine tests run a second time with VARNEX_ENGINE=postgresql. Without a
// server to run them against (VARNEX_SERVER unset: scripts/test could not
// start one) they are skipped with one clear line instead of failing; with a
// server named but unreachable they fail, since that is a broken set-up.

#include <gtest/gtest.h>

#include <libpq-fe.h>

#include <cstdlib>
#include <string>

namespace {

class ServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const char* engine = std::getenv("VARNEX_ENGINE");
        if (engine == nullptr || std::string(engine) != "postgresql")
            return;
        // Test folders of parallel runs often share their last name ("data1"):
        // keep them apart on the one server (helper processes inherit this).
        setenv("VARNEX_SERVER_SCHEMAS", "path", 0);
        const char* server = std::getenv("VARNEX_SERVER");
        if (server == nullptr || *server == '\0')
            GTEST_SKIP()
                << "PostgreSQL run skipped: no test server (VARNEX_SERVER is not set; scripts/test starts one).";
        const std::string conninfo = std::string(server) + " connect_timeout=5";
        ASSERT_EQ(PQping(conninfo.c_str()), PQPING_OK) << "The test server " << server << " does not answer.";
    }
};

[[maybe_unused]] ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

} // namespace
