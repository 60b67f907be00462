// The core's part of the Windows entry, declared without the core's
// headers so that win_main.cpp (which includes windows.h) can call it.
#pragma once

// Once the platform is set, before the saver runs: its pictures follow the
// saver's setting (Windows starts a saver with /s alone, so a folder can
// only come from there).
void PrepareWindowsSaver();
