// mosvik-pack: makes a saver from a picture and a message, or reports what
// a saver carries. Every failure prints one line and exits with status 2.
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "pack_error.h"
#include "pack_options.h"
#include "pack_run.h"
#include "framework/exceptions.h"
#include "resources/resource.h"
#include "saver_info.h"
#ifdef _WIN32
#include "win32/command_line.h"
#include "win32/pack_gui.h"
#endif

int main(int argc, char** argv)
{
    try {
#ifdef _WIN32
        const std::vector<std::string> args = Utf8Arguments();
        if (args.empty())
            return RunPackWindow(); // double-clicked: the window instead of a usage error
#else
        const std::vector<std::string> args(argv + 1, argv + argc);
#endif
        const PackOptions opt = ParsePackOptions(args);
        switch (opt.action) {
        case PackOptions::Action::help:
            std::fputs(PackUsage(), stdout);
            return 0;
        case PackOptions::Action::version:
            std::printf("mosvik-pack %s\n", MOSVIK_VERSION_STRING);
            return 0;
        case PackOptions::Action::info:
            PrintSaverInfo(std::cout, ReadSaverInfo(opt.infoSaver));
            return 0;
        case PackOptions::Action::pack:
            std::puts(PackSaver(opt, argc > 0 ? argv[0] : nullptr, [](const std::string& w) {
                          std::fprintf(stderr, "mosvik-pack: warning: %s\n", w.c_str());
                      }).c_str());
            return 0;
        }
    } catch (const PackError& e) {
        std::fprintf(stderr, "mosvik-pack: %s\n", e.what());
    } catch (const CException& e) {
        std::fprintf(stderr, "mosvik-pack: %s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "mosvik-pack: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik-pack: %s\n", e.what());
    }
    return 2;
}
