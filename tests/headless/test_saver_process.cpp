// The whole saver run headless from the command line: timing of the first
// board, the input rules of the full-screen saver, the preview, the
// configuration answers, the message screen, reproducibility and a
// desktop of several monitors.
// Frames are sampled at 10 per second unless a test says otherwise, so a
// run that ends at T seconds leaves about 10 T frames.
#include "process_fixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include <png.h>
#include <sys/stat.h>
#include <turbojpeg.h>

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

TEST_F(SaverRun, ConfigurationAnswersStoreTheSettings)
{
    const fs::path saver = Saver("Hi");
    const fs::path ini = m_config / "Korvel Screen Savers" / (saver.filename().string() + ".ini");
    const std::string rest = "PictureSubfolders=1\nPictureCaption=0\n";
    struct Case {
        const char* answer;
        const char* stored; // the settings after it, the pictures' numbers aside
    };
    for (const Case& c : {Case{"cancel", nullptr}, Case{"ok:57", "Speed=8\n"}, Case{"ok:1", "Speed=64\n"},
                          Case{"ok:64", "Speed=1\n"},
                          Case{"ok:64:/srv/My Photos: 2024", "Speed=1\nPictureFolder=/srv/My Photos: 2024\n"},
                          Case{"cancel", "Speed=1\nPictureFolder=/srv/My Photos: 2024\n"},
                          Case{"ok:64:", "Speed=1\nPictureFolder=\n"}}) { // the own picture, chosen
        const RunResult r = RunSaver(saver, {std::string("--config-answer=") + c.answer, "/c"});
        EXPECT_EQ(r.status, 0) << c.answer << ": " << r.err;
        EXPECT_EQ(r.out + r.err, "") << c.answer;
        if (!c.stored) {
            EXPECT_FALSE(fs::exists(ini)) << c.answer;
            continue;
        }
        std::string text = ReadText(ini);
        const std::size_t at = text.find(rest);
        ASSERT_NE(at, std::string::npos) << c.answer << ": " << text;
        EXPECT_EQ(text.erase(at, rest.size()), std::string("[MOSVIK]\n") + c.stored) << c.answer;
    }
    // No answer given: cancel.
    const std::string before = ReadText(ini);
    const RunResult r = RunSaver(saver, {"x"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadText(ini), before);
}

TEST_F(SaverRun, EmptyOrStockMessageSkipsTheMessageScreen)
{
    // One cycle of the default picture at 320x240 takes about 25 s to reach
    // its message screen; 32 s covers it.
    auto showsMessage = [&](const std::string& message, const std::string& option) {
        fs::path dir;
        std::vector<std::string> args = {"--stop-after=32", "--fps=2", "/s"};
        if (!option.empty())
            args.insert(args.begin(), option);
        const RunResult r = RunSaver(Saver(message), args, {}, &dir);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::vector<Frame> frames = ReadFrames(dir);
        EXPECT_EQ(frames.size(), 64u);
        return std::any_of(frames.begin(), frames.end(), [](const Frame& f) { return HasColour(f, kMagenta); });
    };
    // The saver's own message options replace the fields they give and
    // leave the others as the saver carries them.
    const struct { const char* message; const char* option; bool magenta; } cases[] = {
        {"Hi", "", true},
        {"", "", false},
        {"\"Your message here.\"", "", false},
        {"", "--message=Hi", true},
        {"Hi", "--color=#00FF00", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(showsMessage(c.message, c.option), c.magenta) << "\"" << c.message << "\" " << c.option;
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

Frame Crop(const Frame& f, int x, int y, int w, int h)
{
    Frame c{w, h, {}};
    for (int row = y; row < y + h; ++row)
        c.pixels.insert(c.pixels.end(), f.pixels.begin() + row * f.width + x, f.pixels.begin() + row * f.width + x + w);
    return c;
}

TEST_F(SaverRun, EveryMonitorRunsItsOwnShowAndInputOnAnyEndsThemAll)
{
    // 320x240 and, 10 pixels to its right and 60 lower, 200x150: a desktop
    // of 530x240. Each monitor shows what a saver of its size alone shows,
    // the second with its clock a day on (its own seed); the rest is black.
    const std::string layout = "--headless=320x240,200x150+330+60";
    fs::path both, first, second;
    RunResult r = RunSaver(Saver("Hi"), {layout, "--fps=2", "--stop-after=6", "/s"}, {}, &both);
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunSaver(Saver("Hi"), {"--fps=2", "--stop-after=6", "/s"}, {}, &first);
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunSaver(Saver("Hi"), {"--headless=200x150", "--clock=1000086400", "--fps=2", "--stop-after=6", "/s"}, {},
                 &second);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Frame> fb = ReadFrames(both), f1 = ReadFrames(first), f2 = ReadFrames(second);
    ASSERT_EQ(fb.size(), 12u);
    ASSERT_EQ(f1.size(), 12u);
    ASSERT_EQ(f2.size(), 12u);
    for (std::size_t i = 0; i < fb.size(); ++i) {
        ASSERT_EQ(fb[i].width, 530);
        EXPECT_TRUE(Crop(fb[i], 0, 0, 320, 240) == f1[i]) << "frame " << i;
        EXPECT_TRUE(Crop(fb[i], 330, 60, 200, 150) == f2[i]) << "frame " << i;
        EXPECT_TRUE(AllOf(Crop(fb[i], 320, 0, 10, 240), 0) && AllOf(Crop(fb[i], 330, 0, 200, 60), 0));
    }

    // The pointer over the second monitor, a key (the first has the focus):
    // either ends every show with status 0 and the samples end there.
    for (const char* input : {"1.0 mousemove 400 100\n1.5 mousemove 406 94\n", "1.5 keydown\n"}) {
        r = RunSaver(Saver("Hi"), {layout, "--stop-after=6", "/s"}, input, &both);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::size_t n = ReadFrames(both).size();
        EXPECT_GE(n, 15u) << input;
        EXPECT_LE(n, 17u) << input;
    }
}

TEST_F(SaverRun, BadArgumentsEndWithOneLineOnStderr)
{
    const RunResult badInput = RunSaver(Saver("Hi"), {"--stop-after=1", "/s"}, "0.5 keydown\n0.6 wiggle\n");
    EXPECT_EQ(badInput.status, 2);
    EXPECT_EQ(Lines(badInput.err), 1);
    EXPECT_NE(badInput.err.find("line 2"), std::string::npos) << badInput.err;
    const RunResult badOnTwo =
        RunSaver(Saver("Hi"), {"--headless=64x48,64x48+64+0", "--stop-after=1", "/s"}, "0.6 wiggle\n");
    EXPECT_EQ(badOnTwo.status, 2);
    EXPECT_EQ(Lines(badOnTwo.err), 1) << badOnTwo.err;

    const RunResult badOption = RunSaver(Saver("Hi"), {"--fps=0", "/s"});
    EXPECT_EQ(badOption.status, 2);
    EXPECT_EQ(Lines(badOption.err), 1) << badOption.err;

    const RunResult inputDir = RunSaver(Saver("Hi"), {"--input=.", "--stop-after=1", "/s"});
    EXPECT_EQ(inputDir.status, 2);
    EXPECT_NE(inputDir.err.find("cannot read input file .: it is a directory"), std::string::npos) << inputDir.err;

    for (const std::string& bad : {std::string("--picture=."), "--picture-dir=" + Saver("Hi").string()}) {
        const RunResult r = RunSaver(Saver("Hi"), {bad, "/s"});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(Lines(r.err), 1) << r.err;
    }

    // The bare executable carries no document.
    const RunResult bare = RunSaver(fs::path(MOSVIK_BINARY_DIR) / "mosvik", {"--stop-after=1", "/s"});
    EXPECT_NE(bare.status, 0);
    EXPECT_EQ(Lines(bare.err), 1) << bare.err;
}

TEST_F(SaverRun, OutputsReplaceOnlyTheirOwnRegularFilesAndFailAtStart)
{
    const fs::path d = NewDir("targets");
    std::ofstream(d / "victim") << "precious";
    std::ofstream(d / "file") << "a file, not a folder";
    fs::create_symlink(d / "victim", d / "link.webp");
    fs::create_symlink(d / "victim", d / "planted.webp.part"); // the name the recorder once used
    fs::create_directories(d / "folder.webp");
    ASSERT_EQ(::mkfifo((d / "fifo.webp").c_str(), 0600), 0);
    fs::create_directories(d / "frames");
    fs::create_symlink(d / "victim", d / "frames" / "frame-00003.png");
    struct Row {
        std::string option;
        int status;
        const char* needle;
    };
    const Row rows[] = {
        {"--record=" + (d / "link.webp").string(), 2, "is a symbolic link"},
        {"--record=" + (d / "fifo.webp").string(), 2, "is a FIFO"},
        {"--record=" + (d / "folder.webp").string(), 2, "is a directory"},
        {"--record=" + (d / "file" / "out.webp").string(), 2, "Not a directory"},
        {"--frames=" + (d / "file").string(), 2, "cannot make frame directory"},
        {"--frames=" + (d / "frames").string(), 1, "frame-00003.png is a symbolic link"},
        {"--record=" + (d / "planted.webp").string(), 0, ""},
    };
    for (const Row& row : rows) {
        const RunResult r = RunSaver(Saver("Hi"), {row.option, "--stop-after=1", "/s"});
        EXPECT_EQ(r.status, row.status) << row.option << ": " << r.err;
        EXPECT_EQ(Lines(r.err), row.status ? 1 : 0) << row.option << ": " << r.err;
        EXPECT_NE(r.err.find(row.needle), std::string::npos) << row.option << ": " << r.err;
        EXPECT_EQ(ReadText(d / "victim"), "precious") << row.option;
    }
    EXPECT_TRUE(fs::is_symlink(d / "link.webp"));
    EXPECT_TRUE(fs::is_fifo(d / "fifo.webp"));
    EXPECT_EQ(ReadText(d / "planted.webp").substr(0, 4), "RIFF");
}

// A 256 x 256 picture whose quadrants are red, green / blue, white as seen
// (top-down RGB rows).
std::vector<unsigned char> Quadrants()
{
    std::vector<unsigned char> rgb(256 * 256 * 3);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool right = x >= 128, bottom = y >= 128;
            unsigned char* p = &rgb[(std::size_t(y) * 256 + x) * 3];
            p[0] = right == bottom ? 255 : 0;
            p[1] = right ? 255 : 0;
            p[2] = bottom ? 255 : 0;
        }
    return rgb;
}

// The whole-picture screen at 320x240 puts a square picture at (70, 30),
// 180 x 180: true when a frame shows the quadrants there, upright.
bool ShowsQuadrantsUpright(const Frame& f)
{
    auto at = [&](int x, int y) { return f.pixels[std::size_t(y) * std::size_t(f.width) + std::size_t(x)]; };
    auto near = [](std::uint32_t p, std::uint32_t want) {
        for (int shift : {0, 8, 16})
            if (std::abs(int((p >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 40)
                return false;
        return true;
    };
    return f.width == 320 && near(at(115, 75), 0xFF0000) && near(at(205, 75), 0x00FF00) &&
           near(at(115, 165), 0x0000FF) && near(at(205, 165), 0xFFFFFF);
}

TEST_F(SaverRun, PicturesFromTheDiskAreShownUpright)
{
    const fs::path d = NewDir("pictures");
    const std::vector<unsigned char> upright = Quadrants();
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png.height = 256;
    png.format = PNG_FORMAT_RGB;
    ASSERT_TRUE(png_image_write_to_file(&png, (d / "upright.png").c_str(), 0, upright.data(), 0, nullptr));
    // Stored turned a quarter anticlockwise, tagged "turn a quarter clockwise to view".
    std::vector<unsigned char> stored(upright.size());
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            std::copy_n(&upright[(std::size_t(x) * 256 + std::size_t(255 - y)) * 3], 3,
                        &stored[(std::size_t(y) * 256 + std::size_t(x)) * 3]);
    tjhandle h = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    ASSERT_EQ(tjCompress2(h, stored.data(), 256, 0, 256, TJPF_RGB, &jpeg, &size, TJSAMP_444, 95, 0), 0);
    std::vector<unsigned char> bytes(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(h);
    const unsigned char app1[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                                  1,    0,    0x12, 0x01, 3,   0,   1,   0,   0, 0, 6,   0,   0,  0, 0, 0, 0, 0};
    bytes.insert(bytes.begin() + 2, std::begin(app1), std::end(app1));
    std::ofstream(d / "turned.jpg", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                             std::streamsize(bytes.size()));

    // The whole picture shows about 20 s into the first cycle.
    for (const char* name : {"upright.png", "turned.jpg"}) {
        fs::path frames;
        const RunResult r = RunSaver(Saver("Hi"), {"--picture=" + (d / name).string(), "--stop-after=24", "--fps=2", "/s"},
                                     {}, &frames);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::vector<Frame> shown = ReadFrames(frames);
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), ShowsQuadrantsUpright)) << name;
    }

    // A folder: the good picture is shown, the others are named and skipped.
    const fs::path folder = NewDir("folder");
    fs::copy_file(d / "upright.png", folder / "good.png");
    bytes.resize(bytes.size() / 3);
    std::ofstream(folder / "damaged.jpg", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                  std::streamsize(bytes.size()));
    std::ofstream(folder / "notes.txt") << "not a picture\n";
    fs::path frames;
    // Two cycles: by the second every file of the folder has had its turn.
    const RunResult r = RunSaver(Saver("Hi"), {"--picture-dir=" + folder.string(), "--stop-after=40", "--fps=2", "/s"},
                                 {}, &frames);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("skipped " + (folder / "damaged.jpg").string()), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("skipped " + (folder / "notes.txt").string()), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("good.png"), std::string::npos) << r.err;
    const std::vector<Frame> shown = ReadFrames(frames);
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), ShowsQuadrantsUpright));

    // An empty folder: the embedded picture, and one line saying so.
    const RunResult empty = RunSaver(Saver("Hi"), {"--picture-dir=" + NewDir("empty").string(), "--stop-after=2", "/s"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(Lines(empty.err), 1) << empty.err;
    EXPECT_NE(empty.err.find("showing the embedded one"), std::string::npos) << empty.err;
}

// A sanitized process takes longer to tear down (its shadow memory goes
// with it); what is checked there is that it ends cleanly and soon.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kStopLimitMs = 400.0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr double kStopLimitMs = 400.0;
#else
constexpr double kStopLimitMs = 100.0;
#endif
#else
constexpr double kStopLimitMs = 100.0;
#endif

TEST_F(SaverRun, SigtermEndsTheSaverWithinATenthOfASecondAtAnyMoment)
{
    // A full-HD show runs a virtual minute in about a fifth of a second, so
    // 20 moments over its first two seconds of real time fall into start-up,
    // board cutting, transitions, board steps and pauses; the show is long
    // enough never to end before its signal.
    const fs::path saver = Saver("Hi");
    for (int i = 0; i < 20; ++i) {
        const int at = i * 97;
        const fs::path dir = NewDir("term");
        const RunResult r =
            RunProcess({saver.string(), "--headless=1920x1080", "--stop-after=6000", "/s"},
                       {"XDG_CONFIG_HOME=" + m_config.string()}, dir, 60, at);
        EXPECT_EQ(r.status, 0) << "SIGTERM at " << at << " ms: " << r.err;
        EXPECT_LT(r.stopMs, kStopLimitMs) << "SIGTERM at " << at << " ms";
        EXPECT_GE(r.stopMs, 0.0);
    }
}

} // namespace
