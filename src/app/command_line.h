// What the command line asks of the application: the switch (full screen,
// preview, or the configuration dialog) and the argument after it, the
// preview window's handle. The entry points read the options themselves and
// hand the application only this value; the two readings below keep the
// exact rules of the system's screen-saver machinery and the C library.
// Trade-off: the handle stays text until start-up reads it, so that the
// application's messages quote it as it was written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// True when `arg`, after at most one leading '-' or '/', is exactly the
// letter, compared without regard to case ("/S", "-s", "s"; not "/s:1").
bool MatchSwitch(const char* arg, char letter);

// Reads a preview window handle the C library's way: leading blanks, an
// optional sign, then decimal digits up to the first non-digit ("4711abc"
// is 4711). False when no digit follows; values beyond 64 bits saturate.
bool ParsePreviewHandle(const char* text, std::int64_t& value);

struct SaverCommand {
    enum class Mode { Configure, FullScreen, Preview };

    Mode mode = Mode::Configure;
    std::optional<std::string> handle; // the argument after the switch, as written

    // The command of a switch and the argument after it (either may be
    // null): p is the preview, s full screen, anything else or nothing the
    // configuration dialog.
    static SaverCommand FromArguments(const char* sw, const char* next);
    // A preview of the window `handle` (what --root and its kin become).
    static SaverCommand PreviewOf(std::uint64_t handle);

    // The preview's handle as a number; none when this is no preview or
    // its argument has no digits.
    std::optional<std::int64_t> PreviewHandle() const;
};
