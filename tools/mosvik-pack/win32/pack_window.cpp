// The pack window: the picture (typed, browsed or dropped), the message,
// the face (system font chooser), the colour (system colour chooser), bold
// and italic, a preview of the whole-picture screen and the message screen
// (pack_preview.cpp), "Save saver as..." and "Install as my screen saver"
// (saver_install.cpp). Controls are made in code from one table, not from
// a dialog resource; the window has a dialog's keyboard handling through
// IsDialogMessage. The table is written at 96 DPI and laid out again at the
// window's DPI whenever it changes (the tool is per-monitor DPI aware:
// mosvik-pack.manifest), controls and font alike.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "backends/win32/win32_dpi.h"
#include "backends/win32/win32_wide.h"
#include "pack_gui.h"
#include "pack_preview.h"
#include "saver_install.h"

namespace {

enum : int {
    kPictureLabel = 100,
    kPicturePath,
    kBrowse,
    kMessageLabel,
    kMessage,
    kFont,
    kFace,
    kColour,
    kBold,
    kItalic,
    kStatus,
    kInstall,
    kSave,
};

// The controls, in tab order, with their rectangles at 96 DPI.
struct ControlSpec {
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    int id;
    RECT r; // left, top, right, bottom
};
constexpr DWORD kTab = WS_TABSTOP;
const ControlSpec kControls[] = {
    {L"STATIC", L"&Picture:", 0, kPictureLabel, {10, 14, 75, 34}},
    {L"EDIT", L"", kTab | WS_BORDER | ES_AUTOHSCROLL, kPicturePath, {80, 10, 520, 34}},
    {L"BUTTON", L"&Browse...", kTab | BS_PUSHBUTTON, kBrowse, {530, 10, 630, 34}},
    {L"STATIC", L"&Message:", 0, kMessageLabel, {10, 48, 75, 68}},
    {L"EDIT", L"Happy birthday!", kTab | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
     kMessage, {80, 44, 630, 134}},
    {L"BUTTON", L"&Font...", kTab | BS_PUSHBUTTON, kFont, {80, 144, 170, 170}},
    {L"STATIC", L"", SS_LEFTNOWORDWRAP, kFace, {178, 150, 328, 170}},
    {L"BUTTON", L"&Colour...", kTab | BS_PUSHBUTTON, kColour, {335, 144, 425, 170}},
    {L"BUTTON", L"B&old", kTab | BS_AUTOCHECKBOX, kBold, {440, 148, 510, 168}},
    {L"BUTTON", L"&Italic", kTab | BS_AUTOCHECKBOX, kItalic, {520, 148, 590, 168}},
    {L"STATIC", L"Choose a picture (or drop one here), write the message, then save the saver.", 0, kStatus,
     {10, 420, 630, 484}},
    {L"BUTTON", L"I&nstall as my screen saver", kTab | BS_PUSHBUTTON, kInstall, {290, 490, 470, 518}},
    {L"BUTTON", L"&Save saver as...", kTab | BS_DEFPUSHBUTTON, kSave, {480, 490, 630, 518}},
};
constexpr SIZE kClient{640, 530};
constexpr RECT kPictureScreen{10, 186, 310, 411}, kMessageScreen{330, 186, 630, 411};
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::wstring Wide(const std::string& text, UINT codePage) { return w32::Widen(text, codePage); }

std::string Utf8(const std::wstring& text) { return w32::Narrow(text); }

std::wstring WindowText(HWND h)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(h, text.data(), int(text.size()))));
    return text;
}

// The system's open or save dialog; the chosen path, empty when cancelled.
std::wstring AskForFile(HWND owner, bool save, const wchar_t* filter, const wchar_t* suggested, DWORD flags)
{
    wchar_t file[MAX_PATH] = L"";
    lstrcpynW(file, suggested, MAX_PATH);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = flags | OFN_NOCHANGEDIR;
    if (save) {
        ofn.lpstrDefExt = L"scr";
        ofn.lpstrTitle = L"Save saver as";
    }
    return (save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) ? std::wstring(file) : std::wstring();
}

class PackWindow {
public:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Create();
    void Layout(int dpi);
    void OnCommand(int id, int code);
    void LoadPicture();
    void ChooseFace();
    void ChooseColour();
    // The saver written to `file` from the window's request; the status
    // line says what happened. True when it was written.
    bool Write(const std::wstring& file, const std::wstring& done);
    void Save();
    void Install();
    void Status(const std::wstring& text) { SetDlgItemTextW(m_hwnd, kStatus, text.c_str()); }
    GuiRequest Request() const;
    void PaintMessage(HDC dc);

