// The pack window: the picture (typed, browsed or dropped), the message,
// the face (system font chooser), the colour (system colour chooser), bold
// and italic, a preview of the whole-picture screen and the message screen,
// and "Save saver as...". Controls are made in code, not from a dialog
// resource, so the tool needs no .rc; the window has a dialog's keyboard
// handling through IsDialogMessage. The preview draws with the same GDI
// calls and the same screen arithmetic as the saver, over a plain
// background instead of the saver's tile.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <exception>
#include <new>
#include <string>

#include "backends/win32/win32_wide.h"
#include "pack_gui.h"

namespace {

enum : int {
    kPicturePath = 101,
    kBrowse,
    kMessage,
    kFont,
    kFace,
    kColour,
    kBold,
    kItalic,
    kStatus,
    kSave,
};

constexpr int kWidth = 640, kHeight = 530;
constexpr RECT kPictureScreen{10, 186, 310, 411}, kMessageScreen{330, 186, 630, 411};
constexpr COLORREF kBackground = RGB(52, 60, 52);

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

// A GDI font owned for a scope.
class ScopedFont {
public:
    explicit ScopedFont(const LOGFONTW& lf) : m_font(CreateFontIndirectW(&lf)) {}
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;
    ~ScopedFont()
    {
        if (m_font)
            DeleteObject(m_font);
    }
    HFONT Get() const { return m_font; }

private:
    HFONT m_font;
};

class PackWindow {
public:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Create();
    HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h);
    void OnCommand(int id, int code);
    void LoadPicture();
    void ChooseFace();
    void ChooseColour();
    void Save();
    void Status(const std::wstring& text) { SetDlgItemTextW(m_hwnd, kStatus, text.c_str()); }
    GuiRequest Request() const;
    void PaintPreview(HDC dc);
    void PaintMessage(HDC dc, const RECT& screen);

    HWND m_hwnd = nullptr;
    HWND m_focus = nullptr; // the control that had the keyboard when the window was left
    GuiRequest m_request;
    GuiPicture m_picture;
    std::wstring m_loadedPath = L"\x1"; // differs from every path, so the first load happens
    std::wstring m_pictureError;
    COLORREF m_custom[16] = {};
};

