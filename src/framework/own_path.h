// The running program's own file, as the system names it: /proc/self/exe on
// Linux, GetModuleFileNameW on Windows (any length, any characters). It
// does not guess from argv[0]; a caller with a better fallback uses its own.
// Plain standard types only, so the windows.h side may include it.
#pragma once

#include <filesystem>
#include <string>

// Empty when the system cannot name the running program.
std::filesystem::path OwnExecutablePath();

// The same as UTF-8, the form in which the core keeps paths.
std::string OwnExecutablePathUtf8();
