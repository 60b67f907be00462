// The Windows command line of mosvik-pack in UTF-8: main's argv arrives in
// the ANSI code page, which cannot hold every message or file name.
#pragma once

#include <string>
#include <vector>

// The arguments after the program name.
std::vector<std::string> Utf8Arguments();
