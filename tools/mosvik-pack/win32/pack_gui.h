// What the pack window asks of the tool's portable side, in plain types:
// the window includes windows.h and so cannot include the core's headers
// (both define DWORD, RECT, RGB...), only the plain message style. Texts
// are UTF-8 unless said otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/message_style_fields.h"

struct GuiRequest {
    std::string picture; // empty: the built-in default picture
    Utf8MessageStyle message;
};

// The picture exactly as a saver would carry it: stored, then decoded by
// the saver's own decoder into a bottom-up 24-bit DIB block.
struct GuiPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;
    std::vector<std::string> warnings;
};

struct GuiRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Each throws PackError (or a core exception) with a message for the user.
GuiPicture GuiLoadPicture(const std::string& path);
// The message and face as the saver stores them (Windows-1252), checked.
std::string GuiStoredText(const std::string& utf8, bool lineBreaks);
// Writes the saver `out` from the mosvik.scr beside the tool; returns the
// line describing it. Nothing is written on failure.
std::string GuiPack(const GuiRequest& request, const std::string& out, std::vector<std::string>& warnings);

// The saver's own screen arithmetic: where the picture goes in a W x H
// screen, and the size (tenths of a point) that fits text measured (at 10
// points) mw x mh into tw x th.
GuiRect GuiPictureRect(int W, int H, int pw, int ph);
int GuiFitMessageSize(int tw, int th, int mw, int mh);

// Runs the window until it is closed; the process exit status.
int RunPackWindow();
