// The command line of mosvik-pack:
//   mosvik-pack [PICTURE] -o OUT [--message TEXT] [--font FACE] [--color #RRGGBB]
//               [--bold] [--italic] [--saver EXE] [--max-side N]
//   mosvik-pack --info SAVER | --help | --version
// Options take their value as the next argument or after '='; "--" ends
// the options. Texts arrive in UTF-8.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "document/message_style.h"
#include "framework/types.h"

struct PackOptions {
    enum class Action { pack, info, help, version };
    Action action = Action::pack;
    std::optional<std::filesystem::path> picture; // none: the built-in default picture
    std::filesystem::path out;
    Utf8MessageStyle message;                     // the parser starts its text as the default message
    std::optional<std::filesystem::path> saver;   // none: the saver beside the tool
    int maxSide = 2048;
    std::filesystem::path infoSaver;
};

// PackError for unknown options, missing values, a repeated output, a bad
// colour or size.
PackOptions ParsePackOptions(const std::vector<std::string>& args);

// A path given in UTF-8 (a plain string would be read in the ANSI code page
// on Windows).
std::filesystem::path PathFromUtf8(const std::string& utf8);
// The other way, as the core's CFile takes names on every system.
std::string Utf8FromPath(const std::filesystem::path& path);

const char* PackUsage();