    HWND m_hwnd = nullptr;
    HWND m_focus = nullptr; // the control that had the keyboard when the window was left
    int m_dpi = w32::kBaseDpi;
    w32::Font m_font; // the controls' font at m_dpi
    RECT m_pictureScreen = kPictureScreen, m_messageScreen = kMessageScreen;
    GuiRequest m_request;
    GuiPicture m_picture;
    std::wstring m_loadedPath = L"\x1"; // differs from every path, so the first load happens
    std::wstring m_pictureError;
    COLORREF m_custom[16] = {};
};

void PackWindow::Create()
{
    for (const ControlSpec& c : kControls)
        CreateWindowExW(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, 0, 0, 0, 0, m_hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleW(nullptr), nullptr);
    SetDlgItemTextW(m_hwnd, kFace, Wide(m_request.message.face, CP_UTF8).c_str());
    Layout(w32::WindowDpi(m_hwnd));
    const SIZE frame = w32::FrameForClient(SIZE{w32::ScaleForDpi(kClient.cx, m_dpi), w32::ScaleForDpi(kClient.cy, m_dpi)},
                                           kStyle, 0, m_dpi);
    SetWindowPos(m_hwnd, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    DragAcceptFiles(m_hwnd, TRUE);
    LoadPicture();
    m_focus = GetDlgItem(m_hwnd, kPicturePath);
}

void PackWindow::Layout(int dpi)
{
    m_dpi = dpi;
    w32::Font font = w32::StockFontForDpi(GetStockObject(DEFAULT_GUI_FONT), dpi);
    for (const ControlSpec& c : kControls) {
        const RECT r = w32::ScaleForDpi(c.r, dpi);
        const HWND child = GetDlgItem(m_hwnd, c.id);
        MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    }
    m_font = std::move(font); // the old font goes once no control uses it
    m_pictureScreen = w32::ScaleForDpi(kPictureScreen, dpi);
    m_messageScreen = w32::ScaleForDpi(kMessageScreen, dpi);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

GuiRequest PackWindow::Request() const
{
    GuiRequest r = m_request;
    r.picture = Utf8(WindowText(GetDlgItem(m_hwnd, kPicturePath)));
    // The edit control keeps line breaks as CR LF; the saver's text uses them too.
    r.message.text = Utf8(WindowText(GetDlgItem(m_hwnd, kMessage)));
    r.message.bold = IsDlgButtonChecked(m_hwnd, kBold) == BST_CHECKED;
    r.message.italic = IsDlgButtonChecked(m_hwnd, kItalic) == BST_CHECKED;
    return r;
}

void PackWindow::LoadPicture()
{
    const std::wstring path = WindowText(GetDlgItem(m_hwnd, kPicturePath));
    if (path == m_loadedPath)
        return;
    m_loadedPath = path;
    m_picture = {};
    m_pictureError.clear();
    try {
        m_picture = GuiLoadPicture(Utf8(path));
        Status(path.empty() ? L"No picture chosen: the saver gets the built-in picture." : L"Picture: " + path);
    } catch (const std::bad_alloc&) {
        m_pictureError = L"The picture is too large to load (out of memory).";
    } catch (const std::exception& e) {
        m_pictureError = L"This picture cannot be used: " + Wide(e.what(), CP_UTF8);
    }
    if (!m_pictureError.empty())
        Status(m_pictureError);
    InvalidateRect(m_hwnd, &m_pictureScreen, FALSE);
}

void PackWindow::ChooseFace()
{
    LOGFONTW lf{};
    const std::wstring face = Wide(m_request.message.face, CP_UTF8);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    lf.lfWeight = IsDlgButtonChecked(m_hwnd, kBold) == BST_CHECKED ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = IsDlgButtonChecked(m_hwnd, kItalic) == BST_CHECKED;
    lf.lfCharSet = DEFAULT_CHARSET;
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = m_hwnd;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS;
    if (!ChooseFontW(&cf))
        return;
    m_request.message.face = Utf8(lf.lfFaceName);
    SetDlgItemTextW(m_hwnd, kFace, lf.lfFaceName);
    CheckDlgButton(m_hwnd, kBold, lf.lfWeight >= FW_SEMIBOLD ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hwnd, kItalic, lf.lfItalic ? BST_CHECKED : BST_UNCHECKED);
    InvalidateRect(m_hwnd, &m_messageScreen, FALSE);
}

void PackWindow::ChooseColour()
{
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = m_hwnd;
    cc.rgbResult = m_request.message.colour;
    cc.lpCustColors = m_custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&cc))
        return;
    m_request.message.colour = cc.rgbResult;
    InvalidateRect(m_hwnd, &m_messageScreen, FALSE);
}

