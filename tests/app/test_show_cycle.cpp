// Whole show cycles on a small board: the screens and pauses in order, the
// message screen only for an author's message, the timer stopped and armed
// again, board steps paced to the display, and user input ending the
// process through the main window's destruction; and every frame of two
// whole cycles against checksums kept as golden data.
#include "app_fixture.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {
class ShowCycleTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        fake.screen = SIZE{160, 120};
        wnd = new CFullScreenWnd(TRUE);
        ASSERT_TRUE(wnd->CreateFullScreen());
        GetSaverApp().m_pMainWnd = wnd;
        fake.timerKills.clear();
        fake.timerSets.clear();
    }
    void RunCycle() { wnd->OnMessageGuarded(wnd->m_hWnd, WM_TIMER, 1, 0); }

    CFullScreenWnd* wnd = nullptr;
};
} // namespace

TEST_F(ShowCycleTest, CycleEndsOnThePictureAndArmsTheTimerAgain)
{
    RunCycle();
    ASSERT_FALSE(fake.timerKills.empty());
    EXPECT_EQ(fake.timerKills.front(), 1u);
    EXPECT_TRUE(fake.HasTimer(wnd->m_hWnd, 1));
    EXPECT_EQ(fake.timers.at({wnd->m_hWnd, 1}).elapse, 500u);
    EXPECT_EQ(fake.TotalSleep(), 10000u); // two pauses of 5 s
    EXPECT_TRUE(fake.text.rendered.empty());
    // The picture at three quarters of 160 x 120: (20, 15) to (140, 105).
    const CSurface& s = fake.SurfaceOf(wnd->m_hWnd);
    EXPECT_EQ(s.Pixel(20, 15), 0x202020u);
    EXPECT_EQ(s.Pixel(139, 104), 0x202020u);
    EXPECT_EQ(GetSaverApp().m_board.m_nRows * GetSaverApp().m_board.m_nCols,
              GetSaverApp().m_board.m_pieces.GetCount());
    EXPECT_TRUE(fake.exitStatuses.empty());
}

TEST_F(ShowCycleTest, AuthorsMessageAddsItsScreenAndPause)
{
    GetSaverApp().m_doc.m_message.text = "Hello";
    RunCycle();
    EXPECT_EQ(fake.TotalSleep(), 15000u);
    ASSERT_EQ(fake.text.renderedText.size(), 1u);
    EXPECT_EQ(fake.text.renderedText[0], "Hello");

    // The stock text is no message.
    fake.sleeps.clear();
    fake.text.renderedText.clear();
    GetSaverApp().m_doc.m_message.text = MOSVIK_STOCK_TEXT;
    RunCycle();
    EXPECT_EQ(fake.TotalSleep(), 10000u);
    EXPECT_TRUE(fake.text.renderedText.empty());
}

TEST_F(ShowCycleTest, BoardStepsWaitForTheDisplayBeforeTheyAreShown)
{
    RunCycle();
    ASSERT_FALSE(fake.refreshWaits.empty());
    for (const auto& [hwnd, before] : fake.refreshWaits) {
        EXPECT_EQ(hwnd, wnd->m_hWnd);
        ASSERT_LT(before, fake.presents.size()); // a presentation follows each wait
    }
}

TEST_F(ShowCycleTest, InputDuringTheCycleEndsTheProcessWithStatusZero)
{
    fake.Post(nullptr, WM_KEYDOWN);
    try {
        RunCycle();
        FAIL() << "the process did not end";
    } catch (const FakeExit& e) {
        EXPECT_EQ(e.status, 0);
    }
    EXPECT_EQ(fake.destroyed, std::vector<HWND>{wnd->m_hWnd});
    EXPECT_FALSE(fake.HasTimer(wnd->m_hWnd, 1));
    EXPECT_TRUE(fake.sleeps.empty()); // it ended inside the assembling
}

TEST_F(ShowCycleTest, InputDuringAPauseEndsItToo)
{
    fake.onSleep = [this] {
        if (fake.sleeps.size() == 3)
            fake.Post(nullptr, WM_LBUTTONDOWN);
    };
    EXPECT_THROW(RunCycle(), FakeExit);
    EXPECT_EQ(fake.sleeps.size(), 3u);
    EXPECT_EQ(fake.destroyed, std::vector<HWND>{wnd->m_hWnd});
}

TEST_F(ShowCycleTest, PreviewDispatchesInputAndGoesOn)
{
    GetSaverApp().m_bPreview = TRUE;
    fake.Post(wnd->m_hWnd, WM_MBUTTONDOWN);
    fake.Post(wnd->m_hWnd, WM_PAINT);
    RunCycle();
    EXPECT_TRUE(fake.exitStatuses.empty());
    EXPECT_EQ(fake.dispatched, (std::vector<UINT>{WM_MBUTTONDOWN, WM_PAINT}));
    EXPECT_TRUE(fake.HasTimer(wnd->m_hWnd, 1));
}

