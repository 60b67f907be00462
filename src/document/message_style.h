// The closing message's text and style as a document stores them, made
// from what a user types: UTF-8 text turned into Windows-1252, a font face
// of at most 31 characters, a "#RRGGBB" colour; and read and written in
// their place in the stored stream. Shared by the document, mosvik-pack and
// the saver's own --message options. Failures are std::invalid_argument
// with one line naming the text and the problem.
#pragma once

#include <cstddef>
#include <string>

#include "document/message_style_fields.h"
#include "framework/cstring.h"
#include "framework/types.h"

class CArchive;

// The style as a document holds it: text and face in Windows-1252.
using MessageStyle = BasicMessageStyle<CString>;

// The five fields in stream order: text, face, colour, bold, italic.
CArchive& operator<<(CArchive& ar, const MessageStyle& style);
CArchive& operator>>(CArchive& ar, MessageStyle& style);

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

// A typed style as stored: the text by ToStoredText (line breaks kept),
// then the face by ToStoredFace; colour and flags as they are.
MessageStyle ToStoredStyle(const Utf8MessageStyle& typed);

// About how large, in points, the saver draws the message on a 1024 x 768
// screen: it fits the text into the middle three quarters, and an average
// character is taken as half its height wide, a line as 1.15 times high.
double EstimatedMessagePoints(const CString& message);
constexpr double kSmallestReadablePoints = 8.0;
