// mosvik-pack: makes a saver from a picture and a message, or reports what
// a saver carries. Every failure prints one line and exits with status 2.
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "default_resources.h"
#include "document_writer.h"
#include "pack_error.h"
#include "pack_options.h"
#include "platform/exceptions.h"
#include "saver_file.h"
#include "saver_info.h"
#include "self_path.h"
#include "stored_picture.h"
#ifdef _WIN32
#include "win32/command_line.h"
#endif

namespace {

constexpr const char* kVersion = "1.0.0";

int Pack(const PackOptions& opt, const char* argv0)
{
    CheckOutput(opt.out, opt.picture ? &*opt.picture : nullptr);
    MessageStyle style;
    style.message = ToStoredText(opt.message ? *opt.message : DefaultMessageUtf8(), "the message", true);
    style.face = ToStoredText(opt.face, "the font face", false);
    if (std::size_t(style.face.GetLength()) > kMaxFaceLength)
        throw PackError("the font face is longer than " + std::to_string(kMaxFaceLength) + " characters: " + opt.face);
    if (const double points = EstimatedMessagePoints(style.message); points < kSmallestReadablePoints)
        std::fprintf(stderr,
                     "mosvik-pack: warning: on a 1024 x 768 screen the message would be drawn at about %.2g "
                     "points, too small to read (shorten its lines or use fewer lines)\n",
                     points);
    style.color = opt.color;
    style.bold = opt.bold;
    style.italic = opt.italic;

    const PictureFile input = opt.picture ? ReadPictureFile(*opt.picture) : DefaultPictureFile();
    const std::filesystem::path saver = opt.saver ? *opt.saver : DefaultSaverPath(argv0);
    std::error_code ec;
    if (!std::filesystem::exists(saver, ec))
        throw PackError("saver executable not found: " + saver.string() + (opt.saver ? "" : " (use --saver EXE)"));
    const StoredPicture picture = MakeStoredPicture(input, opt.maxSide);
    for (const std::string& w : picture.warnings)
        std::fprintf(stderr, "mosvik-pack: warning: %s\n", w.c_str());

    const std::vector<BYTE> document = BuildDocument(input.name, style, picture);
    WriteSaver(saver, opt.out, document);
    std::printf("%s: %d x %d picture (%s), %zu stream bytes\n", opt.out.string().c_str(), picture.width,
                picture.height, picture.lossless ? "flipped losslessly" : "encoded at quality 95",
                picture.stream.size());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
#ifdef _WIN32
        const std::vector<std::string> args = Utf8Arguments();
#else
        const std::vector<std::string> args(argv + 1, argv + argc);
#endif
        const PackOptions opt = ParsePackOptions(args);
        switch (opt.action) {
        case PackOptions::Action::help:
            std::fputs(PackUsage(), stdout);
            return 0;
        case PackOptions::Action::version:
            std::printf("mosvik-pack %s\n", kVersion);
            return 0;
        case PackOptions::Action::info:
            PrintSaverInfo(std::cout, ReadSaverInfo(opt.infoSaver));
            return 0;
        case PackOptions::Action::pack:
            return Pack(opt, argc > 0 ? argv[0] : nullptr);
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
