// Shared set-up for board tests: a fake shell (client size, speed), a
// document to hold a picture and the board cut from it.
#pragma once

#include <cstring>
#include <memory>

#include "board/board_host.h"
#include "board/jigsaw_board.h"
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

// A document and its board, the fake host handed to the board.
struct HostedBoard {
    FakeBoardHost host;
    CJigsawDoc doc;
    CJigsawBoard board{doc};
    HostedBoard() { board.SetHost(&host); }
};

// A board with no host for pieces built by hand: they sample the board's
// picture, which is what CutPicture would make it (a w x h size without
// pixels, or the document's picture once UseDocumentPicture is called).
struct PictureBoard {
    CJigsawDoc doc;
    CJigsawBoard board{doc};
    PictureBoard() = default;
    PictureBoard(LONG w, LONG h)
    {
        board.m_bihActive.biWidth = w;
        board.m_bihActive.biHeight = h;
    }
    void UseDocumentPicture()
    {
        board.m_bihActive = doc.m_bih;
        board.m_pActiveBits = doc.m_pBits.get();
    }
    operator const CJigsawBoard&() const { return board; }
};
