// The closing message's text and style as a document stores them, made
// from what a user types: UTF-8 text turned into Windows-1252, a font face
// of at most 31 characters, a "#RRGGBB" colour. Shared by mosvik-pack and
// the saver's own --message options. Failures are std::invalid_argument
// with one line naming the text and the problem.
#pragma once

#include <cstddef>
#include <string>

#include "framework/cstring.h"
#include "framework/types.h"

struct MessageStyle {
    CString message;           // Windows-1252
    CString face = "Arial";    // Windows-1252
    COLORREF color = RGB(255, 255, 0);
    bool bold = false;
    bool italic = false;
};

// Longest font face the system keeps (LOGFONT holds 31 characters), in
// stored Windows-1252 characters.
constexpr std::size_t kMaxFaceLength = 31;

// Windows-1252 text from UTF-8; fails naming `what` when the text is not
// valid UTF-8, holds a character the code page lacks, or a control
// character (line breaks are kept when `lineBreaks`).
CString ToStoredText(const std::string& utf8, const char* what, bool lineBreaks);

// The same for texts nobody sees: characters the code page lacks become '?'.
CString ToStoredTextLenient(const std::string& utf8);

// A font face: ToStoredText without line breaks, at most kMaxFaceLength.
CString ToStoredFace(const std::string& utf8);

// "#RRGGBB" (or "RRGGBB"), hex digits in either case, as a COLORREF.
COLORREF ParseColour(const std::string& text);

// About how large, in points, the saver draws the message on a 1024 x 768
// screen: it fits the text into the middle three quarters, and an average
// character is taken as half its height wide, a line as 1.15 times high.
double EstimatedMessagePoints(const CString& message);
constexpr double kSmallestReadablePoints = 8.0;
