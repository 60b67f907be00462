// Taking --wayland, --x11 and --wayland-output out of argv, and the rule
// between them and the environment.
#include "main/desktop_choice.h"

#include <stdexcept>
#include <string_view>

namespace {
constexpr std::string_view kOutputOption = "--wayland-output=";

bool Set(const char* value) { return value && *value; }
} // namespace

DesktopChoice TakeDesktopChoice(int& argc, char** argv)
{
    DesktopChoice choice;
    int kept = 1, i = 1;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--" || !arg.starts_with("--"))
            break; // the options end at the switch; the rest is kept as it is
        if (arg == "--wayland") {
            choice.wayland = true;
        } else if (arg == "--x11") {
            choice.x11 = true;
        } else if (arg.starts_with(kOutputOption)) {
            choice.output = std::string(arg.substr(kOutputOption.size()));
            if (choice.output.empty())
                throw std::invalid_argument("--wayland-output needs an output's name");
        } else {
            argv[kept++] = argv[i];
        }
    }
    for (; i < argc; ++i)
        argv[kept++] = argv[i];
    argc = kept;
    argv[argc] = nullptr;
    if (choice.wayland && choice.x11)
        throw std::invalid_argument("--wayland and --x11 exclude each other");
    return choice;
}

bool ChoosesWayland(const DesktopChoice& choice, const char* waylandDisplay, const char* display)
{
    if (choice.x11)
        return false;
    if (choice.wayland || !choice.output.empty())
        return true;
    return Set(waylandDisplay) && !Set(display);
}
