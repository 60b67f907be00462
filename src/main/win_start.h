// The seam between the Windows entry (win_main.cpp, which includes
// windows.h) and the core's side of it (win_start.cpp, which includes the
// core's headers): the two cannot meet in one translation unit. Only
// standard types cross it.
#pragma once

#include <string>
#include <vector>

// Reads the command line (UTF-8, the program name first) with the option
// table and runs the saver. Returns the process status; never throws.
int StartWindowsSaver(const std::vector<std::string>& args) noexcept;
