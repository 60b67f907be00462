// The POSIX base's window and message rules, driven through the headless
// platform so that time is under the test's control.
#include "headless_fixture.h"

#include "framework/exceptions.h"

namespace {

using ::testing::ElementsAre;

const RECT kRect{0, 0, 100, 80};

TEST_F(HeadlessTest, CreateSendsWmCreateAtOnceAndQueuesTheFirstPaint)
{
    CHeadlessPlatform& p = Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP | WS_VISIBLE, kRect, nullptr));
    EXPECT_THAT(wnd.Messages(), ElementsAre(WM_CREATE)); // sent before CreateEx returned
    EXPECT_EQ(log[0].hwnd, wnd.m_hWnd);

    RECT rc{};
    ASSERT_TRUE(p.GetClientRect(wnd.m_hWnd, &rc));
    EXPECT_EQ(rc, (RECT{0, 0, 100, 80}));
    CSurface* s = p.GetWindowSurface(wnd.m_hWnd);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width(), 100);
    EXPECT_EQ(s->Height(), 80);

    MSG msg;
    ASSERT_TRUE(p.PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_PAINT);
    EXPECT_FALSE(p.PeekMessage(&msg)); // removed, nothing else queued
}

TEST_F(HeadlessTest, CreateAnsweredMinusOneFailsAndDestroysTheWindow)
{
    Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log, -1);
    EXPECT_FALSE(wnd.CreateEx(0, WS_POPUP, kRect, nullptr));
    EXPECT_THAT(wnd.Messages(), ElementsAre(WM_CREATE, WM_DESTROY, WM_NCDESTROY));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST_F(HeadlessTest, DestroyWindowSendsDestroyThenNcDestroyChildrenInside)
{
    CHeadlessPlatform& p = Make();
    std::vector<LoggedMsg> log;
    CLogWnd parent(&log), child(&log);
    ASSERT_TRUE(parent.CreateEx(0, WS_POPUP | WS_VISIBLE, kRect, nullptr));
    ASSERT_TRUE(child.CreateEx(0, WS_CHILD | WS_VISIBLE, RECT{10, 10, 50, 50}, parent.m_hWnd));
    const HWND hParent = parent.m_hWnd, hChild = child.m_hWnd;
    p.SetTimer(hChild, 5, 100, nullptr);
    log.clear();

    EXPECT_TRUE(p.DestroyWindow(hParent));
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].message, WM_DESTROY);
    EXPECT_EQ(log[0].hwnd, hParent);
    EXPECT_EQ(log[1].message, WM_DESTROY);
    EXPECT_EQ(log[1].hwnd, hChild);
    EXPECT_EQ(log[2].message, WM_NCDESTROY);
    EXPECT_EQ(log[2].hwnd, hChild);
    EXPECT_EQ(log[3].message, WM_NCDESTROY);
    EXPECT_EQ(log[3].hwnd, hParent);
    EXPECT_FALSE(p.IsWindow(hParent));
    EXPECT_FALSE(p.IsWindow(hChild));
    EXPECT_FALSE(p.DestroyWindow(hParent));

    // Their queued paints and the child's timer went with them.
    p.Sleep(1000);
    MSG msg;
    EXPECT_FALSE(p.PeekMessage(&msg));
    EXPECT_FALSE(p.KillTimer(hChild, 5));
}

