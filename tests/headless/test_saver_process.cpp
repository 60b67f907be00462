// The whole saver run headless from the command line: timing of the first
// board, the input rules of the full-screen saver, the preview, the
// configuration answers, the message screen and reproducibility.
// Frames are sampled at 10 per second unless a test says otherwise, so a
// run that ends at T seconds leaves about 10 T frames.
#include "process_fixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kMagenta = 0xFF00FF; // the message colour of the test savers

bool AllOf(const Frame& f, std::uint32_t colour)
{
    return !f.pixels.empty() &&
           std::all_of(f.pixels.begin(), f.pixels.end(), [&](std::uint32_t p) { return p == colour; });
}

bool HasColour(const Frame& f, std::uint32_t colour)
{
    return std::find(f.pixels.begin(), f.pixels.end(), colour) != f.pixels.end();
}

std::string ReadText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int Lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }

class SaverRun : public SaverProcessTest {
protected:
    // Runs the full-screen saver with the input for at most 6 s of virtual
    // time; returns the number of frames, so the end time shows.
    int FramesUntilEnd(const std::string& input)
    {
        fs::path frames;
        const RunResult r = RunSaver(Saver("Hi"), {"--stop-after=6", "/s"}, input, &frames);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return int(ReadFrames(frames).size());
    }
};

