// What the X11 backend is told to do: where the saver draws and the speed
// of this run. The saver's option table names the options (--root,
// --window-id, --window, --speed) and its reader fills this value
// (main/saver_options.cpp); no X connection is needed for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Where the saver draws. Switch: the switch decides (full screen, preview
// of a handle, dialog). The others run the preview in a window the
// backend finds or makes.
enum class X11Target { Switch, Root, WindowId, OwnWindow };

struct X11Options {
    X11Target target = X11Target::Switch;
    std::uint64_t windowId = 0;     // for WindowId
    std::optional<int> speed;       // --speed, clamped into its range
};

// Reads a window id: decimal, or hexadecimal after "0x"/"0X"; the whole
// text must be the number and it must fit an X id (1 to 2^32 - 1).
std::optional<std::uint64_t> ParseWindowId(std::string_view text);
