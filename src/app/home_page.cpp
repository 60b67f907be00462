// The home-page button: the shell is asked which program opens a local
// ".htm" file (the user's browser), and that program is started with the
// maker's host name. The probe file is made only when none exists and is
// removed again only when it was made here; a file appearing between the
// check and the creation is not guarded against.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/config_dlg.h"
#include "framework/platform.h"
#include "resources/resource.h"

void CConfigDlg::OnHomePage()
{
    const std::string name = "aaa.htm"; // relative to the current directory
    bool bCreated = false;
    if (std::FILE* f = std::fopen(name.c_str(), "rb")) {
        std::fclose(f);
    } else {
        // A file that exists but cannot be read is someone else's: it is
        // neither truncated nor deleted.
        std::error_code ec;
        if (!std::filesystem::exists(name, ec) && !ec) {
            if (std::FILE* g = std::fopen(name.c_str(), "wb")) {
                std::fclose(g);
                bCreated = true;
            }
        }
    }

    IPlatform& platform = AfxGetPlatform();
    std::string program;
    if (platform.FindExecutable(name, program))
        platform.ShellExecute(program, "open", MOSVIK_HOMEPAGE_HOST);

    if (bCreated)
        std::remove(name.c_str());
}
