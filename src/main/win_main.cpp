// The process entry on Windows: narrows the DLL search before anything can
// load a library, then hands the command line, as UTF-8 so that any path
// survives, to the core's side (win_start.h), which reads it with the
// option table and runs the saver.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "backends/win32/win32_libraries.h"
#include "backends/win32/win32_wide.h"
#include "main/win_start.h"

namespace {

struct LocalFreer {
    void operator()(LPWSTR* p) const { ::LocalFree(p); }
};

// The arguments as the system splits the command line, program name first.
std::vector<std::string> Arguments()
{
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> wide(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> args;
    for (int i = 0; wide && i < count; ++i)
        args.push_back(w32::Narrow(wide.get()[i]));
    return args;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    w32::RestrictDllSearch();
    return StartWindowsSaver(Arguments());
}
