// Making one saver from parsed options: the checks, the picture, the
// document and the written file. Shared by the command line and the
// Windows tool's window.
#pragma once

#include <functional>
#include <string>

#include "pack_options.h"
#include "picture_source.h"

// The project's own default picture, built into the tool.
PictureFile DefaultPictureFile();

// Writes opt.out and returns the line that describes it; warnings (a
// message too small to read, a slightly damaged picture) go to `warn` as
// they arise. PackError (or a core exception) on failure, with the output
// untouched. argv0 helps find the default saver beside the tool.
std::string PackSaver(const PackOptions& opt, const char* argv0, const std::function<void(const std::string&)>& warn);
