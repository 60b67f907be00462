// Sine and cosine of a whole-degree angle times 64, truncated, with the
// saver's 3.14/180 radian factor, from a table made once.
#pragma once

constexpr double kDegToRad = 0.017444444444444446;
int Sin64(int angle);
int Cos64(int angle);
