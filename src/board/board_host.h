// What the board needs from the saver's shell: the saver window's client
// area and board redraw, the speed setting, the message pump and the
// refinement timer. The show hands one to its board (CJigsawBoard::SetHost);
// tests hand their own.
#pragma once

#include "framework/types.h"

class IBoardHost {
public:
    virtual ~IBoardHost() = default;
    // Client rectangle of the saver window (left and top 0); empty when there is none.
    virtual RECT GetClientRect() = 0;
    // The speed setting m_nSpeed of the application.
    virtual int GetSpeed() = 0;
    // If the saver window still exists as a window: RedrawBoard on a
    // client-area DC with the client rectangle.
    virtual void RedrawBoard() = 0;
    virtual void PumpMessages() = 0;
    // (Re)starts or stops timer 13 (100 ms) on the main window, when there
    // is one; each tick is the board's OnRefineTimer.
    virtual void SetRefineTimer() = 0;
    virtual void KillRefineTimer() = 0;
};

constexpr UINT_PTR kRefineTimerId = 13;
