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
// valid UTF-8 or holds a character the code page lacks.
CString ToStoredText(const std::string& utf8, const char* what);

// The serialised document. PackError when the document would contain the
// container marker (the saver would then start reading in the wrong place).
std::vector<BYTE> BuildDocument(const std::string& sourceName, const MessageStyle& style, const StoredPicture& picture);
