// The Wayland backend without a compositor: buffer sizes and pointer
// positions at integer and fractional scales, the damage list, the run
// the options and the session pick, and the several-output run's rule
// that an unplugged output's show ends no other.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "backends/wayland/wayland_geometry.h"
#include "main/saver_options.h"
#include "main/show_processes.h"

namespace {

constexpr std::int32_t Fixed(double v) { return std::int32_t(v * 256); }

TEST(WaylandGeometry, BuffersAreLogicalSizeTimesScale)
{
    struct Case {
        SIZE logical;
        SurfaceScale scale;
        SIZE buffer;
        int slop5; // the 5-pixel mouse slop
    } cases[] = {
        {{1920, 1080}, {1, 0}, {1920, 1080}, 5},
        {{640, 512}, {2, 0}, {1280, 1024}, 10},      // 1280x1024 at scale 2
        {{1280, 720}, {2, 180}, {1920, 1080}, 8},    // fractional 1.5 wins over the integer
        {{1707, 960}, {2, 180}, {2561, 1440}, 8},    // 2560.5 rounds away from zero
        {{1000, 10}, {1, 150}, {1250, 13}, 6},       // 1.25: 12.5 -> 13
        {{0, 0}, {3, 0}, {0, 0}, 15},
        {{100, 100}, {0, 0}, {100, 100}, 5},         // a scale below 1 counts as 1
    };
    for (const Case& c : cases) {
        const SIZE b = BufferSize(c.logical, c.scale);
        EXPECT_EQ(b.cx, c.buffer.cx) << c.logical.cx << " at " << c.scale.integer << "/" << c.scale.fraction120;
        EXPECT_EQ(b.cy, c.buffer.cy) << c.logical.cy << " at " << c.scale.integer << "/" << c.scale.fraction120;
        EXPECT_EQ(ScaleLength(5, c.scale), c.slop5);
    }
    EXPECT_THROW(BufferSize(SIZE{20000, 10}, SurfaceScale{2, 0}), std::length_error);
    EXPECT_THROW(BufferSize(SIZE{-1, 10}, SurfaceScale{}), std::length_error);
}

TEST(WaylandGeometry, PointerPositionsLandOnBufferPixels)
{
    struct Case {
        double x, y;
        SIZE logical, buffer;
        POINT want;
    } cases[] = {
        {10.5, 20.25, {640, 512}, {1280, 1024}, {21, 40}},
        {639.9, 511.9, {640, 512}, {1280, 1024}, {1279, 1023}},
        {100, 100, {1280, 720}, {1920, 1080}, {150, 150}},
        {-0.5, 3, {100, 100}, {100, 100}, {-1, 3}}, // rounded down, also below 0
        {5, 5, {0, 0}, {0, 0}, {0, 0}},            // nothing configured yet
    };
    for (const Case& c : cases) {
        const POINT p = BufferPoint(Fixed(c.x), Fixed(c.y), c.logical, c.buffer);
        EXPECT_EQ(p.x, c.want.x) << c.x;
        EXPECT_EQ(p.y, c.want.y) << c.y;
    }
}

TEST(WaylandGeometry, DamageIsClippedAndBounded)
{
    const RECT bounds{0, 0, 100, 100};
    CDamage d;
    d.Add(RECT{-10, -10, 5, 5}, bounds);
    d.Add(RECT{200, 200, 300, 300}, bounds); // outside: dropped
    d.Add(RECT{1, 1, 4, 4}, bounds);         // covered already
    ASSERT_EQ(d.Rects().size(), 1u);
    EXPECT_EQ(d.Rects()[0], (RECT{0, 0, 5, 5}));
    for (int i = 1; i < int(CDamage::kMaxRects); ++i)
        d.Add(RECT{i * 10, 50, i * 10 + 2, 52}, bounds);
    EXPECT_EQ(d.Rects().size(), CDamage::kMaxRects);
    d.Add(RECT{90, 90, 95, 99}, bounds); // one more: the bounding box of all
    ASSERT_EQ(d.Rects().size(), 1u);
    EXPECT_EQ(d.Rects()[0], (RECT{0, 0, 95, 99}));
}

TEST(WaylandOptions, TheSessionAndTheOptionsPickTheRun)
{
    struct Case {
        std::vector<std::string> args;
        bool session; // WAYLAND_DISPLAY without DISPLAY
        unsigned run;
        bool ownWindow;
        int speed; // 0: none given
        const char* output;
    } cases[] = {
        {{"/s"}, true, kRunWayland, false, 0, ""},
        {{"/s"}, false, kRunX11, false, 0, ""},
        {{"--x11", "/s"}, true, kRunX11, false, 0, ""},
        {{"--wayland", "--speed", "3", "/s"}, false, kRunWayland, false, 3, ""},
        {{"--speed", "3", "--wayland", "/s"}, false, kRunWayland, false, 3, ""},
        {{"--speed=70", "-window"}, true, kRunWayland, true, 64, ""}, // XScreenSaver's spellings too
        {{"--wayland", "--wayland-output=DP-2", "/s"}, false, kRunWayland, false, 0, "DP-2"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "mosvik");
        const SaverOptions o = ParseSaverOptions(args, kRunsPosix, c.session);
        EXPECT_EQ(o.run, c.run) << c.args[0];
        EXPECT_EQ(o.wayland.ownWindow, c.ownWindow) << c.args[0];
        const std::optional<int> speed = c.run == kRunWayland ? o.wayland.speed : o.x11.speed;
        EXPECT_EQ(speed.value_or(0), c.speed) << c.args[0];
        EXPECT_EQ(o.wayland.output, c.output) << c.args[0];
    }

    const std::pair<std::vector<std::string>, const char*> errors[] = {
        {{"--wayland", "--x11"}, "--wayland and --x11 exclude each other"},
        {{"--root"}, "--root draws into X windows: run with --x11"},
        {{"--wayland", "--window-id", "5"}, "--window-id draws into X windows: run with --x11"},
        {{"--window", "/s"}, "--window takes no switch, got \"/s\""},
        {{"--wayland-output=", "/s"}, "--wayland-output needs an output's name"},
        {{"--wayland", "--frames=out", "/s"}, "--frames needs --headless=WIDTHxHEIGHT"},
    };
    for (const auto& [given, message] : errors) {
        std::vector<std::string> args = given;
        args.insert(args.begin(), "mosvik");
        try {
            ParseSaverOptions(args, kRunsPosix, true);
            ADD_FAILURE() << given[0] << ": no error";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    // A build without the backend: the session falls back to X11, the
    // option is refused.
    const std::vector<std::string> forced{"mosvik", "--wayland", "/s"};
    EXPECT_THROW(ParseSaverOptions(forced, kRunHeadless | kRunX11, false), OptionError);
    EXPECT_EQ(ParseSaverOptions(std::vector<std::string>{"mosvik", "/s"}, kRunHeadless | kRunX11, true).run, kRunX11);
    EXPECT_TRUE(WaylandSession("wayland-1", nullptr));
    EXPECT_TRUE(WaylandSession("wayland-1", ""));
    EXPECT_FALSE(WaylandSession("wayland-1", ":0"));
    EXPECT_FALSE(WaylandSession("", nullptr));
}

TEST(ShowProcesses, AShowWhoseOutputWentEndsNoOther)
{
    constexpr int kGone = 10;
    struct Case {
        std::vector<const char*> exits; // each show's shell script
        int want;
    } cases[] = {
        {{"exit 10", "sleep 0.3; exit 0"}, 0},  // one output unplugged, then a key on the other
        {{"exit 10", "sleep 0.3; exit 3"}, 3},  // the other's own failure still counts
        {{"exit 10", "sleep 0.2; exit 10"}, 0}, // every output gone
        {{"exit 7", "sleep 5"}, 7},             // anything else ends them all at once
    };
    for (const Case& c : cases) {
        CShowProcesses shows;
        for (const char* script : c.exits)
            shows.Start("/bin/sh", {"sh", "-c", script});
        EXPECT_EQ(shows.WaitForFirstEnd(kGone), c.want) << c.exits[0] << " / " << c.exits[1];
        shows.EndAll();
    }
}

} // namespace
