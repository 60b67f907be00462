// The input script parser and the headless command-line options.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "backends/headless/headless_options.h"
#include "backends/headless/input_script.h"
#include "backends/headless/virtual_clock.h"

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

struct Args {
    explicit Args(std::vector<std::string> a) : strings(std::move(a))
    {
        for (auto& s : strings)
            ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
        argc = int(strings.size());
    }
    std::vector<std::string> strings;
    std::vector<char*> ptrs;
    int argc;
    char** argv() { return ptrs.data(); }
};

TEST(HeadlessOptions, ParsesAndRemovesTheLeadingOptions)
{
    Args a({"mosvik", "--headless=640x480", "--clock=42", "--input=in.txt", "--frames=out", "--fps=25",
            "--record=r.webp", "--stop-after=2.5", "--config-answer=ok:12", "/p", "--fps=3"});
    const HeadlessOptions o = ParseHeadlessOptions(a.argc, a.argv());
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
    ASSERT_EQ(a.argc, 3);
    EXPECT_STREQ(a.argv()[0], "mosvik");
    EXPECT_STREQ(a.argv()[1], "/p");
    EXPECT_STREQ(a.argv()[2], "--fps=3");
    EXPECT_EQ(a.argv()[3], nullptr);
}

TEST(HeadlessOptions, SeveralMonitorsMakeADesktopOfTheirBox)
{
    Args a({"mosvik", "--headless=320x240,200x150+330+60", "--frame-fd=9", "/s"});
    const HeadlessOptions o = ParseHeadlessOptions(a.argc, a.argv());
    EXPECT_EQ(o.width, 530);
    EXPECT_EQ(o.height, 240);
    ASSERT_EQ(o.monitors.size(), 2u);
    EXPECT_EQ(o.monitors[1], (MonitorRect{330, 60, 200, 150}));
    EXPECT_EQ(o.frameFd, 9);
}

TEST(HeadlessOptions, DefaultsAndTheDoubleDash)
{
    Args a({"mosvik", "--headless=1x1", "--", "--s"});
    const HeadlessOptions o = ParseHeadlessOptions(a.argc, a.argv());
    EXPECT_EQ(o.clockStart, 1000000000);
    EXPECT_EQ(o.fps, 10);
    EXPECT_FALSE(o.stopAfter.has_value());
    EXPECT_FALSE(o.configOk);
    ASSERT_EQ(a.argc, 2);
    EXPECT_STREQ(a.argv()[1], "--s");
}

TEST(HeadlessOptions, RejectsWhatItDoesNotKnow)
{
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"mosvik", "/s"},                                         // no --headless
             {"mosvik", "--headless=640", "/s"},                       // no height
             {"mosvik", "--headless=0x480", "/s"},                     // empty display
             {"mosvik", "--headless=20000x10", "/s"},                  // too wide
             {"mosvik", "--headless=16384x16384", "/s"},               // too many pixels
             {"mosvik", "--headless=64x48", "--fps=0", "/s"},          // fps range
             {"mosvik", "--headless=64x48", "--clock=-1", "/s"},       // negative clock
             {"mosvik", "--headless=64x48", "--frames", "/s"},         // no value
             {"mosvik", "--headless=64x48", "--frames=", "/s"},        // empty value
             {"mosvik", "--headless=64x48", "--config-answer=yes"},    // bad answer
             {"mosvik", "--headless=64x48", "--config-answer=ok:x"},   // bad position
             {"mosvik", "--headless=64x48", "--stop-after=soon"},      // bad time
             {"mosvik", "--headless=64x48", "--speed=3", "/s"},        // unknown
             {"mosvik", "--headless=64x48", "--record=out.gif", "/s"}, // not WebP
             {"mosvik", "--headless=64x48", "--record=webp", "/s"},    // no extension
             {"mosvik", "--headless=64x48,64x48+16400+0", "/s"},       // desktop too wide
             {"mosvik", "--headless=64x48", "--frame-fd=-1", "/s"},    // no descriptor
         }) {
        Args a(bad);
        EXPECT_THROW(ParseHeadlessOptions(a.argc, a.argv()), OptionError) << bad.back();
    }
    Args tooWide({"mosvik", "--headless=20000x10", "/s"});
    try {
        ParseHeadlessOptions(tooWide.argc, tooWide.argv());
        ADD_FAILURE() << "no error";
    } catch (const OptionError& e) {
        EXPECT_NE(std::string(e.what()).find("each side 1 to 16384"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(IsHeadlessOption("--frames=x"));
    EXPECT_TRUE(IsHeadlessOption("--headless"));
    EXPECT_FALSE(IsHeadlessOption("--framesx=1"));
    EXPECT_FALSE(IsHeadlessOption("--display=:1"));
}

} // namespace
