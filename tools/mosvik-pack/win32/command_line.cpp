// CommandLineToArgvW splits the wide command line the way the C runtime
// does; each argument is converted to UTF-8 (unpaired surrogates become
// U+FFFD and are then refused as text or not found as files).
#include "command_line.h"

#include <windows.h>
#include <shellapi.h>

#include "backends/win32/win32_wide.h"

std::vector<std::string> Utf8Arguments()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    if (!argv)
        return args;
    for (int i = 1; i < argc; ++i)
        args.push_back(w32::Narrow(argv[i]));
    LocalFree(argv);
    return args;
}
