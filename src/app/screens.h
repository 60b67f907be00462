// The arithmetic of the picture and message screens, kept apart from the
// drawing so that it can be checked on its own.
#pragma once

#include "framework/types.h"

// Where the picture (pw by ph) goes in a W by H window: inside the middle
// three quarters, keeping its aspect ratio, centred. Integer arithmetic.
RECT PictureRect(int W, int H, LONG pw, LONG ph);

// The font size in tenths of a point that fits text measured m (at 10
// points) into t: the smaller of t.cx * 100 / m.cx and t.cy * 100 / m.cy.
// m must not be 0 on either axis.
int FitMessageSize(SIZE t, SIZE m);
