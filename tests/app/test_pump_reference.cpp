// The pump's mouse reference is set by the first move any pump sees in the
// process and never reset, so this sequence runs in a binary of its own.
#include <gtest/gtest.h>

#include "app/pump.h"
#include "app/saver_app.h"
#include "fake_platform.h"
#include "framework/exceptions.h"

TEST(PumpReference, FirstMoveSetsItAndOnlyMovesOnBothAxesEndTheSaver)
{
    FakePlatform fake;
    AfxSetPlatform(&fake);
    GetSaverApp().m_bPreview = FALSE;

    fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200)); // sets the reference
    fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(304, 196));
    EXPECT_NO_THROW(PumpMessages());

    // A sweep along one axis across the whole screen never ends it.
    for (int x = 0; x < 2000; x += 50)
        fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(x, 200));
    for (int y = -500; y < 2000; y += 100)
        fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(300, y));
    while (!fake.queue.empty())
        EXPECT_NO_THROW(PumpMessages());

    fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(294, 206));
    EXPECT_THROW(PumpMessages(), CUserException);
    // The reference stayed: the same move ends it again, a small one does not.
    fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(295, 205));
    EXPECT_NO_THROW(PumpMessages());
    fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(294, 206));
    EXPECT_THROW(PumpMessages(), CUserException);
    // On a display of twice the pixel density the distance doubles.
    fake.pixelScale = 2;
    fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(290, 210));
    EXPECT_NO_THROW(PumpMessages());
    fake.Post(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(289, 211));
    EXPECT_THROW(PumpMessages(), CUserException);
    EXPECT_TRUE(fake.dispatched.empty());
    AfxSetPlatform(nullptr);
}
