// The document a saver carries, built field by field in stream order: the
// three leading strings (input file name, its stem, an empty third), the
// leading value 41 and piece count 250, a default user record, the message
// with its font face, colour and style, the picture header and stream.
#pragma once

#include <vector>

#include "document/message_style.h"
#include "framework/types.h"
#include "stored_picture.h"

// The serialised document. PackError when the document would contain the
// container marker (the saver would then start reading in the wrong place).
std::vector<BYTE> BuildDocument(const std::string& sourceName, const MessageStyle& style, const StoredPicture& picture);
