// Writing a saver: a copy of the saver executable (without any document it
// already carries), the marker, one separator byte and the document. The
// file is written beside the target under a temporary name, made runnable
// (new-file permissions under the umask, plus the run bits) and renamed at
// the end; a failure removes the temporary file and leaves the target
// untouched. Only a Mosvik saver program is copied: an ELF or PE file that
// holds the saver signature.
#pragma once

#include <filesystem>
#include <vector>

#include "framework/types.h"

// Largest saver executable the tool copies.
constexpr std::uintmax_t kMaxSaverBytes = 256u << 20;

// The executable part of a saver: everything before the first marker at a
// position other than 0 (the whole file when it carries no document).
std::size_t ExecutableLength(const std::vector<BYTE>& saver);

// True for an ELF or PE image whose executable part holds the saver signature.
bool IsSaverProgram(const std::vector<BYTE>& file);

// PackError when `out` cannot be replaced (not a regular file) or is the
// input picture itself, by any path or link.
void CheckOutput(const std::filesystem::path& out, const std::filesystem::path* picture);

void WriteSaver(const std::filesystem::path& saver, const std::filesystem::path& out,
                const std::vector<BYTE>& document);

