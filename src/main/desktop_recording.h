// The headless full screen on a simulated desktop of several monitors:
// one show per monitor (monitor_shows.h), and, when samples are asked
// for, one desktop put together from theirs. Each show hands its samples
// on a pipe; sample i of the desktop is sample i of every monitor in its
// place over black, so the recording is as repeatable as a single show's.
// It ends with the first show whose samples end (the one that met the
// ending input or its stop time); the others are stopped then.
// Trade-off: the shows run in lockstep with the slowest one, since each
// waits on its pipe until the desktop took its sample.
#pragma once

#include <string>
#include <vector>

#include "backends/headless/headless_options.h"

// Runs the shows of `options.monitors` with the saver `exe` and the
// command line `given` (argv as it came, argv[0] first); returns the
// status of the ending (1, after one line on stderr, when the samples
// could not be written). Throws std::runtime_error when a sink cannot be
// opened or a show started.
int RunHeadlessMonitors(const std::string& exe, const std::vector<std::string>& given,
                        const HeadlessOptions& options);
