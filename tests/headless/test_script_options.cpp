// The input script parser, and the saver's command line as the headless run
// and the options of every run read it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "backends/headless/input_script.h"
#include "backends/headless/virtual_clock.h"
#include "main/saver_options.h"

namespace {

constexpr std::int64_t kMs = CVirtualClock::kUnitsPerMs;

std::vector<InputEvent> Parse(const std::string& text)
{
    std::istringstream in(text);
    return ParseInputScript(in);
}

std::string ErrorOf(const std::string& text)
{
    try {
        Parse(text);
    } catch (const InputScriptError& e) {
        return e.what();
    }
    return "no error";
}

TEST(InputScript, ReadsEveryEventKindInTimeOrder)
{
    const auto ev = Parse("# a comment\n"
                          "\n"
                          "2 close\n"
                          "0.5 mousemove 10 -20\r\n"
                          "  1.25   keydown  \n"
                          ".75 lbuttondown\n"
                          "1.25 rbuttondown\n"
                          "3 mbuttondown\n"
                          "4.000001 deactivate\n"
                          "5 destroy-parent\n");
    ASSERT_EQ(ev.size(), 8u);
    EXPECT_EQ(ev[0].kind, InputKind::MouseMove);
    EXPECT_EQ(ev[0].time, 500 * kMs);
    EXPECT_EQ(ev[0].x, 10);
    EXPECT_EQ(ev[0].y, -20);
    EXPECT_EQ(ev[0].line, 4);
    EXPECT_EQ(ev[1].kind, InputKind::LButtonDown);
    EXPECT_EQ(ev[1].time, 750 * kMs);
    EXPECT_EQ(ev[2].kind, InputKind::KeyDown); // same time: file order kept
    EXPECT_EQ(ev[3].kind, InputKind::RButtonDown);
    EXPECT_EQ(ev[4].kind, InputKind::Close);
    EXPECT_EQ(ev[5].kind, InputKind::MButtonDown);
    EXPECT_EQ(ev[6].kind, InputKind::Deactivate);
    EXPECT_EQ(ev[6].time, 4 * CVirtualClock::kUnitsPerSecond + CVirtualClock::kUnitsPerUs);
    EXPECT_EQ(ev[7].kind, InputKind::DestroyParent);
}

TEST(InputScript, BadLinesNameTheirLineNumber)
{
    EXPECT_EQ(ErrorOf("1 keydown\n2 jump\n"), "input line 2: unknown event \"jump\"");
    EXPECT_EQ(ErrorOf("x keydown\n"), "input line 1: bad time \"x\"");
    EXPECT_EQ(ErrorOf("\n\n-1 keydown\n"), "input line 3: bad time \"-1\"");
    EXPECT_EQ(ErrorOf("1 mousemove 5\n"), "input line 1: mousemove needs X and Y");
    EXPECT_EQ(ErrorOf("1 mousemove 5 70000\n"), "input line 1: bad coordinate");
    EXPECT_EQ(ErrorOf("1 keydown now\n"), "input line 1: unexpected text after event");
    EXPECT_EQ(ErrorOf("1.5\n"), "input line 1: missing event name");
    EXPECT_EQ(ErrorOf("1e3 keydown\n"), "input line 1: bad time \"1e3\"");
    EXPECT_THROW(LoadInputScript("/nonexistent/input.txt"), InputScriptError);
}

TEST(InputScript, SecondsKeepMicrosecondsAndRejectTooLarge)
{
    std::int64_t u = 0;
    ASSERT_TRUE(ParseSeconds("0.1234567", 10, u)); // beyond the microsecond dropped
    EXPECT_EQ(u, 123456 * CVirtualClock::kUnitsPerUs);
    ASSERT_TRUE(ParseSeconds("10", 10, u));
    EXPECT_FALSE(ParseSeconds("10.5", 10, u));
    EXPECT_FALSE(ParseSeconds("11", 10, u));
    EXPECT_FALSE(ParseSeconds(".", 10, u));
    EXPECT_FALSE(ParseSeconds("", 10, u));
    EXPECT_FALSE(ParseSeconds("99999999999999999999999", kMaxInputSeconds, u));
}

SaverOptions Options(std::vector<std::string> args, unsigned built = kRunsPosix)
{
    args.insert(args.begin(), "mosvik");
    return ParseSaverOptions(args, built);
}

std::string OptionErrorOf(const std::vector<std::string>& args, unsigned built = kRunsPosix)
{
    try {
        Options(args, built);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(HeadlessOptions, ParsesTheLeadingOptionsAndLeavesTheSwitch)
{
    const SaverOptions s = Options({"--headless=640x480", "--clock=42", "--input=in.txt", "--frames=out", "--fps=25",
                                    "--record=r.webp", "--stop-after=2.5", "--config-answer=ok:12", "/p", "--fps=3"});
    ASSERT_EQ(s.run, kRunHeadless);
    const HeadlessOptions& o = s.headless;
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.clockStart, 42);
    EXPECT_EQ(o.inputFile, "in.txt");
    EXPECT_EQ(o.framesDir, "out");
    EXPECT_EQ(o.fps, 25);
    EXPECT_EQ(o.recordFile, "r.webp");
    ASSERT_TRUE(o.stopAfter.has_value());
    EXPECT_EQ(*o.stopAfter, 2500 * kMs);
    EXPECT_TRUE(o.configOk);
    EXPECT_EQ(o.configPosition, 12);
    // What follows the switch belongs to the application.
    EXPECT_EQ(s.command.mode, SaverCommand::Mode::Preview);
    EXPECT_EQ(s.command.handle.value_or("none"), "--fps=3");
    EXPECT_EQ(s.given.size(), 11u);
}

TEST(HeadlessOptions, SeveralMonitorsMakeADesktopOfTheirBox)
{
    const SaverOptions s = Options({"--headless=320x240,200x150+330+60", "--frame-fd=9", "/s"});
    const HeadlessOptions& o = s.headless;
    EXPECT_EQ(o.width, 530);
    EXPECT_EQ(o.height, 240);
    ASSERT_EQ(o.monitors.size(), 2u);
    EXPECT_EQ(o.monitors[1], (MonitorRect{330, 60, 200, 150}));
    EXPECT_EQ(o.frameFd, 9);
    EXPECT_EQ(s.command.mode, SaverCommand::Mode::FullScreen);
}

TEST(HeadlessOptions, DefaultsAndTheDoubleDash)
{
    const SaverOptions s = Options({"--headless=1x1", "--", "--fps=3", "7"});
    const HeadlessOptions& o = s.headless;
    EXPECT_EQ(o.clockStart, 1000000000);
    EXPECT_EQ(o.fps, 10); // taken for the switch
    EXPECT_FALSE(o.stopAfter.has_value());
    EXPECT_FALSE(o.configOk);
    EXPECT_EQ(s.command.mode, SaverCommand::Mode::Configure);
    EXPECT_EQ(s.command.handle.value_or("none"), "7");
}

TEST(HeadlessOptions, PicturesAnywhereHelpFirst)
{
    SaverOptions s = Options({"--color", "#102030", "--headless=64x48", "/p", "--bold", "4711"});
    EXPECT_EQ(s.run, kRunHeadless);
    EXPECT_TRUE(s.pictures.message.bold);
    EXPECT_EQ(s.pictures.message.colour, COLORREF(0x302010));
    EXPECT_EQ(s.pictures.given, unsigned(PictureOptions::kBold | PictureOptions::kColour));
    EXPECT_EQ(s.command.handle.value_or("none"), "4711");
    EXPECT_EQ(s.given.size(), 7u); // every show of a several-monitor run is given them too

    // --help and --version are answered whatever the other options say.
    EXPECT_TRUE(Options({"--bogus", "--fps=0", "--help"}).help);
    EXPECT_TRUE(Options({"--headless=0x0", "--version", "/s"}).version);
    EXPECT_FALSE(Options({"/s", "--help"}).help);
}

// The first fault is reported, each with the message its option has always
// had; the two runs word some of them their own way.
TEST(HeadlessOptions, FaultsAndTheirMessages)
{
    const struct {
        std::vector<std::string> args;
        const char* message;
    } rows[] = {
        {{"--headless=640", "/s"}, "--headless needs WIDTHxHEIGHT[+X+Y][,...], got \"640\""},
        {{"--headless=0x480", "/s"}, "--headless needs WIDTHxHEIGHT[+X+Y][,...], got \"0x480\""},
        {{"--headless=20000x10", "/s"}, "--headless size out of range: 20000x10 (each side 1 to 16384, at most "
                                        "134217728 pixels)"},
        {{"--headless=16384x16384", "/s"}, "--headless size out of range: 16384x16384 (each side 1 to 16384, at "
                                           "most 134217728 pixels)"},
        {{"--headless=64x48,64x48+16400+0", "/s"}, "--headless size out of range: 64x48,64x48+16400+0 (each side "
                                                   "1 to 16384, at most 134217728 pixels)"},
        {{"--headless", "/s"}, "--headless needs a value"},
        {{"--headless=64x48", "--fps=0", "/s"}, "--fps needs 1 to 1000, got \"0\""},
        {{"--headless=64x48", "--clock=-1", "/s"}, "--clock needs whole seconds, got \"-1\""},
        {{"--headless=64x48", "--frames", "/s"}, "--frames needs a value"},
        {{"--headless=64x48", "--frames=", "/s"}, "--frames needs a value"},
        {{"--headless=64x48", "--config-answer=yes"},
         "--config-answer needs ok:POSITION[:FOLDER] or cancel, got \"yes\""},
        {{"--headless=64x48", "--config-answer=ok:x"},
         "--config-answer needs ok:POSITION[:FOLDER] or cancel, got \"ok:x\""},
        {{"--headless=64x48", "--config-answer=ok::/p"},
         "--config-answer needs ok:POSITION[:FOLDER] or cancel, got \"ok::/p\""},
        {{"--headless=64x48", "--stop-after=soon"}, "--stop-after needs seconds, got \"soon\""},
        {{"--headless=64x48", "--speed=3", "/s"}, "unknown option --speed=3"},
        {{"--headless=64x48", "--bold=yes", "/s"}, "unknown option --bold=yes"},
        {{"--headless=64x48", "--monitor=0:64x48+0+0", "/s"}, "unknown option --monitor=0:64x48+0+0"},
        {{"--headless=64x48", "--record=out.gif", "/s"},
         "--record writes an animated WebP: FILE must end in .webp, got \"out.gif\""},
        {{"--headless=64x48", "--record=webp", "/s"},
         "--record writes an animated WebP: FILE must end in .webp, got \"webp\""},
        {{"--headless=64x48", "--frame-fd=-1", "/s"}, "--frame-fd needs a file descriptor, got \"-1\""},
        // Without --headless the desktop runs, which takes none of them.
        {{"--fps=0", "--frames=x", "/s"}, "--fps needs --headless=WIDTHxHEIGHT"},
        {{"--framesx=1", "/s"}, "unknown option --framesx=1 (see mosvik --help)"},
        // Read before anything else, wherever the run.
        {{"--monitor=x:64x48", "/s"}, "--monitor needs INDEX:WIDTHxHEIGHT+X+Y, got \"--monitor=x:64x48\""},
        {{"--headless=0x0", "--picture"}, "--picture needs FILE"},
        {{"--picture=.", "--help"}, "--picture needs a picture file, not a directory: \".\""},
        {{"/s", "--picture-dir=/nonexistent/folder"}, "--picture-dir needs a directory: \"/nonexistent/folder\""},
        {{"--picture-dir=.", "--picture=x.jpg", "/s"}, "--picture and --picture-dir cannot be used together"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OptionErrorOf(row.args), row.message) << row.args.front();
    EXPECT_EQ(OptionErrorOf({"/s"}, kRunHeadless), "not built with X11 support: use --headless=WIDTHxHEIGHT");
    EXPECT_EQ(OptionErrorOf({"--headless=64x48", "/s"}, kRunHeadless), "no error");
}

} // namespace