TEST_F(HeadlessTest, TimerPostsOnlyWhenDueAndOnlyOnceWhileWaiting)
{
    CHeadlessPlatform& p = Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP, kRect, nullptr)); // not visible: no paint
    EXPECT_EQ(p.SetTimer(wnd.m_hWnd, 1, 500, nullptr), 1u);
    MSG msg;
    p.Sleep(499);
    EXPECT_FALSE(p.PeekMessage(&msg));
    p.Sleep(1);
    ASSERT_TRUE(p.PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_FALSE(p.PeekMessage(&msg));

    // Three periods go by unseen: one WM_TIMER, not three.
    p.Sleep(1600);
    ASSERT_TRUE(p.PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_FALSE(p.PeekMessage(&msg));

    // Posted messages come first; the due timer waits behind them.
    p.Sleep(600);
    p.PostMessage(wnd.m_hWnd, WM_KEYDOWN, 0x20, 0);
    ASSERT_TRUE(p.PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    ASSERT_TRUE(p.PeekMessage(&msg));
    EXPECT_EQ(msg.message, WM_TIMER);

    // Killed: nothing more.
    EXPECT_TRUE(p.KillTimer(wnd.m_hWnd, 1));
    p.Sleep(5000);
    EXPECT_FALSE(p.PeekMessage(&msg));
}

TEST_F(HeadlessTest, SetTimerAgainRestartsTheSameTimer)
{
    CHeadlessPlatform& p = Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP, kRect, nullptr));
    p.SetTimer(wnd.m_hWnd, 1, 500, nullptr);
    p.Sleep(400);
    p.SetTimer(wnd.m_hWnd, 1, 500, nullptr);
    p.Sleep(400);
    MSG msg;
    EXPECT_FALSE(p.PeekMessage(&msg));
    p.Sleep(100);
    EXPECT_TRUE(p.PeekMessage(&msg));
    EXPECT_FALSE(p.PeekMessage(&msg));
}

TEST_F(HeadlessTest, GetMessageJumpsTheClockToTheNextTimer)
{
    CHeadlessPlatform& p = Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP, kRect, nullptr));
    p.SetTimer(wnd.m_hWnd, 7, 500, nullptr);
    MSG msg;
    ASSERT_TRUE(p.GetMessage(&msg));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(p.Clock().Now(), 500 * kMs);
    ASSERT_TRUE(p.GetMessage(&msg));
    EXPECT_EQ(p.Clock().Now(), 1000 * kMs);
}

bool g_procCalled = false;
void CALLBACK_Proc(HWND, UINT message, UINT_PTR id, DWORD)
{
    g_procCalled = message == WM_TIMER && id != 0;
    AfxThrowUserException(); // absorbed like inside a window's handler
}

TEST_F(HeadlessTest, DispatchRoutesTimerProceduresAndWindowMessages)
{
    CHeadlessPlatform& p = Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP, kRect, nullptr));
    p.SetTimer(wnd.m_hWnd, 13, 100, &CALLBACK_Proc);
    MSG msg;
    ASSERT_TRUE(p.GetMessage(&msg));
    log.clear();
    g_procCalled = false;
    p.DispatchMessage(&msg);
    EXPECT_TRUE(g_procCalled);
    EXPECT_TRUE(log.empty()); // the procedure, not the window

    p.PostMessage(wnd.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    ASSERT_TRUE(p.GetMessage(&msg));
    p.DispatchMessage(&msg);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(log[0].lParam, MAKELPARAM(3, 4));
}

TEST_F(HeadlessTest, CloseRequestDestroysThroughDefaultProcessing)
{
    CHeadlessPlatform& p = Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP, kRect, nullptr));
    const HWND h = wnd.m_hWnd;
    p.PostMessage(h, WM_CLOSE, 0, 0);
    MSG msg;
    ASSERT_TRUE(p.PeekMessage(&msg));
    p.DispatchMessage(&msg);
    EXPECT_FALSE(p.IsWindow(h));
    EXPECT_THAT(wnd.Messages(), ElementsAre(WM_CREATE, WM_CLOSE, WM_DESTROY, WM_NCDESTROY));
    EXPECT_EQ(p.DefWindowProc(h, WM_SETCURSOR, 0, 0), 0);
}

