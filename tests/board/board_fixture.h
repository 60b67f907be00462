// Shared set-up for board tests: a fake shell (client size, speed) and a
// document holding a white picture of a given size.
#pragma once

#include <cstring>
#include <memory>

#include "board/board_host.h"
#include "document/jigsaw_doc.h"
#include "document/picture.h"
#include "common/test_picture.h"

class FakeBoardHost : public IBoardHost {
public:
    RECT client{0, 0, 1024, 768};
    int speed = 8;
    int redraws = 0;
    int pumps = 0;
    int timerSets = 0;
    int timerKills = 0;
    RECT GetClientRect() override { return client; }
    int GetSpeed() override { return speed; }
    void RedrawBoard() override { ++redraws; }
    void PumpMessages() override { ++pumps; }
    void SetRefineTimer() override { ++timerSets; }
    void KillRefineTimer() override { ++timerKills; }
};

// Installs the fake host for the lifetime of the object.
struct ScopedHost {
    FakeBoardHost host;
    ScopedHost() { SetBoardHost(&host); }
    ~ScopedHost() { SetBoardHost(nullptr); }
};
