// The saver beside the running tool (OwnExecutablePath); argv[0] when the
// system cannot name the running program.
#include "self_path.h"

#include "framework/own_path.h"

namespace fs = std::filesystem;

fs::path DefaultSaverPath(const char* argv0)
{
#ifdef _WIN32
    const char* name = "mosvik.scr";
#else
    const char* name = "mosvik";
#endif
    const fs::path self = OwnExecutablePath();
    if (!self.empty())
        return self.parent_path() / name;
    return fs::absolute(fs::path(argv0 ? argv0 : ".")).parent_path() / name;
}