TEST_F(HeadlessTest, QuitComesAfterThePostedMessages)
{
    CHeadlessPlatform& p = Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP, kRect, nullptr));
    p.PostMessage(wnd.m_hWnd, WM_KEYDOWN, 0, 0);
    p.PostQuitMessage(3);
    MSG msg;
    EXPECT_TRUE(p.GetMessage(&msg));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_FALSE(p.GetMessage(&msg));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(HeadlessTest, PreviewParentByNumberHostsAChildAndTakesItAlong)
{
    const HWND parent = CHeadlessPlatform::PreviewParentOf(SaverCommand::FromArguments("/p", " +4711abc"));
    ASSERT_EQ(parent, reinterpret_cast<HWND>(std::intptr_t(4711)));

    CHeadlessPlatform& p = Make(Options(152, 112), {Event(2.0, InputKind::DestroyParent)}, parent);
    RECT rc{};
    ASSERT_TRUE(p.GetClientRect(parent, &rc));
    EXPECT_EQ(rc, (RECT{0, 0, 152, 112}));
    EXPECT_EQ(p.GetWindowSurface(parent), nullptr);
    EXPECT_FALSE(p.DestroyWindow(parent)); // not this process's window

    std::vector<LoggedMsg> log;
    CLogWnd child(&log);
    ASSERT_TRUE(child.CreateEx(0, WS_CHILD | WS_VISIBLE, rc, parent));
    const HWND h = child.m_hWnd;
    p.Sleep(2500); // the parent goes at the next look at the queue
    EXPECT_TRUE(p.IsWindow(h));
    MSG msg;
    while (p.PeekMessage(&msg)) {
    }
    EXPECT_FALSE(p.IsWindow(h));
    EXPECT_FALSE(p.IsWindow(parent));
    EXPECT_THAT(child.Messages(), ElementsAre(WM_CREATE, WM_DESTROY, WM_NCDESTROY));

    // Not a preview: no handle.
    EXPECT_EQ(CHeadlessPlatform::PreviewParentOf(SaverCommand::FromArguments("/s", " +4711abc")), nullptr);
}

TEST_F(HeadlessTest, ChildNeedsAnExistingParent)
{
    Make();
    std::vector<LoggedMsg> log;
    CLogWnd wnd(&log);
    EXPECT_FALSE(wnd.CreateEx(0, WS_CHILD, kRect, reinterpret_cast<HWND>(std::intptr_t(99))));
    EXPECT_FALSE(wnd.CreateEx(0, WS_CHILD, kRect, nullptr));
    EXPECT_TRUE(log.empty());
}

} // namespace

namespace {
// Records what a presentation may show while WM_PAINT is handled.
class CPaintProbe : public CWnd {
public:
    explicit CPaintProbe(CPosixPlatform& p) : m_p(p) {}
    std::vector<std::vector<RECT>> seen;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PAINT)
            seen.push_back(m_p.PaintClip(m_hWnd, kRect));
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    CPosixPlatform& m_p;
};
} // namespace

TEST_F(HeadlessTest, PaintingPresentsOnlyTheInvalidRectangles)
{
    CHeadlessPlatform& p = Make();
    CPaintProbe wnd(p);
    ASSERT_TRUE(wnd.CreateEx(0, WS_POPUP | WS_VISIBLE, kRect, nullptr));
    MSG msg;
    ASSERT_TRUE(p.PeekMessage(&msg)); // the first paint covers everything
    p.DispatchMessage(&msg);

    const RECT a{0, 0, 10, 10}, b{50, 60, 200, 200};
    p.Invalidate(wnd.m_hWnd, &a);
    p.Invalidate(wnd.m_hWnd, &b);
    ASSERT_TRUE(p.PeekMessage(&msg));
    MSG more;
    EXPECT_FALSE(p.PeekMessage(&more)); // one WM_PAINT for both
    p.DispatchMessage(&msg);
    ASSERT_EQ(wnd.seen.size(), 2u);
    EXPECT_EQ(wnd.seen[0], (std::vector<RECT>{kRect}));
    EXPECT_EQ(wnd.seen[1], (std::vector<RECT>{a, RECT{50, 60, 100, 80}}));
    EXPECT_EQ(p.PaintClip(wnd.m_hWnd, kRect), (std::vector<RECT>{kRect})); // outside painting: all of it
}
