// The modal dialog on Win32: the dialog manager builds the window from the
// template in the resources, and this procedure hands its two events to the
// core, which holds the logic: WM_INITDIALOG (bind the controls, run
// OnInitDialog) and button clicks (OK, Cancel, the Escape key and the close
// box arrive as IDOK/IDCANCEL; other buttons, check boxes and radio
// buttons as their id). The trackbar and the other items are reached
// through a few wrappers around their messages; texts cross in UTF-8.
//
// The dialog manager lays the template out at the DPI the dialog starts
// with. When the dialog moves to a monitor of another DPI, WM_DPICHANGED
// comes, and the dialog scales itself: every control's rectangle by the
// ratio of the two DPIs, the font made again for the new one, the frame
// as the system suggests. It does this itself on every Windows that sends
// the message, so the automatic scaling of Windows 10 (1703) is turned off
// where there is one: two scalings would compound. Rounding drifts by a
// pixel at most per move; a template is never laid out again.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_dpi.h"
#include "backends/win32/win32_wide.h"

namespace w32 {
namespace {

// What one run of the dialog holds besides the core's object: the DPI its
// layout is at and the font made for it (none until the first change).
struct DialogState {
    void* dlg = nullptr;
    int dpi = kBaseDpi;
    Font font;
};

void TurnOffSystemDpiScaling(HWND h)
{
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto proc = user32 ? reinterpret_cast<void (*)()>(::GetProcAddress(user32, "SetDialogDpiChangeBehavior")) : nullptr;
    if (proc) {
        constexpr int kDisableAll = 1; // DDC_DISABLE_ALL
        reinterpret_cast<SetBehaviorFn>(proc)(h, kDisableAll, kDisableAll);
    }
}

void ScaleDialog(HWND h, DialogState& state, int dpi, const RECT& suggested)
{
    if (dpi <= 0 || dpi == state.dpi)
        return;
    const int from = state.dpi;
    // The controls' font (the template's, or ours from the last change).
    // The dialog itself keeps the template's: the dialog manager deletes
    // the font it holds, and ours is deleted here.
    const HWND first = ::GetWindow(h, GW_CHILD);
    const HGDIOBJ current = first ? reinterpret_cast<HGDIOBJ>(::SendMessageW(first, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTW lf{};
    Font font;
    if (current && ::GetObjectW(current, sizeof lf, &lf) == int(sizeof lf))
        font = FontForDpi(lf, from, dpi);
    for (HWND child = ::GetWindow(h, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
        const int left = ::MulDiv(r.left, dpi, from), top = ::MulDiv(r.top, dpi, from);
        ::MoveWindow(child, left, top, ::MulDiv(r.right, dpi, from) - left, ::MulDiv(r.bottom, dpi, from) - top,
                     FALSE);
        if (font)
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    }
    if (font)
        state.font = std::move(font); // the old one of ours goes now that no control uses it
    state.dpi = dpi;
    ::SetWindowPos(h, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(h, nullptr, TRUE);
}

INT_PTR CALLBACK DialogProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(h, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<DialogState*>(lParam);
        ::SetWindowLongPtrW(h, DWLP_USER, lParam);
        state->dpi = WindowDpi(h);
        TurnOffSystemDpiScaling(h);
        // TRUE: the dialog manager gives the focus to the first control.
        return core::DialogInit(state->dlg, h) ? TRUE : FALSE;
    case WM_DPICHANGED:
        if (!state)
            return FALSE;
        ScaleDialog(h, *state, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (!state)
            return FALSE;
        // OK and Cancel come from buttons, keys and the close box alike;
        // any other control counts only when a button was clicked.
        if (id != IDOK && id != IDCANCEL && (code != BN_CLICKED || lParam == 0))
            return FALSE;
        int result = 0;
        if (core::DialogCommand(state->dlg, id, result))
            ::EndDialog(h, result);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

int RunModalDialog(void* dlg, unsigned templateId)
{
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&icc);
    DialogState state;
    state.dlg = dlg;
    // A Unicode dialog, so its edit box holds any folder name.
    const INT_PTR r = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                                        DialogProc, reinterpret_cast<LPARAM>(&state));
    return int(r);
}

Handle DialogItem(Handle hDlg, int id) { return ::GetDlgItem(hDlg, id); }

void SliderSetRange(Handle slider, int nMin, int nMax, bool redraw)
{
    ::SendMessageA(slider, TBM_SETRANGEMIN, FALSE, nMin);
    ::SendMessageA(slider, TBM_SETRANGEMAX, redraw ? TRUE : FALSE, nMax);
}

void SliderSetPos(Handle slider, int pos) { ::SendMessageA(slider, TBM_SETPOS, TRUE, pos); }

int SliderGetPos(Handle slider) { return int(::SendMessageA(slider, TBM_GETPOS, 0, 0)); }

std::string DialogItemText(Handle hDlg, int id)
{
    HWND item = ::GetDlgItem(hDlg, id);
    const int n = item ? ::GetWindowTextLengthW(item) : 0;
    if (n <= 0)
        return {};
    std::vector<wchar_t> buf(std::size_t(n) + 1, L'\0');
    const int got = ::GetWindowTextW(item, buf.data(), n + 1);
    return Narrow(buf.data(), std::size_t(got > 0 ? got : 0));
}

void SetDialogItemText(Handle hDlg, int id, const std::string& text)
{
    ::SetDlgItemTextW(hDlg, id, Widen(text).c_str());
}

bool DialogButtonChecked(Handle hDlg, int id) { return ::IsDlgButtonChecked(hDlg, id) == BST_CHECKED; }

void CheckDialogButton(Handle hDlg, int id, bool checked)
{
    ::CheckDlgButton(hDlg, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void EnableDialogItem(Handle hDlg, int id, bool enable)
{
    if (HWND item = ::GetDlgItem(hDlg, id))
        ::EnableWindow(item, enable ? TRUE : FALSE);
}

} // namespace w32
