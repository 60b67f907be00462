// The opener: FindExecutable needs the file and xdg-open on PATH;
// ShellExecute starts it detached with the URL as one argument.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "backends/headless/headless_platform.h"

namespace fs = std::filesystem;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/mosvik-shell-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        const char* path = std::getenv("PATH");
        m_oldPath = path ? path : "";
        ::setenv("PATH", (m_dir / "bin").c_str(), 1);
        fs::create_directories(m_dir / "bin");
        m_options.width = m_options.height = 8;
    }
    void TearDown() override
    {
        ::setenv("PATH", m_oldPath.c_str(), 1);
        fs::remove_all(m_dir);
    }

    // A stand-in opener that writes its arguments, one a line, to a file.
    void InstallOpener()
    {
        const fs::path opener = m_dir / "bin" / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nPATH=/usr/bin:/bin\nfor a in \"$@\"; do echo \"$a\"; done > \"" << (m_dir / "args.part").string()
                              << "\"\nmv \"" << (m_dir / "args.part").string() << "\" \"" << (m_dir / "args").string()
                              << "\"\n";
        fs::permissions(opener, fs::perms::owner_all);
    }

    fs::path m_dir;
    std::string m_oldPath;
    HeadlessOptions m_options;
};

TEST_F(ShellTest, FindExecutableNeedsTheFileAndTheOpener)
{
    CHeadlessPlatform p(m_options, {}, nullptr);
    const std::string page = (m_dir / "aaa.htm").string();
    std::string program;
    EXPECT_FALSE(p.FindExecutable(page, program)); // neither
    std::ofstream(page).close();
    EXPECT_FALSE(p.FindExecutable(page, program)); // no opener on PATH
    InstallOpener();
    ASSERT_TRUE(p.FindExecutable(page, program));
    EXPECT_EQ(program, (m_dir / "bin" / "xdg-open").string());
    fs::remove(page);
    EXPECT_FALSE(p.FindExecutable(page, program));
}

TEST_F(ShellTest, ShellExecuteRunsTheOpenerWithTheUrlAsOneArgument)
{
    InstallOpener();
    CHeadlessPlatform p(m_options, {}, nullptr);
    p.ShellExecute((m_dir / "bin" / "xdg-open").string(), "open", "www.example.org; rm -rf x");
    const fs::path args = m_dir / "args";
    for (int i = 0; i < 500 && !fs::exists(args); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(args));
    std::stringstream text;
    text << std::ifstream(args).rdbuf();
    EXPECT_EQ(text.str(), "http://www.example.org; rm -rf x\n");

    // Other verbs start nothing.
    fs::remove(args);
    p.ShellExecute((m_dir / "bin" / "xdg-open").string(), "print", "www.example.org");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(args));
}

} // namespace
