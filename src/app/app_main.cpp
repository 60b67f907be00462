// AfxWinMain: the entry the backends call once the platform is set. It runs
// start-up and the message loop and turns a start-up failure into one line
// on stderr and a non-zero status; no window is left behind then.
#include <cstdio>
#include <exception>
#include <string>

#include "app/saver_app.h"
#include "platform/exceptions.h"
#include "platform/platform.h"

int AfxWinMain(int argc, char** argv)
{
    CSaverApp& app = GetSaverApp();
    app.m_argc = argc;
    app.m_argv = argv;
    const std::string exePath = AfxGetPlatform().GetModuleFileName();
    app.m_strAppName = AppNameFromPath(exePath);

    BOOL bRun = FALSE;
    try {
        bRun = app.InitInstance();
    } catch (const CFileException& e) {
        std::fprintf(stderr, "mosvik: no picture document in %s: %s\n", exePath.c_str(), e.what());
        return kExitNoDocument;
    } catch (const CArchiveException& e) {
        std::fprintf(stderr, "mosvik: unreadable picture document in %s: %s\n", exePath.c_str(), e.what());
        return kExitNoDocument;
    } catch (const CStartupError& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return e.Status();
    } catch (const std::exception& e) {
        // Anything else (memory, a picture too large to hold): same as a
        // failure inside a message handler.
        std::fprintf(stderr, "mosvik: %s\n", e.what());
        return 1;
    }
    if (bRun)
        return app.Run();
    app.ExitInstance();
    return 0;
}
