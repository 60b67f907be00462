// The X11 backend's options: parsing and what is left for the application,
// and the XScreenSaver settings file checked against the option table.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/saver_app.h"
#include "disk_pictures/disk_pictures.h"
#include "backends/x11/x11_options.h"

namespace {

// An argv that the parser may rewrite, with the strings kept alive.
struct Args {
    explicit Args(std::vector<std::string> a) : strings(std::move(a))
    {
        strings.insert(strings.begin(), "mosvik");
        for (auto& s : strings)
            ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
        argc = int(strings.size());
    }
    std::vector<std::string> Left() const
    {
        std::vector<std::string> left;
        for (int i = 1; i < argc; ++i)
            left.emplace_back(ptrs[std::size_t(i)]);
        return left;
    }
    std::vector<std::string> strings;
    std::vector<char*> ptrs;
    int argc = 0;
};

X11Options Parse(Args& a) { return ParseX11Options(a.argc, a.ptrs.data()); }

void ExpectError(std::vector<std::string> argv)
{
    Args a(std::move(argv));
    EXPECT_THROW(Parse(a), X11OptionError) << a.strings[1];
}

} // namespace

TEST(X11Options, TargetsAndSpeedAreTakenAndTheSwitchIsLeft)
{
    Args root({"--root", "--speed", "3"});
    X11Options o = Parse(root);
    EXPECT_EQ(o.target, X11Target::Root);
    EXPECT_EQ(o.speed, 3);
    EXPECT_TRUE(root.Left().empty());
    EXPECT_EQ(root.ptrs[std::size_t(root.argc)], nullptr);

    // XScreenSaver's older single-dash spelling and the '=' form.
    Args old({"-window-id", "0x1a", "-speed=12"});
    o = Parse(old);
    EXPECT_EQ(o.target, X11Target::WindowId);
    EXPECT_EQ(o.windowId, 0x1Au);
    EXPECT_EQ(o.speed, 12);

    Args window({"--window"});
    EXPECT_EQ(Parse(window).target, X11Target::OwnWindow);

    // The saver's switches are not options: parsing stops there.
    Args sw({"--speed=5", "-s", "--root"});
    o = Parse(sw);
    EXPECT_EQ(o.target, X11Target::Switch);
    EXPECT_EQ(sw.Left(), (std::vector<std::string>{"-s", "--root"}));
    Args preview({"/p", "4711"});
    Parse(preview);
    EXPECT_EQ(preview.Left(), (std::vector<std::string>{"/p", "4711"}));
    Args dashes({"--root", "--", "--window"});
    Parse(dashes);
    EXPECT_EQ(dashes.Left(), (std::vector<std::string>{"--window"}));
}

TEST(X11Options, SpeedIsClampedIntoItsRange)
{
    const std::map<std::string, int> cases = {
        {"0", 1}, {"-7", 1}, {"1", 1}, {"64", 64}, {"65", 64}, {"99999999999999999999999", 64},
        {"-99999999999999999999999", 1}};
    for (const auto& [text, speed] : cases) {
        Args a({"--speed", text});
        EXPECT_EQ(Parse(a).speed, speed) << text;
    }
}

TEST(X11Options, MalformedOptionsAreErrors)
{
    ExpectError({"--bogus"});
    ExpectError({"--speed"});
    ExpectError({"--speed", "fast"});
    ExpectError({"--speed", "8x"});
    ExpectError({"--speed="});
    ExpectError({"--window-id"});
    ExpectError({"--window-id", "0"});
    ExpectError({"--window-id", "0x"});
    ExpectError({"--window-id", "12abc"});
    ExpectError({"--window-id", "-5"});
    ExpectError({"--window-id", "0x100000000"});
    ExpectError({"--root=yes"});
    ExpectError({"--root", "--window"});
    ExpectError({"--window-id", "5", "--root"});
}

TEST(X11Options, WindowIdsAreDecimalOrHexadecimal)
{
    EXPECT_EQ(ParseWindowId("4194313"), 4194313u);
    EXPECT_EQ(ParseWindowId("0x400009"), 0x400009u);
    EXPECT_EQ(ParseWindowId("0X1F"), 0x1Fu);
    EXPECT_EQ(ParseWindowId("4294967295"), 0xFFFFFFFFu);
    EXPECT_FALSE(ParseWindowId(""));
    EXPECT_FALSE(ParseWindowId("4294967296"));
    EXPECT_FALSE(ParseWindowId(" 12"));
    EXPECT_FALSE(ParseWindowId("+12"));
}

