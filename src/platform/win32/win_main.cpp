// The process entry on Windows: hands the C runtime's argument vector to
// the core, which sets the platform and runs the saver.
#include <windows.h>

#include <cstdlib>

#include "platform/win32/win32_api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return w32::core::RunSaver(__argc, __argv);
}
