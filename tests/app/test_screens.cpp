// The screens of a show cycle and the board's presentation: background
// tiling, where the picture goes, how the message is fitted, and that a
// board step reaches the window only through its dirty area.
#include "app_fixture.h"

#include "app/board_buffer.h"
#include "app/screens.h"
#include "raster/dc.h"

namespace {
class ScreenTest : public AppTest {
protected:
    std::uint32_t TilePixel(LONG x, LONG y)
    {
        const CSurface* tile = GetSaverApp().GetTileBitmap().Surface();
        return tile->Pixel(x % tile->Width(), y % tile->Height());
    }
};
} // namespace

TEST(PictureRect, KeepsTheAspectInsideThreeQuartersAndCentres)
{
    EXPECT_EQ(PictureRect(800, 600, 800, 600), (RECT{100, 75, 700, 525}));
    EXPECT_EQ(PictureRect(1024, 768, 600, 800), (RECT{296, 96, 728, 672}));
    EXPECT_EQ(PictureRect(800, 600, 1600, 100), (RECT{100, 281, 700, 318})); // wide: width bound
    // Products beyond 32 bits stay exact.
    EXPECT_EQ(PictureRect(16384, 16384, 16384, 1), (RECT{2048, 8192, 14336, 8192}));
}

TEST(FitMessageSize, TakesTheSmallerScale)
{
    EXPECT_EQ(FitMessageSize(SIZE{600, 450}, SIZE{200, 20}), 300);
    EXPECT_EQ(FitMessageSize(SIZE{600, 450}, SIZE{20, 200}), 225);
    EXPECT_EQ(FitMessageSize(SIZE{600, 450}, SIZE{7000, 20}), 8);
}

TEST_F(ScreenTest, TilesLieOnTheGridAndAreDrawnWhole)
{
    ASSERT_EQ(GetSaverApp().GetTileBitmap().GetSize(), (SIZE{117, 117}));
    CSurface s(400, 300);
    s.Fill(0x010203);
    CDC dc;
    dc.AttachSurface(&s);
    CSaverWnd wnd(FALSE);
    const RECT r{130, 10, 240, 20};
    wnd.TileBackground(&dc, &r);
    // Tiles start at x = 117 and 234, y = 0: drawn whole.
    EXPECT_EQ(s.Pixel(117, 0), TilePixel(0, 0));
    EXPECT_EQ(s.Pixel(233, 116), TilePixel(116, 116));
    EXPECT_EQ(s.Pixel(350, 116), TilePixel(116, 116));
    EXPECT_EQ(s.Pixel(116, 0), 0x010203u);
    EXPECT_EQ(s.Pixel(351, 0), 0x010203u);
    EXPECT_EQ(s.Pixel(117, 117), 0x010203u);
}

TEST_F(ScreenTest, PictureScreenCentresThePictureOverTheBackground)
{
    SetPicture(800, 600, 0x40);
    CSaverWnd* pWnd = MakeSaverWnd(800, 600);
    CClientDC dc(pWnd);
    pWnd->ShowPicture(&dc);
    const CSurface& s = fake.SurfaceOf(pWnd->m_hWnd);
    EXPECT_EQ(s.Pixel(100, 75), 0x404040u);
    EXPECT_EQ(s.Pixel(699, 524), 0x404040u);
    EXPECT_EQ(s.Pixel(99, 75), TilePixel(99, 75));
    EXPECT_EQ(s.Pixel(700, 524), TilePixel(700, 524));
    EXPECT_EQ(s.Pixel(100, 525), TilePixel(100, 525));
}

