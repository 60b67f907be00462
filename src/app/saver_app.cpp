// Start-up of the application object: the settings, the embedded
// document, then one of the three run modes (a show first asks for the
// source of its pictures). Failures that leave no window
// to run are thrown to AfxWinMain, which turns them into the exit status.
// The window objects delete themselves once their window is gone; the
// process normally ends before that, so they are never freed by the app.
#include "app/saver_app.h"

#include <algorithm>
#include <memory>
#include <string>

#include "app/board_host_impl.h"
#include "app/saver_wnd.h"
#include "board/board_host.h"
#include "document/container.h"
#include "framework/file.h"
#include "framework/platform.h"
#include "resources/resource.h"
#include "resources/resources.h"

// Kept in the program for tools that read it as a file (never read here).
extern const char g_szSaverSignature[];
const char g_szSaverSignature[] = MOSVIK_SIGNATURE;

CSaverApp& GetSaverApp()
{
    static CSaverApp theApp;
    return theApp;
}

BOOL CSaverApp::InitInstance()
{
    // The board reaches the saver window, the speed and the pump through this.
    m_board.SetHost(&SaverBoardHost());

    // Three-dimensional dialog controls: every backend draws its own, so
    // there is nothing to switch on.
    LoadSettings();
    LoadDocument();

    if (m_command.mode == SaverCommand::Mode::Preview) {
        ChooseDocSource();
        StartPreview();
        return TRUE;
    }
    if (m_command.mode == SaverCommand::Mode::FullScreen) {
        ChooseDocSource();
        StartFullScreen();
        return TRUE;
    }
    m_bPreview = FALSE;
    RunConfigDialog();
    return FALSE;
}

int CSaverApp::ExitInstance() { return CWinApp::ExitInstance(); }

void CSaverApp::LoadSettings()
{
    SetRegistryKey(MOSVIK_REGISTRY_KEY);
    // A stored value outside the dialog's range is pulled into it: the
    // animation divides by the speed, so 0 must never reach it.
    m_nSpeed = std::clamp(GetProfileInt(kSpeedSection, kSpeedEntry, kDefaultSpeed), kMinSpeed, kMaxSpeed);
    m_pictures = ReadPictureSettings(*this);
}

void CSaverApp::ChooseDocSource()
{
    if (!m_pDocSource && m_makeDocSource)
        m_pDocSource = m_makeDocSource(m_pictures);
}

void CSaverApp::LoadDocument()
{
    CMemFile file(1024);
    ReadEmbeddedDocument(&file);
    file.Seek(0, CFile::begin);
    m_doc.Load(&file);
}

void CSaverApp::ReadEmbeddedDocument(CFile* pFile)
{
    ::ReadEmbeddedDocument(AfxGetPlatform().GetModuleFileName(), pFile);
}

namespace {
// A window object whose window could not be made: nothing refers to it any
// more once the application forgets it.
void DiscardWindow(CSaverApp& app, std::unique_ptr<CSaverWnd> pWnd)
{
    if (app.m_pSaverWnd == pWnd.get())
        app.m_pSaverWnd = nullptr;
}
} // namespace

void CSaverApp::StartPreview()
{
    m_bPreview = TRUE;
    IPlatform& platform = AfxGetPlatform();

    const char* text = m_command.handle ? m_command.handle->c_str() : nullptr;
    std::int64_t value = 0;
    if (!text || !ParsePreviewHandle(text, value))
        throw CStartupError(kExitBadPreviewParent,
                            std::string("preview needs the parent window's handle, got \"") + (text ? text : "") +
                                "\"");
    HWND hParent = nullptr;
    if (value != 0 && value >= INTPTR_MIN && value <= INTPTR_MAX)
        hParent = reinterpret_cast<HWND>(static_cast<std::intptr_t>(value));
    if (!hParent || !platform.IsWindow(hParent))
        throw CStartupError(kExitBadPreviewParent, "preview parent " + std::string(text) + " is not a window");

    RECT rc{};
    platform.GetClientRect(hParent, &rc);
    auto pWnd = std::make_unique<CSaverWnd>(TRUE);
    if (!pWnd->CreateSaver(0, WS_CHILD | WS_VISIBLE, rc, hParent)) {
        DiscardWindow(*this, std::move(pWnd));
        throw CStartupError(kExitNoWindow, "cannot create the preview window");
    }
    m_pMainWnd = pWnd.release(); // deletes itself once its window is gone
}

void CSaverApp::StartFullScreen()
{
    m_bPreview = FALSE;
    auto pWnd = std::make_unique<CFullScreenWnd>(TRUE);
    m_pFullScreenWnd = pWnd.get();
    if (!pWnd->CreateFullScreen()) {
        m_pFullScreenWnd = nullptr;
        DiscardWindow(*this, std::move(pWnd));
        throw CStartupError(kExitNoWindow, "cannot create the full-screen window");
    }
    m_pMainWnd = pWnd.release(); // deletes itself once its window is gone
}

CBitmap& CSaverApp::GetTileBitmap()
{
    if (!m_bmpTile.IsValid()) {
        std::vector<BYTE> dib = AfxGetPlatform().LoadBitmapResource(IDB_TILE);
        if (dib.empty())
            dib = res::BuiltinBitmap(IDB_TILE);
        m_bmpTile.LoadPackedDib(dib.data(), dib.size());
    }
    return m_bmpTile;
}