namespace {
// FNV-1a over the pixels of the window's surface.
std::uint64_t Checksum(const CSurface& s)
{
    std::uint64_t h = 14695981039346656037ull;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            h = (h ^ s.Pixel(x, y)) * 1099511628211ull;
    return h;
}

// The application's board host, with a checksum of the window taken after
// every board step has been shown.
class CFrameRecorder : public IBoardHost {
public:
    CFrameRecorder(const CSurface& window, std::vector<std::uint64_t>& frames) : m_window(window), m_frames(frames) {}
    RECT GetClientRect() override { return SaverBoardHost().GetClientRect(); }
    int GetSpeed() override { return SaverBoardHost().GetSpeed(); }
    void RedrawBoard() override
    {
        SaverBoardHost().RedrawBoard();
        m_frames.push_back(Checksum(m_window));
    }
    void PumpMessages() override { SaverBoardHost().PumpMessages(); }
    void SetRefineTimer() override { SaverBoardHost().SetRefineTimer(); }
    void KillRefineTimer() override { SaverBoardHost().KillRefineTimer(); }

private:
    const CSurface& m_window;
    std::vector<std::uint64_t>& m_frames;
};
} // namespace

// Any change to how the board is composed or shown must leave every frame
// as it was: the checksums were taken before the composition was made
// faster. MOSVIK_UPDATE_GOLDEN=1 writes them anew (only for a deliberate
// change of the pictures). The screen is the other tests' size: the scene
// bitmap of the show keeps the first size it was made at.
TEST_F(ShowCycleTest, EveryFrameOfTwoWholeCyclesMatchesItsGoldenChecksum)
{
    // A picture with structure in every direction and every channel.
    CJigsawDoc& doc = GetSaverApp().m_doc;
    SetPicture(400, 300, 0);
    for (LONG y = 0; y < 300; ++y)
        for (LONG x = 0; x < 400; ++x) {
            BYTE* p = doc.m_pBits.get() + std::size_t(y) * PictureStride(400) + std::size_t(x) * 3;
            p[0] = BYTE(x ^ y);
            p[1] = BYTE(x * 3);
            p[2] = BYTE(y * 5 + x / 7);
        }
    std::vector<std::uint64_t> frames;
    CFrameRecorder recorder(fake.SurfaceOf(wnd->m_hWnd), frames);
    GetSaverApp().m_board.SetHost(&recorder);
    for (std::int64_t start : {1000000000, 1000000777}) {
        fake.now = start;
        RunCycle();
        frames.push_back(Checksum(fake.SurfaceOf(wnd->m_hWnd))); // the picture screen
    }
    GetSaverApp().m_board.SetHost(&SaverBoardHost());

    const std::string path = MOSVIK_TEST_DATA "/show_cycle_frames.txt";
    if (const char* update = std::getenv("MOSVIK_UPDATE_GOLDEN"); update && *update == '1') {
        std::ofstream out(path);
        for (std::uint64_t f : frames)
            out << std::hex << f << "\n";
    }
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    std::vector<std::uint64_t> golden;
    for (std::string line; std::getline(in, line);)
        golden.push_back(std::stoull(line, nullptr, 16));
    ASSERT_GT(golden.size(), 100u); // a real show, not a handful of frames
    EXPECT_EQ(frames.size(), golden.size());
    for (std::size_t i = 0; i < std::min(frames.size(), golden.size()); ++i)
        ASSERT_EQ(frames[i], golden[i]) << "first differing frame: " << i;
}

TEST_F(ShowCycleTest, ASceneThatGrewIsRevealedWhole)
{
    RunCycle(); // the scene is made at 160 x 120 (if no test made it before)
    FakePlatform::Window& w = fake.windows.at(wnd->m_hWnd);
    w.rc = RECT{0, 0, 320, 240};
    w.surface = std::make_unique<CSurface>(320, 240);

    // The background alone, to tell the revealed board from it.
    CSurface plain(320, 240);
    CDC plainDC;
    plainDC.AttachSurface(&plain);
    RECT all{0, 0, 320, 240};
    wnd->TileBackground(&plainDC, &all);

    // When the first piece is about to move, the scattered board has been
    // revealed: the part beyond the first size is no longer plain background.
    bool boardBeyond = false, looked = false;
    fake.onRefresh = [&] {
        if (looked)
            return;
        looked = true;
        const CSurface& s = fake.SurfaceOf(wnd->m_hWnd);
        for (int y = 0; y < 240; ++y)
            for (int x = 160; x < 320; ++x)
                boardBeyond = boardBeyond || s.Pixel(x, y) != plain.Pixel(x, y);
    };
    RunCycle();
    EXPECT_TRUE(looked);
    EXPECT_TRUE(boardBeyond);
}
