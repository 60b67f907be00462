// The profile setting in INI files: layout, defaults, rewriting and the
// platform's lookup of the configuration directory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "backends/headless/headless_platform.h"
#include "backends/posix/ini_profile.h"

namespace fs = std::filesystem;

namespace {

const std::string kKey = "Korvel Screen Savers";

class IniProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/mosvik-ini-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_home = tmpl;
    }
    void TearDown() override { fs::remove_all(m_home); }

    std::string Read(const fs::path& p)
    {
        std::ifstream in(p);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void Write(const fs::path& p, const std::string& text)
    {
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }

    fs::path m_home;
};

TEST_F(IniProfileTest, WritesOneFilePerApplicationAndReadsItBack)
{
    CIniProfile ini(m_home);
    EXPECT_EQ(ini.GetInt(kKey, "mosvik", "MOSVIK", "Speed", 8), 8); // nothing stored yet
    ASSERT_TRUE(ini.WriteInt(kKey, "mosvik", "MOSVIK", "Speed", 64));
    ASSERT_TRUE(ini.WriteInt(kKey, "harbour", "MOSVIK", "Speed", 3));
    EXPECT_EQ(Read(m_home / kKey / "mosvik.ini"), "[MOSVIK]\nSpeed=64\n");
    EXPECT_EQ(ini.GetInt(kKey, "mosvik", "MOSVIK", "Speed", 8), 64);
    EXPECT_EQ(ini.GetInt(kKey, "harbour", "MOSVIK", "Speed", 8), 3);
    EXPECT_EQ(ini.GetInt(kKey, "MOSVIK-other", "MOSVIK", "Speed", 8), 8);

    // Rewritten in place, no temporary file left beside it.
    ASSERT_TRUE(ini.WriteInt(kKey, "mosvik", "MOSVIK", "Speed", 1));
    EXPECT_EQ(Read(m_home / kKey / "mosvik.ini"), "[MOSVIK]\nSpeed=1\n");
    int files = 0;
    for (const auto& e : fs::directory_iterator(m_home / kKey)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST_F(IniProfileTest, KeepsOtherLinesAndMatchesNamesWithoutCase)
{
    const fs::path file = m_home / kKey / "mosvik.ini";
    Write(file, "; kept\n[Other]\nSpeed=5\n[mosvik]\n speed = 12 \nColour=red\n[Last]\nx=1\n");
    CIniProfile ini(m_home);
    EXPECT_EQ(ini.GetInt(kKey, "mosvik", "MOSVIK", "Speed", 8), 12);
    ASSERT_TRUE(ini.WriteInt(kKey, "mosvik", "MOSVIK", "Speed", 30));
    EXPECT_EQ(Read(file), "; kept\n[Other]\nSpeed=5\n[mosvik]\nSpeed=30\nColour=red\n[Last]\nx=1\n");
    ASSERT_TRUE(ini.WriteInt(kKey, "mosvik", "Last", "y", -4));
    EXPECT_EQ(ini.GetInt(kKey, "mosvik", "LAST", "Y", 0), -4);
    EXPECT_EQ(ini.GetInt(kKey, "mosvik", "Other", "Speed", 0), 5);
}

TEST_F(IniProfileTest, UnreadableValuesGiveTheDefault)
{
    const fs::path file = m_home / kKey / "mosvik.ini";
    CIniProfile ini(m_home);
    for (const char* text : {"[MOSVIK]\nSpeed=fast\n", "[MOSVIK]\nSpeed=\n", "[MOSVIK]\nSpeed=99999999999\n",
                             "[MOSVIK]\nSpeed=12abc\n", "Speed=12\n", "[MOSVIK\nSpeed=12\n"}) {
        Write(file, text);
        EXPECT_EQ(ini.GetInt(kKey, "mosvik", "MOSVIK", "Speed", 8), 8) << text;
    }
    // Oversized file: not read.
    Write(file, "[MOSVIK]\nSpeed=12\n" + std::string(CIniProfile::kMaxFileSize, '#'));
    EXPECT_EQ(ini.GetInt(kKey, "mosvik", "MOSVIK", "Speed", 8), 8);
    // A directory where the file should be.
    fs::remove(file);
    fs::create_directories(file);
    EXPECT_EQ(ini.GetInt(kKey, "mosvik", "MOSVIK", "Speed", 8), 8);
    EXPECT_FALSE(ini.WriteInt(kKey, "mosvik", "MOSVIK", "Speed", 8));
}

TEST_F(IniProfileTest, TextsComeBackAsTheyWereWritten)
{
    CIniProfile ini(m_home);
    const fs::path file = m_home / kKey / "mosvik.ini";
    EXPECT_EQ(ini.GetString(kKey, "mosvik", "MOSVIK", "PictureFolder"), std::nullopt);
    // The text, and how the file holds it.
    const std::pair<std::string, std::string> cases[] = {
        {"/home/ann/Pictures", "/home/ann/Pictures"},
        {"", ""}, // set, and empty: not the same as missing
        {"/srv/My Photos/\xd0\xa4\xd0\xbe\xd1\x82\xd0\xbe", "/srv/My Photos/\xd0\xa4\xd0\xbe\xd1\x82\xd0\xbe"},
        {" /padded ", "\" /padded \""},
        {"\"quoted\"", "\"\"quoted\"\""},
        {"a=b;#c", "a=b;#c"},
    };
    for (const auto& [text, stored] : cases) {
        ASSERT_TRUE(ini.WriteString(kKey, "mosvik", "MOSVIK", "PictureFolder", text)) << text;
        EXPECT_EQ(Read(file), "[MOSVIK]\nPictureFolder=" + stored + "\n");
        EXPECT_EQ(ini.GetString(kKey, "mosvik", "mosvik", "picturefolder"), text);
    }
    for (const std::string& bad : {std::string("two\nlines"), std::string("cr\r"), std::string("nul\0", 4)})
        EXPECT_FALSE(ini.WriteString(kKey, "mosvik", "MOSVIK", "PictureFolder", bad));
    EXPECT_EQ(ini.GetString(kKey, "mosvik", "MOSVIK", "PictureFolder"), "a=b;#c");
    // Numbers and texts share the section.
    ASSERT_TRUE(ini.WriteInt(kKey, "mosvik", "MOSVIK", "Speed", 3));
    EXPECT_EQ(ini.GetString(kKey, "mosvik", "MOSVIK", "Speed"), "3");
    EXPECT_EQ(ini.GetInt(kKey, "mosvik", "MOSVIK", "PictureFolder", 8), 8);
}

TEST_F(IniProfileTest, FailedWriteLeavesTheOldFile)
{
    const fs::path file = m_home / kKey / "mosvik.ini";
    Write(file, "[MOSVIK]\nSpeed=5\n");
    CIniProfile ini(m_home);
    if (::geteuid() != 0) { // root writes into read-only directories
        ::chmod((m_home / kKey).c_str(), 0555);
        EXPECT_FALSE(ini.WriteInt(kKey, "mosvik", "MOSVIK", "Speed", 9));
        ::chmod((m_home / kKey).c_str(), 0755);
        EXPECT_EQ(Read(file), "[MOSVIK]\nSpeed=5\n");
    }
    // The configuration home is a file: nothing can be made under it.
    CIniProfile blocked(file);
    EXPECT_FALSE(blocked.WriteInt(kKey, "mosvik", "MOSVIK", "Speed", 9));
    EXPECT_EQ(Read(file), "[MOSVIK]\nSpeed=5\n");
}

TEST_F(IniProfileTest, ALinkedSettingsFileKeepsItsLink)
{
    // Dotfile managers keep the file elsewhere and link it in: the write
    // goes to the file linked, and the link stays.
    const fs::path real = m_home / "dotfiles" / "mosvik.ini";
    Write(real, "[MOSVIK]\nSpeed=5\n");
    fs::create_directories(m_home / kKey);
    fs::create_symlink(real, m_home / kKey / "mosvik.ini");
    CIniProfile ini(m_home);
    ASSERT_TRUE(ini.WriteInt(kKey, "mosvik", "MOSVIK", "Speed", 9));
    EXPECT_TRUE(fs::is_symlink(m_home / kKey / "mosvik.ini"));
    EXPECT_EQ(Read(real), "[MOSVIK]\nSpeed=9\n");
}

TEST_F(IniProfileTest, NamesThatAreNotOnePathComponentAreRefused)
{
    CIniProfile ini(m_home);
    EXPECT_TRUE(ini.FilePath(kKey, "").empty());
    EXPECT_TRUE(ini.FilePath("..", "mosvik").empty());
    EXPECT_TRUE(ini.FilePath("a/b", "mosvik").empty());
    EXPECT_TRUE(ini.FilePath(kKey, "../x").empty());
    EXPECT_FALSE(ini.WriteInt("..", "mosvik", "MOSVIK", "Speed", 1));
    EXPECT_EQ(ini.FilePath(kKey, "mosvik"), m_home / kKey / "mosvik.ini");
}

TEST_F(IniProfileTest, PlatformUsesXdgConfigHomeOrHomeConfig)
{
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";

    ::setenv("XDG_CONFIG_HOME", (m_home / "xdg").c_str(), 1);
    {
        HeadlessOptions o;
        o.width = o.height = 8;
        CHeadlessPlatform p(o, {}, nullptr);
        EXPECT_TRUE(p.WriteProfileInt(kKey, "mosvik", "MOSVIK", "Speed", 17));
        EXPECT_EQ(p.GetProfileInt(kKey, "mosvik", "MOSVIK", "Speed", 8), 17);
    }
    EXPECT_TRUE(fs::exists(m_home / "xdg" / kKey / "mosvik.ini"));

    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ::setenv("HOME", (m_home / "home").c_str(), 1);
    EXPECT_EQ(CIniProfile::DefaultConfigHome(), m_home / "home" / ".config");

    if (oldXdg)
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    if (oldHome)
        ::setenv("HOME", savedHome.c_str(), 1);
    else
        ::unsetenv("HOME");
}

} // namespace
