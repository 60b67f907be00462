// The modal dialog on Win32: the dialog manager builds the window from the
// template in the resources, and this procedure hands its two events to the
// core, which holds the logic: WM_INITDIALOG (bind the controls, run
// OnInitDialog) and button clicks (OK, Cancel, the Escape key and the close
// box arrive as IDOK/IDCANCEL; other buttons, check boxes and radio
// buttons as their id). The trackbar and the other items are reached
// through a few wrappers around their messages; texts cross in UTF-8.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_wide.h"

namespace w32 {
namespace {

INT_PTR CALLBACK DialogProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrA(h, DWLP_USER, lParam);
        // TRUE: the dialog manager gives the focus to the first control.
        return core::DialogInit(reinterpret_cast<void*>(lParam), h) ? TRUE : FALSE;
    case WM_COMMAND: {
        void* dlg = reinterpret_cast<void*>(::GetWindowLongPtrA(h, DWLP_USER));
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (!dlg)
            return FALSE;
        // OK and Cancel come from buttons, keys and the close box alike;
        // any other control counts only when a button was clicked.
        if (id != IDOK && id != IDCANCEL && (code != BN_CLICKED || lParam == 0))
            return FALSE;
        int result = 0;
        if (core::DialogCommand(dlg, id, result))
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
    // A Unicode dialog, so its edit box holds any folder name.
    const INT_PTR r = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                                        DialogProc, reinterpret_cast<LPARAM>(dlg));
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
