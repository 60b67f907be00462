// The X11 backend's command-line options, declared once: the parser, the
// --help text, the manual page and the test of the XScreenSaver settings
// file all read the table below. They come before the saver's switch:
//   mosvik [--root | --window-id ID | --window] [--speed N] [SWITCH [HANDLE]]
// Each name is accepted with one or two leading dashes (XScreenSaver has
// used both) and a value either as the next argument or after '='.
// Parsing removes them from argv; no X connection is needed for it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

// A malformed or unknown option (main ends with status 2).
class X11OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class X11Option { Root, WindowId, OwnWindow, Speed };

struct X11OptionSpec {
    X11Option id;
    const char* name;     // without dashes
    const char* metavar;  // the value's name in the usage text; null for a flag
    std::int64_t minimum; // range of a numeric value (values outside are clamped for speed)
    std::int64_t maximum;
    const char* help;
};

inline constexpr X11OptionSpec kX11Options[] = {
    {X11Option::Root, "root", nullptr, 0, 0,
     "draw into $XSCREENSAVER_WINDOW, else on the root window"},
    {X11Option::WindowId, "window-id", "ID", 1, 0xFFFFFFFF, "draw into the X window ID (decimal or 0x hex)"},
    {X11Option::OwnWindow, "window", nullptr, 0, 0, "run in a resizable window; closing it ends the saver"},
    {X11Option::Speed, "speed", "N", 1, 64,
     "speed for this run, 1 (fastest) to 64 (slowest)"},
};

// The option with that name (no dashes), or null.
const X11OptionSpec* FindX11Option(std::string_view name);

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

// Parses and removes the backend's leading options (up to the first other
// argument or a lone "--", which is removed too). A second target option
// is an error. Throws X11OptionError.
X11Options ParseX11Options(int& argc, char** argv);

// The --help lines for the options, built from the table.
std::string X11Usage();