TEST_F(ScreenTest, PictureScreenForATallPicture)
{
    SetPicture(600, 800, 0x50);
    CSaverWnd* pWnd = MakeSaverWnd(1024, 768);
    CClientDC dc(pWnd);
    pWnd->ShowPicture(&dc);
    const CSurface& s = fake.SurfaceOf(pWnd->m_hWnd);
    EXPECT_EQ(s.Pixel(296, 96), 0x505050u);
    EXPECT_EQ(s.Pixel(727, 671), 0x505050u);
    EXPECT_EQ(s.Pixel(295, 96), TilePixel(295, 96));
    EXPECT_EQ(s.Pixel(728, 96), TilePixel(728, 96));
    EXPECT_EQ(s.Pixel(296, 672), TilePixel(296, 672));
}

TEST_F(ScreenTest, MessageIsFittedIntoTheMiddleThreeQuarters)
{
    CJigsawDoc& doc = GetSaverApp().m_doc;
    doc.m_message.text = "Thank you\r\nfor watching";
    doc.m_message.face = "Georgia";
    doc.m_message.colour = RGB(200, 10, 10);
    doc.m_message.bold = 1;
    doc.m_message.italic = 0x101; // only the low byte counts
    fake.text.extent = SIZE{200, 20};
    CSaverWnd* pWnd = MakeSaverWnd(800, 600);
    CClientDC dc(pWnd);
    EXPECT_TRUE(pWnd->ShowMessage(&dc));

    ASSERT_FALSE(fake.text.measured.empty());
    const LOGFONT& m = fake.text.measured.front();
    EXPECT_EQ(m.lfHeight, -(100 * 96 / 720)); // 10 points
    EXPECT_STREQ(m.lfFaceName, "Georgia");

    ASSERT_EQ(fake.text.rendered.size(), 1u);
    const LOGFONT& f = fake.text.rendered[0];
    EXPECT_EQ(f.lfHeight, -(300 * 96 / 720)); // 30 points
    EXPECT_EQ(f.lfWeight, 700);
    EXPECT_EQ(f.lfItalic, 1);
    EXPECT_STREQ(f.lfFaceName, "Georgia");
    EXPECT_EQ(fake.text.renderedFormat[0], DT_CENTER | DT_NOCLIP);
    EXPECT_EQ(fake.text.renderedBox[0], (RECT{100, 75, 700, 525}));
    EXPECT_EQ(fake.text.renderedText[0], "Thank you\r\nfor watching");

    // Regular and upright.
    doc.m_message.bold = 0;
    doc.m_message.italic = 0x100;
    fake.text.rendered.clear();
    pWnd->ShowMessage(&dc);
    ASSERT_EQ(fake.text.rendered.size(), 1u);
    EXPECT_EQ(fake.text.rendered[0].lfWeight, 400);
    EXPECT_EQ(fake.text.rendered[0].lfItalic, 0);
}

TEST_F(ScreenTest, MessageThatMeasuresNothingIsNotShown)
{
    GetSaverApp().m_doc.m_message.text = "\r\n";
    CSaverWnd* pWnd = MakeSaverWnd(200, 100);
    CClientDC dc(pWnd);
    for (SIZE extent : {SIZE{0, 20}, SIZE{200, 0}}) {
        fake.text.extent = extent;
        fake.presents.clear();
        EXPECT_FALSE(pWnd->ShowMessage(&dc));
        EXPECT_TRUE(fake.text.rendered.empty());
        EXPECT_TRUE(fake.presents.empty());
    }
}

