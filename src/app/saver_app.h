// CSaverApp: the saver's one application object. Start-up reads the speed
// setting, loads the jigsaw document embedded in the executable and then,
// by the command line's switch, opens the full-screen window, the preview window
// or the configuration dialog. It also holds what the windows and the board
// share: the speed, the preview flag, the current saver window, the
// background tile, the document and the show's board cut from it.
// AfxWinMain is the process entry the backends call.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "app/command_line.h"
#include "app/picture_settings.h"
#include "board/jigsaw_board.h"
#include "document/jigsaw_doc.h"
#include "raster/dc.h"
#include "framework/wnd.h"

class CFile;
class CFullScreenWnd;
class IDocumentSource;
class CSaverWnd;

// Section, entry and default of the speed setting; the range the dialog
// produces and start-up enforces.
inline constexpr const char* kSpeedSection = "MOSVIK";
inline constexpr const char* kSpeedEntry = "Speed";
constexpr int kDefaultSpeed = 8;
constexpr int kMinSpeed = 1;
constexpr int kMaxSpeed = 64;

class CSaverApp : public CWinApp {
public:
    CSaverApp() = default;
    ~CSaverApp() override = default;

    BOOL InitInstance() override;
    int ExitInstance() override;

    void RunConfigDialog();
    CBitmap& GetTileBitmap();
    // Copies the document appended to the running executable into pFile.
    void ReadEmbeddedDocument(CFile* pFile);

    CFullScreenWnd* m_pFullScreenWnd = nullptr;
    CSaverWnd* m_pSaverWnd = nullptr;
    std::string m_strWndClass;
    int m_nSpeed = kDefaultSpeed;
    CJigsawDoc m_doc;
    CJigsawBoard m_board{m_doc}; // after m_doc: the board reads it
    BOOL m_bPreview = FALSE;
    CBitmap m_bmpTile;
    // Installed by a backend before AfxWinMain; not owned. None: every
    // cycle shows the embedded document.
    IDocumentSource* m_pDocSource = nullptr;
    SaverCommand m_command; // set by AfxWinMain
    // The saver's own picture setting, read at start-up with the speed.
    PictureSettings m_pictures;
    // Installed by the composition root before AfxWinMain when no source
    // is: asked once, as a show (full screen or preview) starts, for the
    // source that follows the picture setting. It keeps what it makes
    // until the process ends; null leaves the embedded document.
    std::function<IDocumentSource*(const PictureSettings&)> m_makeDocSource;

private:
    void LoadSettings();
    void ChooseDocSource();
    void LoadDocument();
    void StartPreview();
    void StartFullScreen();
};

// The process's application object (made on first use, destroyed at exit).
CSaverApp& GetSaverApp();

// A start-up failure that ends the process with its status and one line on
// stderr (no window could be opened, no usable preview parent).
class CStartupError : public std::runtime_error {
public:
    CStartupError(int status, const std::string& what) : std::runtime_error(what), m_nStatus(status) {}
    int Status() const { return m_nStatus; }

private:
    int m_nStatus;
};

// Exit statuses of start-up failures.
constexpr int kExitNoDocument = 2;
constexpr int kExitNoWindow = 3;
constexpr int kExitBadPreviewParent = 4;

// The process entry: runs start-up for the command the entry point read
// and, when a saver window opened, the message loop. Returns the process
// status.
int AfxWinMain(const SaverCommand& command);
