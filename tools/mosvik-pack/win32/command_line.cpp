// CommandLineToArgvW splits the wide command line the way the C runtime
// does; each argument is converted to UTF-8 (unpaired surrogates become
// U+FFFD and are then refused as text or not found as files).
#include "command_line.h"

#include <windows.h>
#include <shellapi.h>

namespace {

std::string ToUtf8(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return {};
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back(); // the terminating NUL
    return out;
}

} // namespace

std::vector<std::string> Utf8Arguments()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    if (!argv)
        return args;
    for (int i = 1; i < argc; ++i)
        args.push_back(ToUtf8(argv[i]));
    LocalFree(argv);
    return args;
}