HWND PackWindow::Child(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h)
{
    HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

void PackWindow::Create()
{
    Child(L"STATIC", L"&Picture:", 0, -1, 10, 14, 65, 20);
    Child(L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kPicturePath, 80, 10, 440, 24);
    Child(L"BUTTON", L"&Browse...", WS_TABSTOP | BS_PUSHBUTTON, kBrowse, 530, 10, 100, 24);
    Child(L"STATIC", L"&Message:", 0, -1, 10, 48, 65, 20);
    HWND message = Child(L"EDIT", L"", WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                         kMessage, 80, 44, 550, 90);
    SetWindowTextW(message, L"Happy birthday!");
    Child(L"BUTTON", L"&Font...", WS_TABSTOP | BS_PUSHBUTTON, kFont, 80, 144, 90, 26);
    Child(L"STATIC", Wide(m_request.message.face, CP_UTF8).c_str(), SS_LEFTNOWORDWRAP, kFace, 178, 150, 150, 20);
    Child(L"BUTTON", L"&Colour...", WS_TABSTOP | BS_PUSHBUTTON, kColour, 335, 144, 90, 26);
    Child(L"BUTTON", L"B&old", WS_TABSTOP | BS_AUTOCHECKBOX, kBold, 440, 148, 70, 20);
    Child(L"BUTTON", L"&Italic", WS_TABSTOP | BS_AUTOCHECKBOX, kItalic, 520, 148, 70, 20);
    Child(L"STATIC", L"Choose a picture (or drop one here), write the message, then save the saver.", 0, kStatus, 10,
          420, 620, 64);
    Child(L"BUTTON", L"&Save saver as...", WS_TABSTOP | BS_DEFPUSHBUTTON, kSave, 480, 490, 150, 28);
    DragAcceptFiles(m_hwnd, TRUE);
    LoadPicture();
    m_focus = GetDlgItem(m_hwnd, kPicturePath);
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
    InvalidateRect(m_hwnd, &kPictureScreen, FALSE);
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
    InvalidateRect(m_hwnd, &kMessageScreen, FALSE);
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
    InvalidateRect(m_hwnd, &kMessageScreen, FALSE);
}

void PackWindow::Save()
{
    LoadPicture();
    if (!m_pictureError.empty())
        return; // the status line already says why
    const std::wstring file = AskForFile(m_hwnd, true, L"Screen savers (*.scr)\0*.scr\0", L"my-saver.scr",
                                         OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);
    if (file.empty())
        return;
    try {
        std::vector<std::string> warnings;
        const std::string done = GuiPack(Request(), Utf8(file), warnings);
        std::wstring text = L"Saved " + Wide(done, CP_UTF8) +
                            L".\r\nTo use it, right-click the file and choose Install (or copy it into C:\\Windows).";
        for (const std::string& w : warnings)
            text += L"\r\nNote: " + Wide(w, CP_UTF8);
        Status(text);
    } catch (const std::bad_alloc&) {
        Status(L"Nothing was written: out of memory.");
    } catch (const std::exception& e) {
        Status(L"Nothing was written: " + Wide(e.what(), CP_UTF8));
    }
}

void PackWindow::PaintMessage(HDC dc, const RECT& screen)
{
    std::string stored;
    try {
        stored = GuiStoredText(Request().message.text, true);
    } catch (const std::exception& e) {
        Status(L"The message cannot be stored: " + Wide(e.what(), CP_UTF8));
        return;
    }
    const std::wstring text = Wide(stored, 1252);
    const int W = screen.right - screen.left, H = screen.bottom - screen.top;
    RECT t{screen.left + W / 8, screen.top + H / 8, screen.right - W / 8, screen.bottom - H / 8};
    LOGFONTW lf{};
    const std::wstring face = Wide(m_request.message.face, CP_UTF8);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    lf.lfHeight = -MulDiv(100, dpi, 720); // 10 points
    RECT m = t;
    {
        ScopedFont measure(lf);
        HGDIOBJ old = SelectObject(dc, measure.Get());
        DrawTextW(dc, text.c_str(), int(text.size()), &m, DT_CALCRECT | DT_NOCLIP);
        SelectObject(dc, old);
    }
    if (m.right <= m.left || m.bottom <= m.top)
        return; // the saver shows no message screen either
    const int size = GuiFitMessageSize(t.right - t.left, t.bottom - t.top, m.right - m.left, m.bottom - m.top);
    lf.lfHeight = -MulDiv(size, dpi, 720);
    lf.lfWeight = IsDlgButtonChecked(m_hwnd, kBold) == BST_CHECKED ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = IsDlgButtonChecked(m_hwnd, kItalic) == BST_CHECKED;
    ScopedFont font(lf);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, font.Get());
    const COLORREF oldColour = SetTextColor(dc, m_request.message.colour);
    DrawTextW(dc, text.c_str(), int(text.size()), &t, DT_CENTER | DT_NOCLIP);
    SetTextColor(dc, oldColour);
    SelectObject(dc, old);
    SetBkMode(dc, oldMode);
}

void PackWindow::PaintPreview(HDC dc)
{
    HBRUSH background = CreateSolidBrush(kBackground);
    FillRect(dc, &kPictureScreen, background);
    FillRect(dc, &kMessageScreen, background);
    DeleteObject(background);

    if (m_picture.width > 0) {
        const RECT& s = kPictureScreen;
        const GuiRect r = GuiPictureRect(s.right - s.left, s.bottom - s.top, m_picture.width, m_picture.height);
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = m_picture.width;
        bmi.bmiHeader.biHeight = m_picture.height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 24;
        bmi.bmiHeader.biCompression = BI_RGB;
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, s.left + r.left, s.top + r.top, r.right - r.left, r.bottom - r.top, 0, 0, m_picture.width,
                      m_picture.height, m_picture.bits.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    }
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, kMessageScreen.left, kMessageScreen.top, kMessageScreen.right, kMessageScreen.bottom);
    PaintMessage(dc, kMessageScreen);
    RestoreDC(dc, saved);
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
            InvalidateRect(m_hwnd, &kMessageScreen, FALSE);
        break;
    case kFont: ChooseFace(); break;
    case kColour: ChooseColour(); break;
    case kBold:
    case kItalic: InvalidateRect(m_hwnd, &kMessageScreen, FALSE); break;
    case kSave: Save(); break;
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
        PaintPreview(dc);
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
    RECT frame{0, 0, kWidth, kHeight};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    PackWindow window;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Make a Mosvik saver", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, &window);
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