TEST_F(SaverRun, FirstBoardShowsHalfASecondAfterStart)
{
    fs::path dir;
    const RunResult r = RunSaver(Saver("Hi"), {"--stop-after=1.2", "/s"}, {}, &dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Frame> frames = ReadFrames(dir);
    ASSERT_EQ(frames.size(), 12u);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(AllOf(frames[i], kWhite)) << "frame " << i << " is not the white window";
    EXPECT_FALSE(AllOf(frames[5], kWhite)) << "the background is not shown at 0.5 s";
    // The board comes through its transition right after the background.
    bool board = false;
    for (int i = 6; i <= 8; ++i)
        board = board || (!(frames[i] == frames[5]) && !AllOf(frames[i], kWhite));
    EXPECT_TRUE(board);
}

TEST_F(SaverRun, MouseMoveOnBothAxesEndsTheSaver)
{
    const int n = FramesUntilEnd("1.0 mousemove 100 100\n1.5 mousemove 106 94\n");
    EXPECT_GE(n, 15);
    EXPECT_LE(n, 17);
}

TEST_F(SaverRun, FirstMoveOnlySetsTheReferenceAndOneAxisNeverEnds)
{
    EXPECT_EQ(FramesUntilEnd("1.0 mousemove 300 200\n"), 60);
    EXPECT_EQ(FramesUntilEnd("1.0 mousemove 10 100\n1.2 mousemove 310 100\n1.4 mousemove 0 104\n"
                             "1.6 mousemove 160 96\n1.8 mousemove 14 5000\n"),
              60);
}

TEST_F(SaverRun, KeysLeftAndRightButtonsAndDeactivationEndItTheMiddleButtonDoesNot)
{
    for (const char* input : {"1.0 keydown\n", "1.0 lbuttondown\n", "1.0 rbuttondown\n", "1.0 deactivate\n"}) {
        const int n = FramesUntilEnd(input);
        EXPECT_GE(n, 10) << input;
        EXPECT_LE(n, 12) << input;
    }
    EXPECT_EQ(FramesUntilEnd("1.0 mbuttondown\n"), 60);
}

TEST_F(SaverRun, InputOutsideACycleIsAbsorbed)
{
    // Before the first cycle the window's own handlers see the input; the
    // framework's guard swallows the interrupt and the show goes on.
    fs::path dir;
    const RunResult r = RunSaver(Saver("Hi"), {"--stop-after=3", "/s"},
                                 "0.1 mousemove 10 10\n0.2 keydown\n0.3 lbuttondown\n0.4 mousemove 200 200\n", &dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Frame> frames = ReadFrames(dir);
    ASSERT_EQ(frames.size(), 30u);
    EXPECT_FALSE(frames[29] == frames[5]); // the pieces moved on
}

TEST_F(SaverRun, PreviewIgnoresInputAndEndsWithItsParent)
{
    fs::path dir;
    const RunResult r = RunSaver(Saver("Hi"), {"--stop-after=6", "/p", "4242"},
                                 "1.0 keydown\n1.1 lbuttondown\n1.2 rbuttondown\n1.3 mousemove 5 5\n"
                                 "1.4 mousemove 200 200\n1.5 deactivate\n2.0 destroy-parent\n",
                                 &dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const int n = int(ReadFrames(dir).size());
    EXPECT_GE(n, 20); // it outlived the input
    EXPECT_LE(n, 21); // and went with the parent at 2 s

    const RunResult noParent = RunSaver(Saver("Hi"), {"--stop-after=1", "/p"});
    EXPECT_NE(noParent.status, 0);
    EXPECT_EQ(Lines(noParent.err), 1) << noParent.err;
}

TEST_F(SaverRun, ConfigurationAnswersStoreTheSpeed)
{
    const fs::path saver = Saver("Hi");
    const fs::path ini = m_config / "Korvel Screen Savers" / (saver.filename().string() + ".ini");
    struct Case {
        const char* answer;
        const char* stored;
    };
    for (const Case& c : {Case{"cancel", nullptr}, Case{"ok:57", "8"}, Case{"ok:1", "64"}, Case{"ok:64", "1"},
                          Case{"cancel", "1"}}) {
        const RunResult r = RunSaver(saver, {std::string("--config-answer=") + c.answer, "/c"});
        EXPECT_EQ(r.status, 0) << c.answer << ": " << r.err;
        EXPECT_EQ(r.out + r.err, "") << c.answer;
        if (!c.stored) {
            EXPECT_FALSE(fs::exists(ini)) << c.answer;
            continue;
        }
        EXPECT_EQ(ReadText(ini), std::string("[MOSVIK]\nSpeed=") + c.stored + "\n") << c.answer;
    }
    // No answer given: cancel.
    const RunResult r = RunSaver(saver, {"x"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadText(ini), "[MOSVIK]\nSpeed=1\n");
}

TEST_F(SaverRun, EmptyOrStockMessageSkipsTheMessageScreen)
{
    // One cycle of the default picture at 320x240 takes about 25 s to reach
    // its message screen; 32 s covers it.
    auto showsMessage = [&](const std::string& message) {
        fs::path dir;
        const RunResult r = RunSaver(Saver(message), {"--stop-after=32", "--fps=2", "/s"}, {}, &dir);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::vector<Frame> frames = ReadFrames(dir);
        EXPECT_EQ(frames.size(), 64u);
        return std::any_of(frames.begin(), frames.end(), [](const Frame& f) { return HasColour(f, kMagenta); });
    };
    EXPECT_TRUE(showsMessage("Hi"));
    EXPECT_FALSE(showsMessage(""));
    EXPECT_FALSE(showsMessage("\"Your message here.\""));
}

TEST_F(SaverRun, SameOptionsGiveTheSameFrames)
{
    auto run = [&](const std::string& clock, fs::path& frames) {
        const RunResult r = RunSaver(Saver("Hi"), {"--clock=" + clock, "--stop-after=4", "--record=run.webp", "/s"},
                                     "3.5 mousemove 1 1\n", &frames);
        EXPECT_EQ(r.status, 0) << r.err;
        return ReadText(frames.parent_path() / "run.webp");
    };
    fs::path a, b, c;
    const std::string webpA = run("1000000000", a), webpB = run("1000000000", b);
    run("1000000077", c);
    ASSERT_EQ(webpA.substr(0, 4), "RIFF");
    EXPECT_EQ(webpA.substr(8, 4), "WEBP");
    EXPECT_NE(webpA.find("ANIM"), std::string::npos);
    EXPECT_EQ(webpA, webpB);
    const std::vector<Frame> fa = ReadFrames(a), fb = ReadFrames(b), fc = ReadFrames(c);
    ASSERT_EQ(fa.size(), 40u);
    EXPECT_TRUE(fa == fb);
    EXPECT_FALSE(fa == fc); // another calendar time seeds another board
}

TEST_F(SaverRun, BadArgumentsEndWithOneLineOnStderr)
{
    const RunResult badInput = RunSaver(Saver("Hi"), {"--stop-after=1", "/s"}, "0.5 keydown\n0.6 wiggle\n");
    EXPECT_EQ(badInput.status, 2);
    EXPECT_EQ(Lines(badInput.err), 1);
    EXPECT_NE(badInput.err.find("line 2"), std::string::npos) << badInput.err;

    const RunResult badOption = RunSaver(Saver("Hi"), {"--fps=0", "/s"});
    EXPECT_EQ(badOption.status, 2);
    EXPECT_EQ(Lines(badOption.err), 1) << badOption.err;

    // The bare executable carries no document.
    const RunResult bare = RunSaver(fs::path(MOSVIK_BINARY_DIR) / "mosvik", {"--stop-after=1", "/s"});
    EXPECT_NE(bare.status, 0);
    EXPECT_EQ(Lines(bare.err), 1) << bare.err;
}

TEST_F(SaverRun, SigtermEndsTheSaverWithinATenthOfASecondAtAnyMoment)
{
    // A full-HD show runs its virtual minute in a few seconds of real time:
    // 20 moments over its first two seconds fall into start-up, board
    // cutting, transitions, board steps and pauses.
    const fs::path saver = Saver("Hi");
    for (int i = 0; i < 20; ++i) {
        const int at = i * 97;
        const fs::path dir = NewDir("term");
        const RunResult r =
            RunProcess({saver.string(), "--headless=1920x1080", "--stop-after=600", "/s"},
                       {"XDG_CONFIG_HOME=" + m_config.string()}, dir, 60, at);
        EXPECT_EQ(r.status, 0) << "SIGTERM at " << at << " ms: " << r.err;
        EXPECT_LT(r.stopMs, 100.0) << "SIGTERM at " << at << " ms";
        EXPECT_GE(r.stopMs, 0.0);
    }
}

} // namespace
