// "Install as my screen saver" in the pack window: where the saver goes and
// how it becomes the user's screen saver. Windows side only (wide strings);
// failures throw std::runtime_error with a sentence for the user.
#pragma once

#include <string>

// The folder an installed saver goes into: the tool's own when the tool is
// a per-user install of Mosvik (its folder is the InstallLocation of
// HKCU\...\Uninstall\Mosvik), where the uninstaller also takes the saver
// away again; otherwise %LOCALAPPDATA%\Mosvik\Savers, made when missing.
// An install for everyone lives in a folder the user cannot write, so it
// takes the per-user folder too.
std::wstring SaverInstallFolder();

// The file name for a saver made from `picture` (a path, empty for the
// built-in picture): "Mosvik - <picture's name>.scr". The Screen Saver list
// shows a saver by its file name, and the saver keeps its setting under it.
std::wstring InstalledSaverName(const std::wstring& picture);

// Makes the saver at `path` the user's screen saver: SCRNSAVE.EXE (its short
// path where the volume has one) and ScreenSaveActive under
// HKCU\Control Panel\Desktop, then tells the system. The saver chosen
// before is kept once, as the installer keeps it, for the uninstaller to
// bring back; a saver of `path`'s folder does not count as one chosen before.
void MakeCurrentSaver(const std::wstring& path);
