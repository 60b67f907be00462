// The process entry on Windows: narrows the DLL search before anything can
// load a library, then hands the C runtime's argument vector to the core,
// which sets the platform and runs the saver.
#include <windows.h>

#include <cstdlib>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_libraries.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    w32::RestrictDllSearch();
    return w32::core::RunSaver(__argc, __argv);
}
