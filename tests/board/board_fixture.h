// Shared set-up for board tests: a fake shell (client size, speed) and a
// document holding a white picture of a given size.
#pragma once

#include <cstring>
#include <memory>

#include "board/board_host.h"
#include "document/jigsaw_doc.h"
#include "document/picture.h"

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

inline void MakePicture(CJigsawDoc& doc, LONG w, LONG h, BYTE fill = 0xFF)
{
    doc.m_bih = BITMAPINFOHEADER{};
    doc.m_bih.biSize = 40;
    doc.m_bih.biWidth = w;
    doc.m_bih.biHeight = h;
    doc.m_bih.biPlanes = 1;
    doc.m_bih.biBitCount = 24;
    doc.m_bih.biSizeImage = DWORD(PictureStride(w) * std::size_t(h));
    doc.m_pBits = std::make_unique<BYTE[]>(doc.m_bih.biSizeImage);
    std::memset(doc.m_pBits.get(), fill, doc.m_bih.biSizeImage);
}
