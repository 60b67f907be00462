// Listing a picture folder as people fill them: year and event folders
// below it (when subfolders are wanted), names starting with a dot (and,
// on Windows, hidden entries) passed over, a folder reached twice through
// links or loops walked once (known by device and inode, on Windows by its
// resolved path), and at most kMaxListedFiles files. Only what lists and
// looks at entries is used: no file is opened, so a FIFO or a device never
// blocks the walk; entries that are neither files nor folders are named in
// the listing's skipped list instead.
// Trade-off: a file is listed by its kind alone, pictures or not; what it
// holds is told when its turn comes (picture_input.h, picture_prepare.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

constexpr std::size_t kMaxListedFiles = 100000;

struct FolderListing {
    std::vector<std::filesystem::path> files;
    // Entries passed over, with why: a FIFO, a device, a socket, a link
    // that leads nowhere or in a circle, a folder that cannot be read.
    std::vector<std::pair<std::filesystem::path, std::string>> skipped;
    bool full = false; // kMaxListedFiles reached; the rest was not looked at
};

// The files under `dir` (only its own when `subfolders` is false). Ends
// early with what it has when `stop` is set.
FolderListing ListFolder(const std::filesystem::path& dir, bool subfolders, const std::atomic<bool>* stop = nullptr);
