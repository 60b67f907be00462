// The saver windows' creation and message handlers: what each message does
// to the window, the timer and the process, and that the per-message guard
// absorbs the user interrupt raised outside a show cycle.
#include "app_fixture.h"

#include "raster/dc.h"

namespace {
class WindowTest : public AppTest {
protected:
    CFullScreenWnd* MakeFullScreen()
    {
        auto* pWnd = new CFullScreenWnd(TRUE);
        EXPECT_TRUE(pWnd->CreateFullScreen());
        fake.defaults.clear();
        return pWnd;
    }
    LRESULT Send(CWnd* pWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return pWnd->OnMessageGuarded(pWnd->m_hWnd, message, wParam, lParam);
    }
};

// A saver window that reports its own deletion.
class ProbeWnd : public CSaverWnd {
public:
    ProbeWnd(BOOL bAutoDelete, bool* pDeleted) : CSaverWnd(bAutoDelete), m_pDeleted(pDeleted) {}
    ~ProbeWnd() override { *m_pDeleted = true; }

private:
    bool* m_pDeleted;
};
} // namespace

TEST_F(WindowTest, FullScreenCoversTheScreenAndArmsTheCycleTimer)
{
    fake.screen = SIZE{1024, 768};
    CFullScreenWnd* pWnd = MakeFullScreen();
    ASSERT_EQ(fake.createCalls.size(), 1u);
    EXPECT_EQ(fake.createCalls[0].style, WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(fake.createCalls[0].parent, nullptr);
    EXPECT_EQ(fake.createCalls[0].rc, (RECT{0, 0, 1024, 768}));
    EXPECT_EQ(GetSaverApp().m_pSaverWnd, pWnd);
    EXPECT_FALSE(GetSaverApp().m_strWndClass.empty());
    ASSERT_TRUE(fake.HasTimer(pWnd->m_hWnd, 1));
    EXPECT_EQ(fake.timers.at({pWnd->m_hWnd, 1}).elapse, 500u);
    EXPECT_EQ(fake.timers.at({pWnd->m_hWnd, 1}).proc, nullptr);
}

TEST_F(WindowTest, PaintTurnsTheClientAreaWhite)
{
    CSaverWnd* pWnd = MakeSaverWnd(30, 20);
    fake.SurfaceOf(pWnd->m_hWnd).Fill(0x102030);
    Send(pWnd, WM_PAINT);
    const CSurface& s = fake.SurfaceOf(pWnd->m_hWnd);
    EXPECT_EQ(s.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(s.Pixel(29, 19), 0xFFFFFFu);
    ASSERT_FALSE(fake.presents.empty());
    EXPECT_EQ(fake.presents.back().second, (RECT{0, 0, 30, 20}));
}

TEST_F(WindowTest, OtherTimersLeaveTheWindowAlone)
{
    CSaverWnd* pWnd = MakeSaverWnd(30, 20);
    fake.SurfaceOf(pWnd->m_hWnd).Fill(0x102030);
    Send(pWnd, WM_TIMER, 7);
    Send(pWnd, WM_TIMER, 13);
    EXPECT_TRUE(fake.presents.empty());
    EXPECT_TRUE(fake.timerKills.empty());
    EXPECT_TRUE(fake.HasTimer(pWnd->m_hWnd, 1));
}

TEST_F(WindowTest, DestroyingEitherWindowEndsTheProcessWithStatusZero)
{
    CSaverWnd* pPreview = MakeSaverWnd(30, 20);
    try {
        pPreview->DestroyWindow();
        FAIL() << "no exit";
    } catch (const FakeExit& e) {
        EXPECT_EQ(e.status, 0);
    }
    CFullScreenWnd* pFull = MakeFullScreen();
    try {
        pFull->DestroyWindow();
        FAIL() << "no exit";
    } catch (const FakeExit& e) {
        EXPECT_EQ(e.status, 0);
    }
}

TEST_F(WindowTest, ScreenSaveAndCloseCommandsDoNothing)
{
    CFullScreenWnd* pWnd = MakeFullScreen();
    Send(pWnd, WM_SYSCOMMAND, SC_SCREENSAVE);
    Send(pWnd, WM_SYSCOMMAND, SC_CLOSE);
    Send(pWnd, WM_SYSCOMMAND, SC_CLOSE | 2); // the low bits are the system's own
    EXPECT_TRUE(fake.defaults.empty());
    Send(pWnd, WM_SYSCOMMAND, 0xF020); // minimise: default processing
    EXPECT_EQ(fake.defaults, std::vector<UINT>{WM_SYSCOMMAND});
}

TEST_F(WindowTest, FullScreenHidesThePointerAndRefusesDeactivation)
{
    CFullScreenWnd* pWnd = MakeFullScreen();
    EXPECT_EQ(Send(pWnd, WM_SETCURSOR), TRUE);
    EXPECT_EQ(Send(pWnd, WM_NCACTIVATE, 0), FALSE);
    EXPECT_TRUE(fake.defaults.empty());
    Send(pWnd, WM_NCACTIVATE, 1);
    Send(pWnd, WM_ACTIVATE, 1);
    Send(pWnd, WM_ACTIVATEAPP, 1);
    EXPECT_EQ(fake.defaults, (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP}));
}

TEST_F(WindowTest, InputOutsideACycleIsAbsorbedAndTheSaverGoesOn)
{
    CFullScreenWnd* pWnd = MakeFullScreen();
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN}) {
        EXPECT_EQ(Send(pWnd, message), 0);
    }
    Send(pWnd, WM_ACTIVATE, WA_INACTIVE);
    Send(pWnd, WM_ACTIVATEAPP, 0);
    // Each raised the interrupt before its default processing.
    EXPECT_TRUE(fake.defaults.empty());
    EXPECT_TRUE(fake.exitStatuses.empty());
    EXPECT_TRUE(fake.destroyed.empty());
    EXPECT_TRUE(pWnd->IsWindow());
}

