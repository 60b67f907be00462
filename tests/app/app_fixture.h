// The fixture of the shell's tests: a fresh fake platform per test and the
// application singleton put back into its start-up state.
#pragma once

#include "common/test_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/board_host_impl.h"
#include "app/saver_app.h"
#include "app/saver_wnd.h"
#include "board/board_host.h"
#include "board/jigsaw_board.h"
#include "document/picture.h"
#include "fake_platform.h"

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AfxSetPlatform(&fake);
        CSaverApp& app = GetSaverApp();
        app.m_pFullScreenWnd = nullptr;
        app.m_pSaverWnd = nullptr;
        app.m_pMainWnd = nullptr;
        app.m_nSpeed = kDefaultSpeed;
        app.m_bPreview = FALSE;
        app.m_command = SaverCommand{};
        app.m_pictures = PictureSettings{};
        app.m_makeDocSource = nullptr;
        app.m_board.ClearBoard();
        app.m_doc.m_message.text = CString();
        app.m_doc.m_message.face = CString("Arial");
        app.m_doc.m_message.bold = 0;
        app.m_doc.m_message.italic = 0;
        app.m_doc.m_message.colour = 0;
        app.m_board.m_nBoardZoom = 100;
        SetPicture(64, 48, 0x20);
        SetRectEmpty(app.m_board.m_rcDirty);
        app.m_board.SetHost(&SaverBoardHost());
    }
    void TearDown() override
    {
        ReleaseWindows();
        GetSaverApp().m_board.SetHost(nullptr);
        AfxSetPlatform(nullptr);
    }

    // A picture of one grey level, w by h.
    static void SetPicture(LONG w, LONG h, BYTE level) { MakePicture(GetSaverApp().m_doc, w, h, level); }

    // A heap saver window (it would delete itself after WM_NCDESTROY) of the
    // given client size, made the way start-up makes the preview.
    CSaverWnd* MakeSaverWnd(int w, int h)
    {
        auto* pWnd = new CSaverWnd(TRUE);
        EXPECT_TRUE(pWnd->CreateSaver(0, WS_CHILD | WS_VISIBLE, RECT{0, 0, w, h}, nullptr));
        return pWnd;
    }

    // Self-deleting window objects whose window never saw WM_NCDESTROY
    // (the fake's Exit throws before it) are finished off here.
    void ReleaseWindows()
    {
        for (auto& [h, w] : fake.windows) {
            if (w.ncDestroyed || CWnd::FromHandlePermanent(h) != w.owner)
                continue; // already deleted, or an object that is gone
            auto* pSaver = dynamic_cast<CSaverWnd*>(w.owner);
            if (pSaver && pSaver->m_bAutoDelete) {
                w.ncDestroyed = true;
                pSaver->OnMessageGuarded(h, WM_NCDESTROY, 0, 0);
            }
        }
    }

    FakePlatform fake;
};
