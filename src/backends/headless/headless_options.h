// The headless backend's command-line options. They come before the
// saver's switch:
//   mosvik --headless=WxH[+X+Y][,WxH+X+Y...] [--clock=SECONDS] [--input=FILE] [--frames=DIR]
//          [--fps=N] [--record=FILE.webp] [--stop-after=SECONDS]
//          [--config-answer=ok:POSITION|cancel] [--frame-fd=N] SWITCH [HANDLE]
// A list of monitors simulates a desktop of several: the display is the
// box that holds them all, and the full-screen saver runs one show per
// monitor. --frame-fd is the pipe one monitor's show hands its samples on.
// Parsing removes them from argv, leaving argv[0], the switch and its
// argument for the application.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/monitor_layout.h"

// A malformed or unknown option (the process ends with status 2).
class OptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct HeadlessOptions {
    static constexpr int kMaxSide = 16384;
    static constexpr int kMaxFps = 1000;
    static constexpr std::int64_t kMaxClock = 1000000000000; // calendar seconds

    int width = 0, height = 0;             // the virtual display
    std::vector<MonitorRect> monitors;     // as given; the display is their box
    int frameFd = -1;                      // raw samples go to this pipe
    std::int64_t clockStart = 1000000000;  // calendar seconds at start
    std::string inputFile;                 // timed input script
    std::string framesDir;                 // PNG samples
    std::string recordFile;                // animated WebP of the samples
    int fps = 10;                          // samples per second of virtual time
    std::optional<std::int64_t> stopAfter; // virtual clock units
    bool configOk = false;                 // the dialog's answer: OK (else Cancel)
    int configPosition = 0;                // slider position for OK
};

// True for an option only the headless backend knows (--frames=...).
bool IsHeadlessOption(std::string_view arg);

// Parses and removes the leading "--" arguments (up to the first other
// argument or a lone "--", which is removed too). Throws OptionError for
// an unknown or malformed option or when --headless is missing.
HeadlessOptions ParseHeadlessOptions(int& argc, char** argv);
