// Message dispatch through message maps, the per-message guard, the
// handle map, the application object's loop and profile functions, and
// the dialog's items.
#include "framework/wnd.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <unordered_map>

#include "framework/exceptions.h"

namespace {
// The framework's permanent handle map: which object owns which window.
std::unordered_map<HWND, CWnd*>& HandleMap()
{
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

CWinApp* g_pApp = nullptr;
} // namespace

CWnd::~CWnd()
{
    if (m_hWnd) {
        HandleMap().erase(m_hWnd);
        m_hWnd = nullptr;
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = HandleMap().find(hWnd);
    return it == HandleMap().end() ? nullptr : it->second;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT& rc, HWND hWndParent)
{
    HWND h = AfxGetPlatform().CreateWindow(this, dwExStyle, dwStyle, rc, hWndParent);
    if (!h)
        return FALSE;
    if (!m_hWnd) {
        m_hWnd = h;
        HandleMap()[h] = this;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? AfxGetPlatform().DestroyWindow(m_hWnd) : FALSE;
}

BOOL CWnd::IsWindow() const { return m_hWnd && AfxGetPlatform().IsWindow(m_hWnd); }

void CWnd::GetClientRect(RECT* rc) const
{
    if (!m_hWnd || !AfxGetPlatform().GetClientRect(m_hWnd, rc))
        *rc = RECT{};
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC proc)
{
    return AfxGetPlatform().SetTimer(m_hWnd, nIDEvent, nElapse, proc);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return AfxGetPlatform().KillTimer(m_hWnd, nIDEvent); }

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    static const AFX_MSGMAP map{nullptr, nullptr, 0};
    return &map;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap) {
        for (std::size_t i = 0; i < map->nCount; ++i) {
            if (map->lpEntries[i].nMessage == message)
                return map->lpEntries[i].pfn(this, wParam, lParam);
        }
    }
    return Default();
}

LRESULT CWnd::Default() { return AfxGetPlatform().DefWindowProc(m_hWnd, m_nMsg, m_wParam, m_lParam); }

LRESULT CWnd::OnMessageGuarded(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd) {
        // The first message (WM_CREATE) arrives before CreateEx returns.
        m_hWnd = hWnd;
        HandleMap()[hWnd] = this;
    }
    // Handlers nest (a cycle pumps messages inside OnTimer): keep the outer
    // message for Default().
    UINT oldMsg = m_nMsg;
    WPARAM oldW = m_wParam;
    LPARAM oldL = m_lParam;
    m_nMsg = message;
    m_wParam = wParam;
    m_lParam = lParam;
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (const CUserException&) {
        result = 0; // the silent user exception: nothing shown, message returns 0
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        AfxGetPlatform().Exit(1);
    }
    m_nMsg = oldMsg;
    m_wParam = oldW;
    m_lParam = oldL;
    if (message == WM_NCDESTROY) {
        HandleMap().erase(hWnd);
        m_hWnd = nullptr;
        PostNcDestroy(); // may delete this
    }
    return result;
}

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }

int CWinApp::Run()
{
    IPlatform& p = AfxGetPlatform();
    MSG msg;
    while (p.GetMessage(&msg)) {
        p.TranslateMessage(&msg);
        p.DispatchMessage(&msg);
    }
    return ExitInstance();
}

int CWinApp::GetProfileInt(const char* section, const char* entry, int nDefault)
{
    return AfxGetPlatform().GetProfileInt(m_strRegistryKey, m_strAppName, section, entry, nDefault);
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    return AfxGetPlatform().WriteProfileInt(m_strRegistryKey, m_strAppName, section, entry, value);
}

std::optional<std::string> CWinApp::GetProfileString(const char* section, const char* entry)
{
    return AfxGetPlatform().GetProfileString(m_strRegistryKey, m_strAppName, section, entry);
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const std::string& value)
{
    return AfxGetPlatform().WriteProfileString(m_strRegistryKey, m_strAppName, section, entry, value);
}

std::string AppNameFromPath(const std::string& path)
{
    std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

void CSliderCtrl::SetRange(int nMin, int nMax, BOOL bRedraw)
{
    m_nMin = nMin;
    m_nMax = nMax;
    SetPos(m_nPos);
    if (m_pPeer)
        m_pPeer->SetRange(nMin, nMax, bRedraw);
}

void CSliderCtrl::SetPos(int nPos)
{
    // The control keeps its position inside its range.
    m_nPos = nPos < m_nMin ? m_nMin : nPos > m_nMax ? m_nMax : nPos;
    if (m_pPeer)
        m_pPeer->SetPos(m_nPos);
}

int CSliderCtrl::GetPos() const { return m_pPeer ? m_pPeer->GetPos() : m_nPos; }

int CDialog::DoModal() { return AfxGetPlatform().RunDialog(*this, m_nIDTemplate); }

std::string CDialog::GetDlgItemText(UINT nID) const
{
    if (m_pItems)
        return m_pItems->GetText(nID);
    auto it = m_items.find(nID);
    return it == m_items.end() ? std::string() : it->second.text;
}

void CDialog::SetDlgItemText(UINT nID, const std::string& text)
{
    m_items[nID].text = text;
    if (m_pItems)
        m_pItems->SetText(nID, text);
}

UINT CDialog::IsDlgButtonChecked(UINT nID) const
{
    if (m_pItems)
        return m_pItems->IsChecked(nID) ? 1 : 0;
    auto it = m_items.find(nID);
    return it != m_items.end() && it->second.checked ? 1 : 0;
}

void CDialog::CheckDlgButton(UINT nID, UINT nCheck)
{
    m_items[nID].checked = nCheck != 0;
    if (m_pItems)
        m_pItems->SetChecked(nID, nCheck != 0);
}

void CDialog::CheckRadioButton(UINT nIDFirst, UINT nIDLast, UINT nIDCheck)
{
    for (std::uint64_t id = nIDFirst; id <= nIDLast; ++id)
        CheckDlgButton(UINT(id), id == nIDCheck ? 1 : 0);
}

void CDialog::EnableDlgItem(UINT nID, BOOL bEnable)
{
    m_items[nID].enabled = bEnable != FALSE;
    if (m_pItems)
        m_pItems->Enable(nID, bEnable != FALSE);
}

BOOL CDialog::IsDlgItemEnabled(UINT nID) const
{
    auto it = m_items.find(nID);
    return it == m_items.end() || it->second.enabled ? TRUE : FALSE;
}

std::optional<std::string> CDialog::PickFolder(const std::string& initial)
{
    return m_pItems ? m_pItems->PickFolder(initial) : std::nullopt;
}
