// The Windows saver's command line, read once with the option table: the
// options every platform reads (--monitor, the picture options), then the
// switch and the handle. The headless and X11 options are not Windows
// options: like any other word they are taken for the switch (so the
// configuration dialog opens) or, after it, left unread.
// Trade-off: a bad option is one line on stderr and status 1, as it has
// always been for --monitor; a saver run by the system is never given one.
#include "main/win_start.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

#include "app/saver_app.h"
#include "backends/win32/win32_platform.h"
#include "disk_pictures/disk_pictures.h"
#include "main/common_options.h"
#include "main/picture_choice.h"
#include "main/option_table.h"

int StartWindowsSaver(const std::vector<std::string>& args) noexcept
{
    try {
        CommonOptions options;
        SaverCommand command;
        try {
            std::vector<std::string> rest;
            options = ReadCommonOptions(args, kRunWin32, rest);
            command = SaverCommand::FromArguments(rest.size() > 0 ? rest[0].c_str() : nullptr,
                                                  rest.size() > 1 ? rest[1].c_str() : nullptr);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "mosvik: %s\n", e.what());
            return 1;
        }
        // The pictures: the command line's, else the folder of the saver's
        // setting (Windows starts a saver with /s alone, so that is where a
        // folder comes from); chosen as a show starts. The application
        // object is made only once the platform is.
        auto choosePictures = [&options] {
            InstallPictureChoice(GetSaverApp(), std::move(options.pictures), nullptr);
        };
        return w32::core::RunSaver(command, options.monitor, options.given, choosePictures);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "mosvik: unexpected failure\n");
    }
    return 1;
}
