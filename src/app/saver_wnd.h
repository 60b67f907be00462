// The saver's two windows. CSaverWnd is the preview child as it is and the
// base of CFullScreenWnd: it paints white until the first show cycle, runs
// one show cycle per event of timer 1 and ends the process when its window
// is destroyed. CFullScreenWnd covers the screen, hides the pointer,
// refuses to be deactivated and turns input into the user interrupt.
#pragma once

#include "app/board_buffer.h"
#include "framework/wnd.h"

class CDC;
class CBitmap;

// The show cycle's timer and its period.
constexpr UINT_PTR kCycleTimerId = 1;
constexpr UINT kCycleTimerPeriod = 500;

class CSaverWnd : public CWnd {
public:
    explicit CSaverWnd(BOOL bAutoDelete);
    ~CSaverWnd() override;

    // Creates the window at rc (left, top, right - left, bottom - top) as a
    // child of hWndParent, or top-level when it is null.
    virtual BOOL CreateSaver(DWORD dwExStyle, DWORD dwStyle, const RECT& rc, HWND hWndParent);

    // The show cycle and its screens.
    void RunShowCycle();
    void TileBackground(CDC* pDC, const RECT* prc);
    void RedrawBoard(CDC* pDC, const RECT* prcClient);
    // Brings the board buffer, selected into pMemDC, up to date over the
    // board's dirty rectangle and returns that rectangle (client
    // coordinates); the board is clean afterwards.
    RECT ComposeBoard(CDC* pMemDC, const RECT* prcClient);
    void ShowPicture(CDC* pDC);
    // False when the message cannot be fitted (it measures 0 wide or high)
    // and nothing was shown.
    BOOL ShowMessage(CDC* pDC);

    BOOL m_bAutoDelete;

protected:
    const AFX_MSGMAP* GetMessageMap() const override;
    void PostNcDestroy() override;

    void OnPaint();
    int OnCreate();
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();

private:
    // The one client-sized off-screen image of the window: the board as the
    // show draws it, the scattered board its transition reveals, and the
    // picture and message screens composed in turn (each new board redraws
    // it whole). Made again only when the client size changes.
    CBoardBuffer m_bmpBoard;

    static LRESULT OnPaintMsg(CWnd* pWnd, WPARAM, LPARAM);
    static LRESULT OnCreateMsg(CWnd* pWnd, WPARAM, LPARAM);
    static LRESULT OnTimerMsg(CWnd* pWnd, WPARAM wParam, LPARAM);
    static LRESULT OnDestroyMsg(CWnd* pWnd, WPARAM, LPARAM);
};

class CFullScreenWnd : public CSaverWnd {
public:
    explicit CFullScreenWnd(BOOL bAutoDelete) : CSaverWnd(bAutoDelete) {}
    ~CFullScreenWnd() override;

    // A visible popup over the whole primary screen, no parent.
    BOOL CreateFullScreen();

protected:
    const AFX_MSGMAP* GetMessageMap() const override;

    int OnCreate();
    void OnSysCommand(UINT nID);
    void OnDestroy();
    BOOL OnSetCursor();
    BOOL OnNcActivate(BOOL bActive);
    void OnActivate(UINT nState);
    void OnActivateApp(BOOL bActive);
    void OnMouseMove(POINT pt);
    void OnUserInput();

private:
    static LRESULT OnCreateMsg(CWnd* pWnd, WPARAM, LPARAM);
    static LRESULT OnSysCommandMsg(CWnd* pWnd, WPARAM wParam, LPARAM);
    static LRESULT OnDestroyMsg(CWnd* pWnd, WPARAM, LPARAM);
    static LRESULT OnSetCursorMsg(CWnd* pWnd, WPARAM, LPARAM);
    static LRESULT OnNcActivateMsg(CWnd* pWnd, WPARAM wParam, LPARAM);
    static LRESULT OnActivateMsg(CWnd* pWnd, WPARAM wParam, LPARAM);
    static LRESULT OnActivateAppMsg(CWnd* pWnd, WPARAM wParam, LPARAM);
    static LRESULT OnMouseMoveMsg(CWnd* pWnd, WPARAM, LPARAM lParam);
    static LRESULT OnUserInputMsg(CWnd* pWnd, WPARAM, LPARAM);
};
