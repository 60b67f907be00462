// Monitor layouts and the arguments of a several-monitor run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/monitor_layout.h"
#include "main/common_options.h"
#include "main/option_table.h"

namespace {

TEST(MonitorLayout, ParsesFormatsAndRejects)
{
    const std::vector<MonitorRect> list = ParseMonitorList("1920x1080,1280x1024-1280+56,800x600+1920-600");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], (MonitorRect{0, 0, 1920, 1080}));
    EXPECT_EQ(list[1], (MonitorRect{-1280, 56, 1280, 1024}));
    EXPECT_EQ(list[2], (MonitorRect{1920, -600, 800, 600}));
    for (const MonitorRect& m : list)
        EXPECT_EQ(ParseMonitor(FormatMonitor(m)), m) << FormatMonitor(m);
    EXPECT_EQ(FormatMonitor(list[1]), "1280x1024-1280+56");
    EXPECT_EQ(DesktopBox(list), (MonitorRect{-1280, -600, 4000, 1680}));

    std::string many = "1x1";
    for (std::size_t i = 1; i < MonitorRect::kMaxMonitors; ++i)
        many += ",1x1";
    EXPECT_EQ(ParseMonitorList(many).size(), MonitorRect::kMaxMonitors);
    for (const char* bad : {"", "640", "0x480", "640x", "640x480+", "640x480+10", "640x480+10+", "640x480++1+1",
                            "640x480+1+1+1", "640x480+40000+0", "40000x10", "640x480,", ",640x480", "6a0x480"})
        EXPECT_THROW(ParseMonitorList(bad), MonitorLayoutError) << bad;
    EXPECT_THROW(ParseMonitorList(many + ",1x1"), MonitorLayoutError);
}

TEST(MonitorLayout, RandrFirstThenXineramaThenTheScreen)
{
    const MonitorRect screen{0, 0, 3200, 1200};
    const std::vector<MonitorRect> randr{{1920, 0, 1280, 1024}, {0, 0, 1920, 1200}};
    const std::vector<MonitorRect> xinerama{{0, 0, 1920, 1200}, {0, 0, 1920, 1200}, {1920, 0, 1280, 1024}};
    const std::vector<MonitorRect> empty{{0, 0, 0, 0}};
    struct Case {
        std::vector<MonitorRect> randr, xinerama, want;
    } cases[] = {
        {randr, xinerama, randr},                          // RandR as given
        {{}, xinerama, {xinerama[0], xinerama[2]}},        // mirrored outputs once
        {empty, {}, {screen}},                             // nothing with an area
        {{}, {}, {screen}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseMonitors(c.randr, c.xinerama, screen), c.want);
}

TEST(MonitorShows, TheMonitorOptionLeadsEveryShowsArguments)
{
    const std::vector<std::string> given{"saver", "--headless=64x48,32x24+64+0", "--frames=out", "--clock=5",
                                         "/s", "--frames=kept"};
    const std::string_view drop[] = {"--frames="};
    const std::vector<std::string> args =
        ShowArguments(given, ShowMonitor{MonitorRect{64, 0, 32, 24}, 1}, {"--frame-fd=7"}, drop);
    EXPECT_EQ(args, (std::vector<std::string>{"saver", "--monitor=1:32x24+64+0", "--frame-fd=7",
                                              "--headless=64x48,32x24+64+0", "--clock=5", "/s", "--frames=kept"}));

    // The show reads its monitor back, and keeps the rest for what it runs.
    std::vector<std::string> rest;
    const CommonOptions show = ReadCommonOptions(args, kRunsPosix, rest);
    ASSERT_TRUE(show.monitor.has_value());
    EXPECT_EQ(show.monitor->rect, (MonitorRect{64, 0, 32, 24}));
    EXPECT_FALSE(show.monitor->TakesFocus());
    EXPECT_EQ(rest, (std::vector<std::string>{"--frame-fd=7", "--headless=64x48,32x24+64+0", "--clock=5", "/s",
                                              "--frames=kept"}));
    EXPECT_EQ(show.given.size(), args.size() - 1);
    // Only right after the program name.
    EXPECT_FALSE(ReadCommonOptions(std::vector<std::string>{"saver", "/s", args[1]}, kRunsPosix, rest).monitor);
    for (std::string bad : {"--monitor=32x24+0+0", "--monitor=x:32x24", "--monitor=64:32x24", "--monitor=0:"})
        EXPECT_THROW(ReadCommonOptions(std::vector<std::string>{"saver", bad}, kRunsPosix, rest), MonitorLayoutError)
            << bad;
}

} // namespace
