// XScreenSaver's image folder as the saver reads it from ~/.xscreensaver:
// the lines and values the daemon writes or a user may, and a file that
// must not be read.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "disk_pictures/xscreensaver_images.h"

namespace fs = std::filesystem;

namespace {

TEST(XScreenSaverImagesTest, FolderOnlyWhenRandomImagesAreChosen)
{
    const std::string on = "chooseRandomImages:\tTrue\n";
    const std::optional<std::string> none;
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {on + "imageDirectory:\t/home/ann/Pictures\n", "/home/ann/Pictures"},
        {"imageDirectory: /srv/My Photos\nchooseRandomImages: yes\n", "/srv/My Photos"},
        {"CHOOSERANDOMIMAGES: on\r\nIMAGEDIRECTORY: /srv/crlf\r\n", "/srv/crlf"},
        {"chooseRandomImages: False\nimageDirectory: /srv/photos\n", none},
        {"chooseRandomImages: 1\nimageDirectory: /srv/photos\n", none},
        {"imageDirectory: /srv/photos\n", none},
        {on, none},
        {on + "imageDirectory:\n", none},
        {on + "imageDirectory: https://example.org/feed.rss\n", none},
        {on + "imageDirectory: ~/Pictures\n", "/home/ann/Pictures"},
        {on + "imageDirectory: ~\n", "/home/ann"},
        {on + "imageDirectory: ~bob/Pictures\n", none},
        {on + "imageDirectory: Pictures\n", none},
        {on + "imageDirectory: /srv/a:b\n", "/srv/a:b"},
        {on + "imageDirectory: /srv/\\\nphotos\n", "/srv/photos"},      // joined lines
        {on + "imageDirectory: /srv/a\\\\b\\ c\n", "/srv/a\\b c"},      // escapes
        {on + "imageDirectory: /srv/old\nimageDirectory: /srv/new\n", "/srv/new"},
        {on + "# imageDirectory: /srv/no\n! imageDirectory: /srv/no\nimageDirectory: /srv/yes\n", "/srv/yes"},
        // A name inside another entry's joined lines is not an entry.
        {on + "programs:\t\\\n  hack -imageDirectory: /srv/no \\n\\\n  other\n", none},
        {on + "imageDirectory: /srv/\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE\n",
         "/srv/\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE"},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(xscreensaver::ImageFolder(text, "/home/ann"), want) << text;
    EXPECT_EQ(xscreensaver::ImageFolder(on + "imageDirectory: ~/x\n", ""), none);
}

TEST(XScreenSaverImagesTest, ReadsTheHomeFolderFileAndNothingElse)
{
    char tmpl[] = "/tmp/mosvik-xss-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const fs::path home = tmpl;
    const char* old = std::getenv("HOME");
    const std::string saved = old ? old : "";
    ::setenv("HOME", home.c_str(), 1);
    const fs::path file = home / ".xscreensaver";

    EXPECT_EQ(xscreensaver::ReadImageFolder(), std::nullopt); // no file
    std::ofstream(file) << "chooseRandomImages: True\nimageDirectory: ~/Pictures\n";
    EXPECT_EQ(xscreensaver::ReadImageFolder(), (home / "Pictures").string());
    std::ofstream(file, std::ios::app) << std::string(xscreensaver::kMaxFileSize, '#');
    EXPECT_EQ(xscreensaver::ReadImageFolder(), std::nullopt); // too large
    fs::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(xscreensaver::ReadImageFolder(), std::nullopt); // a FIFO: not waited on
    ::setenv("HOME", "relative", 1);
    EXPECT_EQ(xscreensaver::ReadImageFolder(), std::nullopt);

    if (old)
        ::setenv("HOME", saved.c_str(), 1);
    else
        ::unsetenv("HOME");
    fs::remove_all(home);
}

} // namespace
