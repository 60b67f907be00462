// The message pump a running show cycle uses, the pause between its
// screens, and the mouse rule by which a full-screen saver tells a real
// mouse move from jitter.
#pragma once

#include <cstdint>

#include "framework/types.h"

// The reference point before any mouse position has been seen.
constexpr POINT kNoMousePosition{-100, -100};
// How far the mouse must move on both axes to end the saver, in pixels at
// 96 DPI; the platform scales it to the display's pixels.
constexpr int kMouseSlop = 5;
// Messages one PumpMessages call handles at most.
constexpr int kPumpBatch = 16;

// Handles at most 16 waiting messages. In preview mode they are translated
// and dispatched; in full-screen mode user input and deactivation raise the
// user interrupt (CUserException) and every other message is dropped.
void PumpMessages();

// Sleeps 100 ms and pumps, nSeconds * 10 times.
void Pause(int nSeconds);

// The mouse rule: the first position seen becomes the reference; later
// ones raise the user interrupt when they are more than nSlop pixels away
// on both axes. The reference is never moved after that.
void ApplyMouseRule(POINT& ref, POINT pt, int nSlop = kMouseSlop);

// The signed client position packed in a mouse message's lParam.
constexpr POINT MousePosition(LPARAM lParam)
{
    return POINT{LONG(std::int16_t(LOWORD(std::uintptr_t(lParam)))),
                 LONG(std::int16_t(HIWORD(std::uintptr_t(lParam))))};
}
