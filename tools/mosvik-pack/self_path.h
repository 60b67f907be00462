// Where the pack tool finds the saver executable by default: beside itself.
#pragma once

#include <filesystem>

// "mosvik" ("mosvik.scr" on Windows) in the folder of the running tool;
// argv[0] is the fallback when the system cannot name the running program.
std::filesystem::path DefaultSaverPath(const char* argv0);