TEST_F(WindowTest, WindowMouseRuleStartsAfreshWithEveryFullScreenWindow)
{
    for (int round = 0; round < 2; ++round) {
        const int o = 500 * round; // far from the last window's reference
        CFullScreenWnd* pWnd = MakeFullScreen();
        Send(pWnd, WM_MOUSEMOVE, 0, MAKELPARAM(50 + o, 50 + o)); // the reference
        Send(pWnd, WM_MOUSEMOVE, 0, MAKELPARAM(1000, 52 + o));    // one axis only
        EXPECT_EQ(fake.defaults.size(), 2u);
        Send(pWnd, WM_MOUSEMOVE, 0, MAKELPARAM(57 + o, 57 + o)); // both axes: raised, no default
        EXPECT_EQ(fake.defaults.size(), 2u);
        fake.defaults.clear();
    }
}

TEST_F(WindowTest, PreviewIgnoresInput)
{
    CSaverWnd* pWnd = MakeSaverWnd(30, 20);
    fake.defaults.clear();
    for (UINT message : {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_ACTIVATE, WM_SYSCOMMAND})
        Send(pWnd, message, 0, MAKELPARAM(900, 900));
    EXPECT_EQ(fake.defaults.size(), 6u);
}

TEST_F(WindowTest, WindowObjectDeletesItselfOnlyWhenAskedTo)
{
    bool deleted = false;
    auto* pAuto = new ProbeWnd(TRUE, &deleted);
    ASSERT_TRUE(pAuto->CreateSaver(0, WS_CHILD, RECT{0, 0, 10, 10}, nullptr));
    pAuto->OnMessageGuarded(pAuto->m_hWnd, WM_NCDESTROY, 0, 0);
    EXPECT_TRUE(deleted);

    bool kept = false;
    {
        ProbeWnd stay(FALSE, &kept);
        ASSERT_TRUE(stay.CreateSaver(0, WS_CHILD, RECT{0, 0, 10, 10}, nullptr));
        stay.OnMessageGuarded(stay.m_hWnd, WM_NCDESTROY, 0, 0);
        EXPECT_FALSE(kept);
    }
    EXPECT_TRUE(kept);
}