bool PackWindow::Write(const std::wstring& file, const std::wstring& done)
{
    try {
        std::vector<std::string> warnings;
        const std::string line = GuiPack(Request(), Utf8(file), warnings);
        std::wstring text = L"Saved " + Wide(line, CP_UTF8) + L".\r\n" + done;
        for (const std::string& w : warnings)
            text += L"\r\nNote: " + Wide(w, CP_UTF8);
        Status(text);
        return true;
    } catch (const std::bad_alloc&) {
        Status(L"Nothing was written: out of memory.");
    } catch (const std::exception& e) {
        Status(L"Nothing was written: " + Wide(e.what(), CP_UTF8));
    }
    return false;
}

void PackWindow::Save()
{
    LoadPicture();
    if (!m_pictureError.empty())
        return; // the status line already says why
    const std::wstring file = AskForFile(m_hwnd, true, L"Screen savers (*.scr)\0*.scr\0", L"my-saver.scr",
                                         OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);
    if (!file.empty())
        Write(file, L"To use it, right-click the file and choose Install (or copy it into C:\\Windows).");
}

void PackWindow::Install()
{
    LoadPicture();
    if (!m_pictureError.empty())
        return;
    std::wstring file;
    try {
        file = SaverInstallFolder() + L"\\" + InstalledSaverName(WindowText(GetDlgItem(m_hwnd, kPicturePath)));
    } catch (const std::exception& e) {
        Status(L"Nothing was written: " + Wide(e.what(), CP_UTF8));
        return;
    }
    if (!Write(file, L"It is now your screen saver."))
        return;
    try {
        MakeCurrentSaver(file);
    } catch (const std::exception& e) {
        Status(L"Saved " + file + L", but it could not be made your screen saver: " + Wide(e.what(), CP_UTF8));
    }
}

void PackWindow::PaintMessage(HDC dc)
{
    std::string stored;
    try {
        stored = GuiStoredText(Request().message.text, true);
    } catch (const std::exception& e) {
        Status(L"The message cannot be stored: " + Wide(e.what(), CP_UTF8));
        return;
    }
    PaintMessagePreview(dc, m_messageScreen, Wide(stored, 1252), Request(), m_dpi);
}

void PackWindow::OnCommand(int id, int code)
{
    switch (id) {
    case kBrowse: {
        const std::wstring file = AskForFile(
            m_hwnd, false, L"Pictures (*.jpg, *.jpeg, *.png)\0*.jpg;*.jpeg;*.png\0All files\0*.*\0", L"",
            OFN_FILEMUSTEXIST);
        if (!file.empty()) {
            SetDlgItemTextW(m_hwnd, kPicturePath, file.c_str());
            LoadPicture();
        }
        break;
    }
    case kPicturePath:
        if (code == EN_KILLFOCUS)
            LoadPicture();
        break;
    case kMessage:
        if (code == EN_CHANGE)
            InvalidateRect(m_hwnd, &m_messageScreen, FALSE);
        break;
    case kFont: ChooseFace(); break;
    case kColour: ChooseColour(); break;
    case kBold:
    case kItalic: InvalidateRect(m_hwnd, &m_messageScreen, FALSE); break;
    case kSave: Save(); break;
    case kInstall: Install(); break;
    case IDCANCEL: DestroyWindow(m_hwnd); break;
    }
}

LRESULT PackWindow::Handle(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        Create();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_DPICHANGED: {
        // The system suggests the frame for the new DPI; the controls follow.
        Layout(LOWORD(wp));
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        SetWindowPos(m_hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_ACTIVATE:
        // As a dialog does: the keyboard goes back to the control that had it.
        if (LOWORD(wp) == WA_INACTIVE) {
            if (HWND focus = GetFocus(); focus && IsChild(m_hwnd, focus))
                m_focus = focus;
        } else if (m_focus) {
            SetFocus(m_focus);
        }
        return 0;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wp);
        wchar_t file[MAX_PATH] = L"";
        if (DragQueryFileW(drop, 0, file, MAX_PATH) > 0) {
            SetDlgItemTextW(m_hwnd, kPicturePath, file);
            LoadPicture();
        }
        DragFinish(drop);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        PaintPicturePreview(dc, m_pictureScreen, m_picture);
        PaintMessage(dc);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(m_hwnd, msg, wp, lp);
}

LRESULT CALLBACK PackWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<PackWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PackWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace

int RunPackWindow()
{
    // Started from a double click, the console Windows made for the tool
    // is its alone: let it go. Started from a console, keep it.
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PackWindow::Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"MosvikPack";
    if (!RegisterClassExW(&wc))
        return 2;
    // Made at 96 DPI; WM_CREATE sizes it for the DPI of the monitor it is on.
    const SIZE frame = w32::FrameForClient(kClient, kStyle, 0, w32::kBaseDpi);
    PackWindow window;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Make a Mosvik saver", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.cx, frame.cy, nullptr, nullptr, instance, &window);
    if (!hwnd)
        return 2;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
