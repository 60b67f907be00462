// Loading system DLLs without the DLL search order. A library named without
// a path is searched in the executable's folder first, and a screen saver
// is often run from Downloads, where anyone's DLL may lie beside it. So the
// backend loads every library it needs after start-up from the system
// folder only, and narrows the default search for the libraries that
// Windows itself loads on our behalf later (the shell, input methods).
// Only files that include windows.h use this header.
#pragma once

#include <windows.h>

namespace w32 {

// Called first thing in the process: later LoadLibrary calls without a
// full path search the system folder only, where the system supports it
// (Windows 8, or 7 with its update KB2533623), and never the current folder.
void RestrictDllSearch();

// Loads `name` (a file name such as L"dwmapi.dll") from the system folder:
// with LOAD_LIBRARY_SEARCH_SYSTEM32 where the system knows that flag, else
// by its full path in GetSystemDirectory. Null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

} // namespace w32
