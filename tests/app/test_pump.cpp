// PumpMessages and Pause: what the full-screen pump turns into the user
// interrupt, what it drops, the preview's dispatching, and the batch limit.
// (The pump's mouse reference is process-wide: see test_pump_reference.cpp.)
#include "app_fixture.h"

#include "app/pump.h"
#include "framework/exceptions.h"

namespace {
class PumpTest : public AppTest {};
} // namespace

TEST_F(PumpTest, FullScreenEndsOnKeysAndLeftOrRightButtons)
{
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        fake.queue.clear();
        fake.Post(nullptr, WM_PAINT);
        fake.Post(nullptr, message);
        fake.Post(nullptr, WM_PAINT);
        EXPECT_THROW(PumpMessages(), CUserException) << message;
        EXPECT_EQ(fake.queue.size(), 1u) << "the message after the input stays queued";
    }
    EXPECT_TRUE(fake.dispatched.empty());
    EXPECT_TRUE(fake.translated.empty());
}

TEST_F(PumpTest, FullScreenDropsTheMiddleButtonAndEverythingElse)
{
    for (UINT message : {WM_MBUTTONDOWN, WM_PAINT, WM_TIMER, WM_CHAR, WM_KEYUP, WM_LBUTTONUP, WM_CLOSE})
        fake.Post(nullptr, message);
    EXPECT_NO_THROW(PumpMessages());
    EXPECT_TRUE(fake.queue.empty());
    EXPECT_TRUE(fake.dispatched.empty());
    EXPECT_TRUE(fake.translated.empty());
}

TEST_F(PumpTest, FullScreenEndsOnDeactivationOnly)
{
    for (UINT message : {WM_ACTIVATE, WM_ACTIVATEAPP, WM_NCACTIVATE}) {
        fake.Post(nullptr, message, 1);
        EXPECT_NO_THROW(PumpMessages()) << message;
        fake.Post(nullptr, message, 0);
        EXPECT_THROW(PumpMessages(), CUserException) << message;
    }
}

TEST_F(PumpTest, HandlesAtMostSixteenMessagesPerCall)
{
    for (int i = 0; i < 20; ++i)
        fake.Post(nullptr, WM_PAINT);
    PumpMessages();
    EXPECT_EQ(fake.queue.size(), 4u);
    PumpMessages();
    EXPECT_TRUE(fake.queue.empty());

    // The sixteen-message limit also holds back input behind it.
    for (int i = 0; i < 16; ++i)
        fake.Post(nullptr, WM_PAINT);
    fake.Post(nullptr, WM_KEYDOWN);
    EXPECT_NO_THROW(PumpMessages());
    EXPECT_THROW(PumpMessages(), CUserException);
}

TEST_F(PumpTest, PreviewTranslatesAndDispatchesEverything)
{
    GetSaverApp().m_bPreview = TRUE;
    CSaverWnd* pWnd = MakeSaverWnd(40, 30);
    fake.defaults.clear();
    for (int i = 0; i < 10; ++i) {
        fake.Post(pWnd->m_hWnd, WM_KEYDOWN);
        fake.Post(pWnd->m_hWnd, WM_LBUTTONDOWN);
    }
    EXPECT_NO_THROW(PumpMessages());
    EXPECT_EQ(fake.translated.size(), 16u);
    EXPECT_EQ(fake.dispatched.size(), 16u);
    EXPECT_EQ(fake.queue.size(), 4u);
    // The preview window has no handler for input: default processing.
    EXPECT_EQ(fake.defaults.size(), 16u);
}

TEST_F(PumpTest, PauseSleepsAndPumpsTenTimesASecond)
{
    Pause(5);
    EXPECT_EQ(fake.sleeps, std::vector<DWORD>(50, 100));
    EXPECT_EQ(fake.peeks, 50);
    fake.sleeps.clear();
    Pause(0);
    Pause(-3);
    EXPECT_TRUE(fake.sleeps.empty());
}

TEST_F(PumpTest, PauseLetsTheUserInterruptThrough)
{
    fake.Post(nullptr, WM_KEYDOWN);
    EXPECT_THROW(Pause(5), CUserException);
    EXPECT_EQ(fake.sleeps.size(), 1u);
}

TEST(MouseRule, FirstPositionIsTheReferenceThenBothAxesMustMoveMoreThanFive)
{
    POINT ref = kNoMousePosition;
    ApplyMouseRule(ref, POINT{100, 100});
    EXPECT_EQ(ref, (POINT{100, 100}));
    EXPECT_NO_THROW(ApplyMouseRule(ref, POINT{105, 95}));
    EXPECT_NO_THROW(ApplyMouseRule(ref, POINT{-30000, 100})); // one axis, however far
    EXPECT_NO_THROW(ApplyMouseRule(ref, POINT{100, 30000}));
    EXPECT_NO_THROW(ApplyMouseRule(ref, POINT{106, 105}));
    EXPECT_THROW(ApplyMouseRule(ref, POINT{106, 94}), CUserException);
    EXPECT_THROW(ApplyMouseRule(ref, POINT{94, 106}), CUserException);
    EXPECT_EQ(ref, (POINT{100, 100})); // never moved
}

TEST(MouseRule, PositionsAreSignedSixteenBitHalves)
{
    EXPECT_EQ(MousePosition(MAKELPARAM(-5, 700)), (POINT{-5, 700}));
    EXPECT_EQ(MousePosition(MAKELPARAM(32767, -32768)), (POINT{32767, -32768}));
}
