// The headless backend's virtual clock and what rides on it: tick reads,
// sleeps and refreshes, display samples, scripted input, the stop time and
// the scripted configuration dialog.
#include "headless_fixture.h"

#include "raster/surface.h"
#include "resources/resource.h"

namespace {

const RECT kRect{0, 0, 100, 80};

TEST_F(HeadlessTest, ClockMovesOnlyWhenTheApplicationWaits)
{
    HeadlessOptions o = Options();
    o.clockStart = 1234;
    CHeadlessPlatform& p = Make(o);
    EXPECT_EQ(p.GetTime(), 1234);
    EXPECT_EQ(p.GetTickCount(), 0u);
    EXPECT_EQ(p.GetTickCount(), 1u); // every read moves it one millisecond
    p.Sleep(998);
    EXPECT_EQ(p.GetTime(), 1235);
    EXPECT_EQ(p.GetTickCount(), 1000u);

    // Refreshes keep their exact fraction: 60 of them are one second.
    const std::int64_t before = p.Clock().Now();
    for (int i = 0; i < 3; ++i)
        p.WaitForRefresh(nullptr);
    EXPECT_EQ(p.Clock().Now() - before, 50 * kMs);
    for (int i = 0; i < 57; ++i)
        p.WaitForRefresh(nullptr);
    EXPECT_EQ(p.Clock().Now() - before, 1000 * kMs);
}

TEST_F(HeadlessTest, SamplesShowTheDisplayAsItWasWhenTheClockPassedThem)
{
    std::vector<CCaptureSink::Sample> samples;
    CHeadlessPlatform& p = Make(); // 10 samples a second
    p.AddFrameSink(std::make_unique<CCaptureSink>(&samples));
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP | WS_VISIBLE, kRect, nullptr));
    CSurface* s = p.GetWindowSurface(wnd.m_hWnd);
    s->Fill(0xFF0000);
    p.Sleep(250); // passes 0, 100 and 200 ms
    s->Fill(0x0000FF);
    p.Sleep(100); // passes 300 ms
    ASSERT_EQ(samples.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(samples[i].index, i);
        EXPECT_EQ(samples[i].ms, 100 * i);
        EXPECT_EQ(samples[i].pixel, 0xFF0000u);
    }
    EXPECT_EQ(samples[3].pixel, 0x0000FFu);
    EXPECT_EQ(p.SamplesTaken(), 4);
}

TEST_F(HeadlessTest, DisplayPlacesChildWindowsAndHidesInvisibleOnes)
{
    CHeadlessPlatform& p = Make(Options(40, 30));
    std::vector<LoggedMsg> log;
    CLogWnd top(&log), child(&log), hidden(&log);
    ASSERT_TRUE(top.CreateEx(0, WS_POPUP | WS_VISIBLE, RECT{0, 0, 40, 30}, nullptr));
    ASSERT_TRUE(child.CreateEx(0, WS_CHILD | WS_VISIBLE, RECT{30, 20, 50, 40}, top.m_hWnd));
    ASSERT_TRUE(hidden.CreateEx(0, WS_POPUP, RECT{0, 0, 40, 30}, nullptr));
    p.GetWindowSurface(top.m_hWnd)->Fill(0x111111);
    p.GetWindowSurface(child.m_hWnd)->Fill(0x222222);
    p.GetWindowSurface(hidden.m_hWnd)->Fill(0x333333);
    const CSurface& d = p.ComposeDisplay();
    EXPECT_EQ(d.Pixel(29, 19), 0x111111u);
    EXPECT_EQ(d.Pixel(30, 20), 0x222222u);
    EXPECT_EQ(d.Pixel(39, 29), 0x222222u); // clipped at the display's edge
    child.DestroyWindow(); // one window over the display is shown as it is
    EXPECT_EQ(&p.ComposeDisplay(), p.GetWindowSurface(top.m_hWnd));
}

