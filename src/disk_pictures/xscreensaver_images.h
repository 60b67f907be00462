// XScreenSaver's image folder: its image-showing hacks take their pictures
// from `imageDirectory:` in ~/.xscreensaver when `chooseRandomImages:` is
// on, and so does the saver when nothing else names its pictures. The
// file holds X resource lines, "name: value": names compare without regard
// to case, a line opening with '#', '!' or ';' is a comment, a backslash
// before the end of a line joins the next one, \n \r \t and \<char> are
// escapes, values are not quoted, and the last line of a name counts. Only
// the two names are read. Trade-off: a file above kMaxFileSize is not read
// (XScreenSaver's own is a few tens of KiB), and a URL (an image feed), a
// relative path or "~user" counts as no folder.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace xscreensaver {

constexpr std::size_t kMaxFileSize = 1 << 20;

// The folder the settings `text` name, a leading "~" taken as `home`;
// nothing when images are not to be chosen from the disk or no usable
// folder is named.
std::optional<std::string> ImageFolder(std::string_view text, const std::string& home);

// The same from $HOME/.xscreensaver; nothing when $HOME is not an absolute
// path or the file is missing, not a regular file, too large or unreadable.
std::optional<std::string> ReadImageFolder();

} // namespace xscreensaver
