// The window framework stand-in: CWnd with message maps (a derived map is
// searched before its base), the per-message guard that absorbs the silent
// user exception, timers, and the application object CWinApp with its main
// window, message loop and profile functions.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "framework/cstring.h"
#include "framework/object.h"
#include "framework/platform.h"
#include "framework/types.h"

class CWnd;

// One message-map entry: the message and a thunk that calls the handler.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    LRESULT (*pfn)(CWnd* pWnd, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
    std::size_t nCount;
};

class CWnd : public CObject {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    BOOL CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT& rc, HWND hWndParent);
    virtual BOOL DestroyWindow();
    BOOL IsWindow() const;
    void GetClientRect(RECT* rc) const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC proc);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // The backend's entry point for every message of this window: runs
    // WindowProc inside the per-message guard. The silent user exception is
    // absorbed (the message returns 0); any other failure ends the process
    // with a line on stderr and status 1, since unwinding through the
    // platform's dispatcher is not allowed.
    LRESULT OnMessageGuarded(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    static CWnd* FromHandlePermanent(HWND hWnd);

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled.
    LRESULT Default();
    // After WM_NCDESTROY: the window is gone.
    virtual void PostNcDestroy() {}

private:
    UINT m_nMsg = 0;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
};

class CWinApp : public CObject {
public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }
    // The message loop: runs until WM_QUIT, then ExitInstance.
    virtual int Run();

    void SetRegistryKey(const char* key) { m_strRegistryKey = key; }
    int GetProfileInt(const char* section, const char* entry, int nDefault);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    // Text entries (UTF-8); nothing when the entry is missing.
    std::optional<std::string> GetProfileString(const char* section, const char* entry);
    BOOL WriteProfileString(const char* section, const char* entry, const std::string& value);

    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;     // executable file name without extension
    std::string m_strRegistryKey;
};

CWinApp* AfxGetApp();
// Sets m_strAppName from the executable path (file name, extension dropped).
std::string AppNameFromPath(const std::string& path);

// Modal dialogs. The backend builds the window from the template, binds
// the controls (DDX_Control), attaches its items, calls OnInitDialog, and
// routes the buttons: IDOK to OnOK, IDCANCEL to OnCancel, any other
// (check boxes and radio buttons included) to OnCommand.
class CSliderCtrl;

// The backend's side of a running dialog: its items by id (the texts of
// buttons and edit boxes in UTF-8, the states of check boxes and radio
// buttons, whether an item takes input) and the folder picker it offers.
class IDialogItems {
public:
    virtual ~IDialogItems() = default;
    virtual std::string GetText(UINT nID) const = 0;
    virtual void SetText(UINT nID, const std::string& text) = 0;
    virtual bool IsChecked(UINT nID) const = 0;
    virtual void SetChecked(UINT nID, bool checked) = 0;
    virtual void Enable(UINT nID, bool enable) = 0;
    // Lets the user choose a folder, starting at `initial` (UTF-8); nothing
    // when the user cancels or the backend has no picker.
    virtual std::optional<std::string> PickFolder(const std::string& initial) = 0;
};

class ISliderPeer {
public:
    virtual ~ISliderPeer() = default;
    virtual void SetRange(int nMin, int nMax, BOOL bRedraw) = 0;
    virtual void SetPos(int nPos) = 0;
    virtual int GetPos() const = 0;
};

// A trackbar: keeps its range and position (the position always inside the
// range) and mirrors them to the backend's control when bound.
class CSliderCtrl : public CObject {
public:
    void Attach(ISliderPeer* peer) { m_pPeer = peer; }
    void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE);
    void GetRange(int& nMin, int& nMax) const { nMin = m_nMin; nMax = m_nMax; }
    int GetRangeMin() const { return m_nMin; }
    int GetRangeMax() const { return m_nMax; }
    void SetPos(int nPos);
    int GetPos() const;

private:
    ISliderPeer* m_pPeer = nullptr;
    int m_nMin = 0, m_nMax = 100, m_nPos = 0;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}
    virtual int DoModal();
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // A button other than OK and Cancel; false when nothing handles it.
    virtual BOOL OnCommand(UINT nID) { return FALSE; }
    // Binds a control of the template to its peer in the backend.
    virtual void BindControl(UINT nID, ISliderPeer* peer) {}
    void EndDialog(int nResult) { m_nResult = nResult; m_bEnded = true; }
    bool IsEnded() const { return m_bEnded; }
    int GetResult() const { return m_nResult; }
    UINT GetTemplateId() const { return m_nIDTemplate; }

    // The items while the backend's window lives (null detaches them).
    void AttachItems(IDialogItems* items) { m_pItems = items; }
    // The framework's item functions. The dialog keeps what it set, so one
    // run without a backend window (headless, tests) reads back the same;
    // with a window attached, reading asks the window.
    std::string GetDlgItemText(UINT nID) const;
    void SetDlgItemText(UINT nID, const std::string& text);
    UINT IsDlgButtonChecked(UINT nID) const;
    void CheckDlgButton(UINT nID, UINT nCheck);
    // Checks nIDCheck and clears the other radio buttons nIDFirst..nIDLast.
    void CheckRadioButton(UINT nIDFirst, UINT nIDLast, UINT nIDCheck);
    void EnableDlgItem(UINT nID, BOOL bEnable);
    BOOL IsDlgItemEnabled(UINT nID) const;
    std::optional<std::string> PickFolder(const std::string& initial);

private:
    struct Item {
        std::string text;
        bool checked = false;
        bool enabled = true;
    };

    UINT m_nIDTemplate;
    int m_nResult = IDCANCEL;
    bool m_bEnded = false;
    IDialogItems* m_pItems = nullptr;
    std::map<UINT, Item> m_items;
};
