// The shell's side of the board seam: the board reaches the saver window,
// the speed setting, the message pump and the refinement timer through the
// application object.
#pragma once

#include "board/board_host.h"

class CSaverBoardHost : public IBoardHost {
public:
    RECT GetClientRect() override;
    int GetSpeed() override;
    void RedrawBoard() override;
    void PumpMessages() override;
    void SetRefineTimer() override;
    void KillRefineTimer() override;
};

// The process's host, handed to the show's board by start-up.
CSaverBoardHost& SaverBoardHost();

// The refinement timer's procedure (timer 13): the show's board refines
// its turning group.
void TimerProc(HWND hWnd, UINT nMsg, UINT_PTR nId, DWORD dwTime);