TEST_F(ScreenTest, BoardStepReachesTheWindowOnlyThroughItsDirtyArea)
{
    // A 64 x 48 board at zoom 100 centred in 160 x 120: offset (48, 36).
    CSaverWnd* pWnd = MakeSaverWnd(160, 120);
    CSurface& s = fake.SurfaceOf(pWnd->m_hWnd);
    s.Fill(0x777777);
    CClientDC dc(pWnd);
    RECT rc{0, 0, 160, 120};

    GetSaverApp().m_board.m_rcDirty = RECT{0, 0, 10, 10};
    pWnd->RedrawBoard(&dc, &rc);
    ASSERT_EQ(fake.presents.size(), 1u);
    EXPECT_EQ(fake.presents[0].second, (RECT{48, 36, 58, 46}));
    // The refresh is waited for before the step is shown.
    ASSERT_EQ(fake.refreshWaits.size(), 1u);
    EXPECT_EQ(fake.refreshWaits[0].second, 0u);
    EXPECT_EQ(s.Pixel(48, 36), TilePixel(48, 36));
    EXPECT_EQ(s.Pixel(57, 45), TilePixel(57, 45));
    EXPECT_EQ(s.Pixel(47, 36), 0x777777u);
    EXPECT_EQ(s.Pixel(58, 45), 0x777777u);
    EXPECT_TRUE(IsRectEmpty(GetSaverApp().m_board.m_rcDirty));

    // Nothing dirty: nothing shown, nothing waited for.
    pWnd->RedrawBoard(&dc, &rc);
    EXPECT_EQ(fake.presents.size(), 1u);
    EXPECT_EQ(fake.refreshWaits.size(), 1u);

    // Composing into a memory DC never waits.
    CSurface mem(160, 120);
    CDC memDC;
    memDC.AttachSurface(&mem);
    GetSaverApp().m_board.m_rcDirty = RECT{0, 0, 64, 48};
    pWnd->RedrawBoard(&memDC, &rc);
    EXPECT_EQ(fake.refreshWaits.size(), 1u);
    EXPECT_EQ(mem.Pixel(48, 36), TilePixel(48, 36));
}

TEST(BoardBuffer, IsMadeAgainOnlyWhenTheSizeChanges)
{
    CDC dc;
    CBoardBuffer buffer;
    EXPECT_TRUE(buffer.Ensure(&dc, 100, 80));
    const CSurface* first = buffer.Bitmap()->Surface();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(buffer.Ensure(&dc, 100, 80));
    EXPECT_EQ(buffer.Bitmap()->Surface(), first);
    EXPECT_TRUE(buffer.Ensure(&dc, 101, 80));
    EXPECT_EQ(buffer.Bitmap()->GetSize(), (SIZE{101, 80}));
    EXPECT_TRUE(buffer.Ensure(&dc, 101, 79));
    EXPECT_FALSE(buffer.Ensure(&dc, 101, 79));
    EXPECT_EQ(buffer.Bitmap()->GetSize(), (SIZE{101, 79}));
}

TEST_F(ScreenTest, BoardHostFollowsTheSaverWindow)
{
    IBoardHost& host = SaverBoardHost();
    EXPECT_TRUE(IsRectEmpty(host.GetClientRect()));
    host.RedrawBoard(); // no window: nothing happens
    EXPECT_TRUE(fake.presents.empty());

    CSaverWnd* pWnd = MakeSaverWnd(160, 120);
    GetSaverApp().m_pMainWnd = pWnd;
    GetSaverApp().m_nSpeed = 23;
    EXPECT_EQ(host.GetClientRect(), (RECT{0, 0, 160, 120}));
    EXPECT_EQ(host.GetSpeed(), 23);
    GetSaverApp().m_board.m_rcDirty = RECT{0, 0, 64, 48};
    host.RedrawBoard();
    ASSERT_EQ(fake.presents.size(), 1u);
    EXPECT_EQ(fake.presents[0].second, (RECT{48, 36, 112, 84}));

    host.SetRefineTimer();
    ASSERT_TRUE(fake.HasTimer(pWnd->m_hWnd, 13));
    EXPECT_EQ(fake.timers.at({pWnd->m_hWnd, 13}).elapse, 100u);
    EXPECT_EQ(fake.timers.at({pWnd->m_hWnd, 13}).proc, &TimerProc);
    host.KillRefineTimer();
    EXPECT_FALSE(fake.HasTimer(pWnd->m_hWnd, 13));

    fake.windows.at(pWnd->m_hWnd).alive = false; // gone without telling
    GetSaverApp().m_board.m_rcDirty = RECT{0, 0, 64, 48};
    host.RedrawBoard();
    EXPECT_EQ(fake.presents.size(), 1u);
}
