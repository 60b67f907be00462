// Starting the desktop's opener: looking a program up on PATH the way a
// shell would, and running it detached (double fork, new session, standard
// streams on /dev/null) with an argument vector, never a command string,
// so nothing in the arguments is ever interpreted.
#pragma once

#include <string>
#include <vector>

namespace posix_shell {

// Full path of an executable regular file `name` in $PATH (a default path
// when unset); false when there is none.
bool FindOnPath(const std::string& name, std::string& path);

// Starts argv[0] with the arguments and does not wait for it; the
// intermediate child is reaped before returning. False when fork failed.
bool SpawnDetached(const std::vector<std::string>& argv);

// The URL that opens a host name: "http://HOST"; text that already has a
// scheme is kept.
std::string UrlForHost(const std::string& host);

} // namespace posix_shell
