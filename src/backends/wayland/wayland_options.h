// What the Wayland backend is told to do: a window of its own or the
// switch's full screen, the speed of this run, and the output a show of a
// several-output run covers. The saver's option table names the options
// (--window, --speed, --wayland-output) and its reader fills this value
// (main/saver_options.cpp); nothing here needs libwayland.
#pragma once

#include <optional>
#include <string>

struct WaylandOptions {
    bool ownWindow = false;   // --window: a resizable window; closing it ends the saver
    std::optional<int> speed; // --speed for this run
    std::string output;       // the output this show covers; empty: the only one
};

// The exit status of a show whose output went away: the other outputs'
// shows go on. (A lone show whose output goes ends with 0.)
constexpr int kExitOutputGone = 10;
