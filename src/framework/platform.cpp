// The process's platform pointer and the defaults of its services: the
// tick sleep, the bitmap-resource lookup (none: the caller takes the
// built-in copy) and the start-up failure report.
#include "framework/platform.h"
#include "framework/tick.h"

#include <cstdio>
#include <cstdlib>


namespace {
IPlatform* g_pPlatform = nullptr;
}

IPlatform& AfxGetPlatform()
{
    if (!g_pPlatform) {
        std::fprintf(stderr, "mosvik: no platform\n");
        std::abort();
    }
    return *g_pPlatform;
}

void AfxSetPlatform(IPlatform* platform) { g_pPlatform = platform; }

void IPlatform::SleepUntilTick(DWORD tick)
{
    if (const DWORD ahead = TicksUntil(tick, GetTickCount()))
        Sleep(ahead);
}

std::vector<BYTE> IPlatform::LoadBitmapResource(UINT) { return {}; }

void IPlatform::ReportStartupFailure(const std::string& text)
{
    std::fprintf(stderr, "mosvik: %s\n", text.c_str());
    std::fflush(stderr);
}
