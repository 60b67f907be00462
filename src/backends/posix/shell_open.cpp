// PATH lookup and detached process start for the home-page button.
#include "backends/posix/shell_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace posix_shell {

bool FindOnPath(const std::string& name, std::string& path)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return false;
    const char* env = std::getenv("PATH");
    const std::string dirs = env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = dirs.find(':', start);
        std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (dir.empty())
            dir.push_back('.');
        std::string candidate = std::move(dir);
        candidate += '/';
        candidate += name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
            path = candidate;
            return true;
        }
        if (colon == std::string::npos)
            return false;
        start = colon + 1;
    }
}

bool SpawnDetached(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return false;
    // Everything the children need is prepared before forking.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            const int fd = ::open("/dev/null", O_RDWR);
            if (fd >= 0) {
                ::dup2(fd, 0);
                ::dup2(fd, 1);
                ::dup2(fd, 2);
                if (fd > 2)
                    ::close(fd);
            }
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

std::string UrlForHost(const std::string& host)
{
    if (host.find("://") != std::string::npos)
        return host;
    return "http://" + host;
}

} // namespace posix_shell
