// The seam inside the Win32 backend. windows.h and the core's own headers
// cannot meet in one translation unit (both define DWORD, RECT, TRUE, the
// WM_ numbers...), so the backend is split: files that include windows.h
// implement the functions of namespace w32, files that include the core
// implement w32::core, and this header, which includes neither, is all they
// share. Handles travel as HWND__* (the same type on both sides); the core
// objects behind windows and dialogs travel as void*. Names here avoid the
// ones windows.h turns into macros (PeekMessage, GetProfileInt, ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct HWND__;

namespace w32 {

using Handle = HWND__*;

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct Msg {
    Handle hwnd = nullptr;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::uint32_t time = 0;
    std::int32_t ptX = 0, ptY = 0;
};

// The fields of a logical font, as the core describes it.
struct FontDesc {
    std::int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
    std::uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
    std::uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
    char faceName[32] = {}; // Windows-1252, NUL-terminated
    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

// --- Process, time and display (win32_system.cpp, win32_clock.cpp) ---
std::string ModuleFileName();
// The millisecond tick count (1 ms steps, wrapping) and sleeps that wake at
// their instant; while sleeping, sent messages and a posted WM_CLOSE are
// delivered, nothing else.
std::uint32_t TickCount();
void SleepMs(std::uint32_t ms);
void SleepUntilTick(std::uint32_t tick);
void ScreenSize(std::int32_t& cx, std::int32_t& cy);
int LogPixelsY();
// Blocks until the display's next refresh (the compositor's flush), or
// until 16 ms after the previous call where there is no compositor.
void WaitForRefresh();
// Bitmap resource `id` of the executable as a packed DIB; false if absent.
bool LoadBitmapBytes(unsigned id, std::vector<std::uint8_t>& dib);
// A modal error box with the saver's name as its caption (UTF-8 text).
void ShowErrorBox(const std::string& text);
// The scale of the monitor that shows window `h`, as dots per inch (96 at
// 100 %): the window's own DPI where the system tells it, else the system's
// (win32_dpi.cpp).
int WindowDpi(Handle h);

// --- Windows, messages, timers, presentation (win32_window.cpp) ---
// Creates a saver window whose messages go to w32::core::WindowMessage with
// `owner`; null when it cannot be made or WM_CREATE answered -1.
Handle CreateSaverWindow(void* owner, std::uint32_t exStyle, std::uint32_t style, const Rect& rc, Handle parent);
bool DestroyWin(Handle h);
bool IsWin(Handle h);
bool ClientRect(Handle h, Rect& rc);
bool PeekMsg(Msg& msg);
int GetMsg(Msg& msg); // >0 message, 0 WM_QUIT, <0 failure
void TranslateMsg(const Msg& msg);
std::intptr_t DispatchMsg(const Msg& msg);
std::intptr_t DefProc(Handle h, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
void PostQuit(int code);
std::uintptr_t SetWinTimer(Handle h, std::uintptr_t id, std::uint32_t elapse);
bool KillWinTimer(Handle h, std::uintptr_t id);
// Copies the rectangle `rc` of a top-down 32-bit image (width x height
// pixels, rows packed) to the same place in the window's client area.
void PresentPixels(Handle h, const std::uint32_t* pixels, int width, int height, const Rect& rc);

// --- Several monitors (win32_monitors.cpp) ---
// The monitors' rectangles in physical pixels, the primary one first.
std::vector<Rect> Monitors();
// The full-screen window of one monitor's show; one that does not take the
// focus is shown without being activated and stays above the taskbar.
Handle CreateMonitorWindow(void* owner, std::uint32_t exStyle, std::uint32_t style, const Rect& rc, bool takesFocus);
// Runs the saver once per argument vector (argv[0] included), in a job
// that dies with this process; the first show to end ends the others.
// Returns that show's exit status, or -1 when no show could be started.
int RunShows(const std::vector<std::vector<std::string>>& shows);

// --- Text through GDI (win32_gdi_text.cpp) ---
// Text arrives in Windows-1252 and is drawn without prefix processing.
void MeasureText(const FontDesc& font, const char* text, std::size_t len, std::int32_t& cx, std::int32_t& cy);
// Renders white-on-black into an offscreen bitmap covering `box` (and, when
// noClip, the text's overhang beyond it) and returns the coverage: `maskRc`
// in the caller's coordinates, `alpha` row-major top row first.
void RenderText(const FontDesc& font, const char* text, std::size_t len, bool center, bool noClip, const Rect& box,
                Rect& maskRc, std::vector<std::uint8_t>& alpha);

// --- Setting and shell (win32_registry.cpp, win32_system.cpp) ---
// HKCU\Software\<registryKey>\<appName>\<section>, keys created on first
// access (reading included); `nDefault` when the value cannot be read as a
// 32-bit number.
int ReadProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                  const char* entry, int nDefault);
bool StoreProfileInt(const std::string& registryKey, const std::string& appName, const char* section,
                     const char* entry, int value);
// A text entry (REG_SZ, UTF-16 in the registry, UTF-8 here); false when it
// is missing or not a string.
bool ReadProfileText(const std::string& registryKey, const std::string& appName, const char* section,
                     const char* entry, std::string& value);
bool StoreProfileText(const std::string& registryKey, const std::string& appName, const char* section,
                      const char* entry, const std::string& value);
bool FindProgramFor(const std::string& file, std::string& program);
void OpenWithProgram(const std::string& program, const char* verb, const char* parameters);

// --- Modal dialog (win32_dialog.cpp) ---
// Runs dialog template `templateId` modally; its events go to the
// w32::core::Dialog* hooks with `dlg`. Returns the code passed to EndDialog
// (-1 when the dialog could not be made).
int RunModalDialog(void* dlg, unsigned templateId);
Handle DialogItem(Handle hDlg, int id);
void SliderSetRange(Handle slider, int nMin, int nMax, bool redraw);
void SliderSetPos(Handle slider, int pos);
int SliderGetPos(Handle slider);
// Items by id: texts in UTF-8, check boxes and radio buttons, enabling.
std::string DialogItemText(Handle hDlg, int id);
void SetDialogItemText(Handle hDlg, int id, const std::string& text);
bool DialogButtonChecked(Handle hDlg, int id);
void CheckDialogButton(Handle hDlg, int id, bool checked);
void EnableDialogItem(Handle hDlg, int id, bool enable);

// --- Folder picker (win32_folder_picker.cpp) ---
// The shell's folder dialog over `owner`, starting in `initial` (UTF-8);
// false when the user cancels or it cannot be shown.
bool PickFolder(Handle owner, const std::string& title, const std::string& initial, std::string& folder);

// --- Implemented by the core side (win32_platform.cpp). Never throw. ---
namespace core {
// Every message of a saver window. `paint` is the update rectangle while a
// WM_PAINT is being dispatched (between BeginPaint and EndPaint), else null.
std::intptr_t WindowMessage(void* owner, Handle h, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam, const Rect* paint) noexcept;
// WM_INITDIALOG: binds the controls and runs OnInitDialog; its result.
bool DialogInit(void* dlg, Handle hDlg) noexcept;
// A button: routes it; true when the dialog has ended, with its result.
bool DialogCommand(void* dlg, int id, int& result) noexcept;
} // namespace core

} // namespace w32
