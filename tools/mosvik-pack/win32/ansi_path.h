// A file name in the ANSI code page, for the core's CFile: on Windows it
// opens narrow names as the saver does (the saver finds itself through
// GetModuleFileNameA). Characters the code page lacks become '?', so such a
// file cannot be opened this way.
#pragma once

#include <filesystem>
#include <string>

std::string AnsiPath(const std::filesystem::path& path);
