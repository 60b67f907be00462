// CX11Platform without a display: --speed answers for the stored speed
// during the run and leaves the store alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/saver_app.h"
#include "backends/x11/x11_platform.h"
#include "resources/resource.h"

namespace fs = std::filesystem;

namespace {
class ConfigHome : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("mosvik-x11-test-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        if (old)
            saved = old;
        hadOld = old != nullptr;
        ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    }
    void TearDown() override
    {
        if (hadOld)
            ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(dir);
    }
    bool StoreIsEmpty() const { return fs::is_empty(dir); }

    fs::path dir;
    std::string saved;
    bool hadOld = false;
};

int ReadSpeed(CX11Platform& p) { return p.GetProfileInt(MOSVIK_REGISTRY_KEY, "mosvik", kSpeedSection, kSpeedEntry, 8); }
} // namespace

TEST_F(ConfigHome, SpeedOptionAnswersForTheStoredSpeedOnly)
{
    X11Options fast;
    fast.speed = 3;
    CX11Platform withSpeed(fast);
    EXPECT_EQ(ReadSpeed(withSpeed), 3);
    EXPECT_EQ(withSpeed.GetProfileInt(MOSVIK_REGISTRY_KEY, "mosvik", kSpeedSection, "Other", 5), 5);
    EXPECT_TRUE(StoreIsEmpty()); // reading created nothing

    // A write still goes to the store; the option keeps answering.
    EXPECT_TRUE(withSpeed.WriteProfileInt(MOSVIK_REGISTRY_KEY, "mosvik", kSpeedSection, kSpeedEntry, 20));
    EXPECT_EQ(ReadSpeed(withSpeed), 3);

    CX11Platform plain{X11Options{}};
    EXPECT_EQ(ReadSpeed(plain), 20);
}
