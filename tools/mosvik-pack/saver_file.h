// Writing a saver: a copy of the saver executable (without any document it
// already carries), the marker, one separator byte and the document. The
// file is written beside the target under a temporary name, given the
// saver's permission bits (so it stays runnable) and renamed at the end;
// a failure removes the temporary file and leaves the target untouched.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/types.h"

// Largest saver executable the tool copies.
constexpr std::uintmax_t kMaxSaverBytes = 256u << 20;

// The executable part of a saver: everything before the first marker at a
// position other than 0 (the whole file when it carries no document).
std::size_t ExecutableLength(const std::vector<BYTE>& saver);

void WriteSaver(const std::filesystem::path& saver, const std::filesystem::path& out,
                const std::vector<BYTE>& document);

