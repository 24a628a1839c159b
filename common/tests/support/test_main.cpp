// Test programs run headless: discovery runs the binary at build time without
// CTest's environment, so the platform is chosen here as well.
#include <gtest/gtest.h>

#include <cstdlib>

#include "varnex/application.h"

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    varnex::VarnexApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
