// The document a saver carries, built field by field in stream order: the
// three leading strings (input file name, its stem, an empty third), the
// leading value 41 and piece count 250, a default user record, the message
// with its font face, colour and style, the picture header and stream.
#pragma once

#include <vector>

#include "platform/cstring.h"
#include "platform/types.h"
#include "stored_picture.h"

struct MessageStyle {
    CString message;           // Windows-1252
    CString face = "Arial";    // Windows-1252
    COLORREF color = RGB(255, 255, 0);
    bool bold = false;
    bool italic = false;
};

// Windows-1252 text from UTF-8; PackError naming `what` when the text is not
// valid UTF-8, holds a character the code page lacks, or a control
// character (line breaks are kept when `lineBreaks`).
CString ToStoredText(const std::string& utf8, const char* what, bool lineBreaks);

// About how large, in points, the saver draws the message on a 1024 x 768
// screen: it fits the text into the middle three quarters, and an average
// character is taken as half its height wide, a line as 1.15 times high.
double EstimatedMessagePoints(const CString& message);
constexpr double kSmallestReadablePoints = 8.0;

// The serialised document. PackError when the document would contain the
// container marker (the saver would then start reading in the wrong place).
std::vector<BYTE> BuildDocument(const std::string& sourceName, const MessageStyle& style, const StoredPicture& picture);