TEST_F(HeadlessTest, InputIsPostedWhenTheClockPassesItsTime)
{
    CHeadlessPlatform& p = Make(Options(), {Event(0.25, InputKind::KeyDown), Event(0.3, InputKind::MouseMove, 30, 40),
                                            Event(0.3, InputKind::LButtonDown), Event(0.4, InputKind::Deactivate)});
    std::vector<LoggedMsg> log;
    CLogWnd top(&log), child(&log);
    ASSERT_TRUE(top.CreateEx(0, WS_POPUP, kRect, nullptr));
    ASSERT_TRUE(child.CreateEx(0, WS_CHILD, RECT{10, 20, 60, 70}, top.m_hWnd));
    MSG msg;
    p.Sleep(249);
    EXPECT_FALSE(p.PeekMessage(&msg));
    p.Sleep(1);
    ASSERT_TRUE(p.PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(msg.hwnd, child.m_hWnd); // the newest window takes input

    // GetMessage waits for the next event; coordinates become the window's.
    ASSERT_TRUE(p.GetMessage(&msg));
    EXPECT_EQ(p.Clock().Now(), 300 * kMs);
    EXPECT_EQ(msg.message, WM_MOUSEMOVE);
    EXPECT_EQ(msg.lParam, MAKELPARAM(20, 20));
    ASSERT_TRUE(p.GetMessage(&msg));
    EXPECT_EQ(msg.message, WM_LBUTTONDOWN);
    EXPECT_EQ(msg.lParam, MAKELPARAM(20, 20));

    std::vector<UINT> deactivation;
    for (int i = 0; i < 3 && p.GetMessage(&msg); ++i) {
        deactivation.push_back(msg.message);
        EXPECT_EQ(msg.wParam, 0u);
    }
    EXPECT_EQ(deactivation, (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP}));
}

TEST_F(HeadlessTest, StopTimeEndsTheRunWithStatusZero)
{
    EXPECT_EXIT(
        {
            HeadlessOptions o = Options();
            o.stopAfter = 2000 * kMs;
            CHeadlessPlatform& p = Make(o);
            p.Sleep(1999);
            p.Sleep(1);
            std::exit(7); // not reached
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(HeadlessTest, WaitingForNothingIsAnError)
{
    EXPECT_EXIT(
        {
            CHeadlessPlatform& p = Make();
            MSG msg;
            p.GetMessage(&msg);
        },
        ::testing::ExitedWithCode(1), "waits for nothing");
}

// A dialog with one slider, as the configuration dialog has.
class CSliderDlg : public CDialog {
public:
    CSliderDlg() : CDialog(IDD_CONFIG) {}
    void BindControl(UINT nID, ISliderPeer* peer) override
    {
        if (nID == IDC_SPEED)
            m_slider.Attach(peer);
    }
    BOOL OnInitDialog() override
    {
        m_slider.SetRange(1, 64);
        m_slider.SetPos(57);
        m_nInitPos = m_slider.GetPos();
        return TRUE;
    }
    void OnOK() override
    {
        m_nOkPos = m_slider.GetPos();
        CDialog::OnOK();
    }
    CSliderCtrl m_slider;
    int m_nInitPos = -1, m_nOkPos = -1;
};

TEST_F(HeadlessTest, DialogIsAnsweredFromTheOptions)
{
    HeadlessOptions o = Options();
    o.configOk = true;
    o.configPosition = 3;
    {
        CSliderDlg dlg;
        EXPECT_EQ(Make(o).RunDialog(dlg, IDD_CONFIG), IDOK);
        EXPECT_EQ(dlg.m_nInitPos, 57);
        EXPECT_EQ(dlg.m_nOkPos, 3);
    }
    o.configPosition = 500; // a trackbar cannot go past its end
    {
        CSliderDlg dlg;
        EXPECT_EQ(Make(o).RunDialog(dlg, IDD_CONFIG), IDOK);
        EXPECT_EQ(dlg.m_nOkPos, 64);
    }
    {
        CSliderDlg dlg;
        EXPECT_EQ(Make().RunDialog(dlg, IDD_CONFIG), IDCANCEL); // no answer: cancel
        EXPECT_EQ(dlg.m_nOkPos, -1);
    }
}

} // namespace
