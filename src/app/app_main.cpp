// AfxWinMain: the entry the backends call once the platform is set. It runs
// start-up and the message loop and turns a start-up failure into one
// report through the platform (a line on stderr, and where stderr is not
// seen, whatever the backend shows instead) and a non-zero status; no
// window is left behind then.
#include <exception>
#include <string>

#include "app/saver_app.h"
#include "framework/exceptions.h"
#include "framework/platform.h"

int AfxWinMain(const SaverCommand& command)
{
    CSaverApp& app = GetSaverApp();
    app.m_command = command;
    const std::string exePath = AfxGetPlatform().GetModuleFileName();
    app.m_strAppName = AppNameFromPath(exePath);

    BOOL bRun = FALSE;
    try {
        bRun = app.InitInstance();
    } catch (const CFileException& e) {
        AfxGetPlatform().ReportStartupFailure("no picture document in " + exePath + ": " + e.what());
        return kExitNoDocument;
    } catch (const CArchiveException& e) {
        AfxGetPlatform().ReportStartupFailure("unreadable picture document in " + exePath + ": " + e.what());
        return kExitNoDocument;
    } catch (const CStartupError& e) {
        AfxGetPlatform().ReportStartupFailure(e.what());
        return e.Status();
    } catch (const std::exception& e) {
        // Anything else (memory, a picture too large to hold): same as a
        // failure inside a message handler.
        AfxGetPlatform().ReportStartupFailure(e.what());
        return 1;
    }
    if (bRun)
        return app.Run();
    app.ExitInstance();
    return 0;
}
