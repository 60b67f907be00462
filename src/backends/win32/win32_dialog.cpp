// The modal dialog on Win32: the dialog manager builds the window from the
// template in the resources, and this procedure hands its two events to the
// core, which holds the logic: WM_INITDIALOG (bind the controls, run
// OnInitDialog) and button clicks (OK, Cancel, the Escape key and the close
// box arrive as IDOK/IDCANCEL; other buttons as their id). The trackbar is
// reached through a few wrappers around its messages.
#include <windows.h>
#include <commctrl.h>

#include "backends/win32/win32_api.h"

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
    const INT_PTR r = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr,
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

} // namespace w32
