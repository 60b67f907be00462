// What the headless backend is told to do: the virtual display (a list of
// monitors simulates a desktop of several: the display is the box that
// holds them all, and the full-screen saver runs one show per monitor),
// the clock, the scripted input, where the samples go and how the
// configuration dialog is answered. The saver's option table names the
// options and its reader fills this value (main/saver_options.cpp):
//   mosvik --headless=WxH[+X+Y][,WxH+X+Y...] [--clock=SECONDS] [--input=FILE] [--frames=DIR]
//          [--fps=N] [--record=FILE.webp] [--stop-after=SECONDS]
//          [--config-answer=ok:POSITION[:FOLDER]|cancel] [--frame-fd=N] SWITCH [HANDLE]
// --frame-fd is the pipe one monitor's show hands its samples on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/monitor_layout.h"

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
    std::optional<std::string> configFolder; // the folder typed before OK (empty: the saver's own picture)
};