TEST(X11Options, UsageNamesEveryOption)
{
    const std::string usage = X11Usage();
    for (const X11OptionSpec& option : kX11Options) {
        std::string shown = "--" + std::string(option.name);
        if (option.metavar)
            shown += " " + std::string(option.metavar);
        EXPECT_NE(usage.find(shown), std::string::npos) << shown;
    }
}

// The settings file that XScreenSaver reads: every argument it passes is
// an option of the saver, numbers have that option's range, the speed
// defaults to the saver's default and the slider runs slow to fast; the
// picture folder and the message are the saver's picture options.
TEST(XScreenSaverConfig, ArgumentsAreDeclaredOptions)
{
    std::ifstream in(MOSVIK_SOURCE_DIR "/share/xscreensaver/config/mosvik.xml");
    ASSERT_TRUE(in) << "share/xscreensaver/config/mosvik.xml";
    std::stringstream text;
    text << in.rdbuf();
    const std::string xml = text.str();

    EXPECT_NE(xml.find("<screensaver name=\"mosvik\" _label=\"Mosvik\">"), std::string::npos);

    const std::regex element(R"(<([A-Za-z_-]+)((\s+[A-Za-z_-]+="[^"]*")*)\s*/?>)");
    const std::regex attribute(R"re(([A-Za-z_-]+)="([^"]*)")re");
    int commands = 0, numbers = 0;
    bool sawRoot = false, sawSpeed = false;
    std::vector<std::string> texts;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
        const std::string tag = (*it)[1];
        std::map<std::string, std::string> attrs;
        const std::string list = (*it)[2];
        for (auto a = std::sregex_iterator(list.begin(), list.end(), attribute); a != std::sregex_iterator(); ++a)
            attrs[(*a)[1]] = (*a)[2];
        if (!attrs.count("arg"))
            continue;
        const std::string arg = attrs["arg"];
        ASSERT_EQ(arg.rfind("--", 0), 0u) << arg;
        const std::string name = arg.substr(2, arg.find(' ') == std::string::npos ? std::string::npos : arg.find(' ') - 2);
        if (tag == "file" || tag == "string") {
            const auto picture = std::find_if(std::begin(kPictureOptions), std::end(kPictureOptions),
                                              [&](const PictureOptionEntry& o) { return name == o.name; });
            ASSERT_NE(picture, std::end(kPictureOptions)) << "not a picture option of the saver: " << arg;
            ASSERT_NE(picture->metavar, nullptr) << arg << " takes no value";
            EXPECT_EQ(arg, "--" + name + " %");
            texts.push_back(tag + " " + name);
            continue;
        }
        const X11OptionSpec* option = FindX11Option(name);
        ASSERT_NE(option, nullptr) << "not an option of the saver: " << arg;
        if (tag == "command") {
            ++commands;
            EXPECT_EQ(option->metavar, nullptr) << arg;
            sawRoot = sawRoot || option->id == X11Option::Root;
            continue;
        }
        ASSERT_EQ(tag, "number") << arg;
        ++numbers;
        ASSERT_NE(option->metavar, nullptr) << arg << " takes no value";
        EXPECT_EQ(arg, "--" + std::string(option->name) + " %");
        EXPECT_EQ(std::stoll(attrs["low"]), option->minimum) << arg;
        EXPECT_EQ(std::stoll(attrs["high"]), option->maximum) << arg;
        const long long def = std::stoll(attrs["default"]);
        EXPECT_GE(def, option->minimum);
        EXPECT_LE(def, option->maximum);
        if (option->id == X11Option::Speed) {
            sawSpeed = true;
            EXPECT_EQ(def, kDefaultSpeed);
            EXPECT_EQ(option->minimum, kMinSpeed);
            EXPECT_EQ(option->maximum, kMaxSpeed);
            // Larger is slower, so the slider is inverted: right is faster,
            // as in the configuration dialog.
            EXPECT_EQ(attrs["convert"], "invert");
        }
    }
    EXPECT_EQ(commands, 1);
    EXPECT_EQ(numbers, 1);
    EXPECT_TRUE(sawRoot);
    EXPECT_TRUE(sawSpeed);
    EXPECT_EQ(texts, (std::vector<std::string>{"file picture-dir", "string message"}));
}
