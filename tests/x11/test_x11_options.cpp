// The X11 run's options: reading and what is left for the application; the
// usage, the manual page and the XScreenSaver settings file checked against
// the option table.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/saver_app.h"
#include "backends/x11/x11_options.h"
#include "main/option_table.h"
#include "main/saver_options.h"

namespace {

SaverOptions Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "mosvik");
    return ParseSaverOptions(args, kRunsPosix);
}

std::string ErrorOf(const std::vector<std::string>& args)
{
    try {
        Parse(args);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(X11Options, TargetsAndSpeedAreTakenAndTheSwitchIsLeft)
{
    SaverOptions o = Parse({"--root", "--speed", "3"});
    EXPECT_EQ(o.run, kRunX11);
    EXPECT_EQ(o.x11.target, X11Target::Root);
    EXPECT_EQ(o.x11.speed, 3);
    EXPECT_EQ(o.command.mode, SaverCommand::Mode::Configure);
    EXPECT_FALSE(o.command.handle);

    // XScreenSaver's older single-dash spelling and the '=' form.
    o = Parse({"-window-id", "0x1a", "-speed=12"});
    EXPECT_EQ(o.x11.target, X11Target::WindowId);
    EXPECT_EQ(o.x11.windowId, 0x1Au);
    EXPECT_EQ(o.x11.speed, 12);

    EXPECT_EQ(Parse({"--window"}).x11.target, X11Target::OwnWindow);

    // The saver's switches are not options: reading stops there.
    o = Parse({"--speed=5", "-s", "--root"});
    EXPECT_EQ(o.x11.target, X11Target::Switch);
    EXPECT_EQ(o.command.mode, SaverCommand::Mode::FullScreen);
    EXPECT_EQ(o.command.handle.value_or("none"), "--root");
    o = Parse({"/p", "4711"});
    EXPECT_EQ(o.command.mode, SaverCommand::Mode::Preview);
    EXPECT_EQ(o.command.PreviewHandle(), 4711);
    o = Parse({"--speed", "2", "--", "--window", "-p"});
    EXPECT_EQ(o.x11.target, X11Target::Switch);
    EXPECT_EQ(o.command.mode, SaverCommand::Mode::Configure);
    EXPECT_EQ(o.command.handle.value_or("none"), "-p");
}

TEST(X11Options, SpeedIsClampedIntoItsRange)
{
    const std::map<std::string, int> cases = {
        {"0", 1}, {"-7", 1}, {"1", 1}, {"64", 64}, {"65", 64}, {"99999999999999999999999", 64},
        {"-99999999999999999999999", 1}};
    for (const auto& [text, speed] : cases)
        EXPECT_EQ(Parse({"--speed", text}).x11.speed, speed) << text;
}

TEST(X11Options, MalformedOptionsAreErrors)
{
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"--bogus"}, "unknown option --bogus (see mosvik --help)"},
        {{"--speed"}, "--speed needs a value"},
        {{"--speed", "fast"}, "--speed needs a whole number, got \"fast\""},
        {{"--speed", "8x"}, "--speed needs a whole number, got \"8x\""},
        {{"--speed="}, "--speed needs a whole number, got \"\""},
        {{"-speed"}, "--speed needs a value"},
        {{"--window-id"}, "--window-id needs a value"},
        {{"--window-id", "0"}, "--window-id needs a window id (decimal or 0x hex), got \"0\""},
        {{"--window-id", "0x"}, "--window-id needs a window id (decimal or 0x hex), got \"0x\""},
        {{"--window-id", "12abc"}, "--window-id needs a window id (decimal or 0x hex), got \"12abc\""},
        {{"--window-id", "-5"}, "--window-id needs a window id (decimal or 0x hex), got \"-5\""},
        {{"--window-id", "0x100000000"}, "--window-id needs a window id (decimal or 0x hex), got \"0x100000000\""},
        {{"--root=yes"}, "--root takes no value"},
        {{"--root", "--window"}, "--root, --window-id and --window exclude each other"},
        {{"--window-id", "5", "--root"}, "--root, --window-id and --window exclude each other"},
        {{"--root", "/s"}, "--root, --window-id and --window take no switch, got \"/s\""},
        {{"--window", "--", "x"}, "--root, --window-id and --window take no switch, got \"x\""},
        {{"--speed=3", "--frames=out", "/s"}, "--frames needs --headless=WIDTHxHEIGHT"},
        {{"--headless=64x48", "--root"}, "unknown option --root"},
    };
    for (const auto& [args, message] : rows)
        EXPECT_EQ(ErrorOf(args), message) << args.front();
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

// --help and the manual page name every option the table lets a user give.
TEST(OptionTable, UsageAndManualNameEveryOption)
{
    std::ifstream in(MOSVIK_SOURCE_DIR "/man/mosvik.6");
    ASSERT_TRUE(in) << "man/mosvik.6";
    std::stringstream text;
    text << in.rdbuf();
    const std::string manual = text.str();
    const std::string usage = UsageText(kRunsPosix);
    for (const OptionRow& row : OptionTable()) {
        if (!row.help || !(row.runs & kRunsPosix))
            continue;
        EXPECT_NE(usage.find("  " + ShownOption(row) + " "), std::string::npos) << ShownOption(row);
        std::string escaped = "\\\\-\\\\-";
        for (const char* c = row.name; *c; ++c)
            escaped += *c == '-' ? std::string("\\\\-") : std::string(1, *c);
        // Not the start of a longer name: "--window" is not "--window-id".
        EXPECT_TRUE(std::regex_search(manual, std::regex(escaped + "(?![a-z]|\\\\-[a-z])"))) << row.name;
    }
    // Each run's section is there only when the run was built.
    EXPECT_EQ(UsageText(kRunHeadless).find("--window-id"), std::string::npos);
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
            const OptionRow* picture = FindOption(name, kRunX11, OptionPlace::Anywhere);
            ASSERT_NE(picture, nullptr) << "not a picture option of the saver: " << arg;
            ASSERT_NE(picture->metavar, nullptr) << arg << " takes no value";
            EXPECT_EQ(arg, "--" + name + " %");
            texts.push_back(tag + " " + name);
            continue;
        }
        const OptionRow* option = FindOption(name, kRunX11, OptionPlace::Leading);
        ASSERT_NE(option, nullptr) << "not an option of the saver: " << arg;
        if (tag == "command") {
            ++commands;
            EXPECT_EQ(option->metavar, nullptr) << arg;
            sawRoot = sawRoot || option->id == OptionId::Root;
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
        if (option->id == OptionId::Speed) {
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
