// Hand-rolled option parsing: the tool has a dozen options and no
// dependency beyond the standard library is wanted for them.
#include "pack_options.h"

#include <algorithm>
#include <cctype>

#include "default_resources.h"
#include "pack_error.h"

namespace {

int ParseMaxSide(const std::string& text)
{
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        throw PackError("bad --max-side value: " + text);
    return std::stoi(text);
}

} // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

PackOptions ParsePackOptions(const std::vector<std::string>& args)
{
    PackOptions opt;
    opt.message.text = DefaultMessageUtf8();
    bool outGiven = false, infoGiven = false, optionsEnded = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg, inlineValue;
        bool hasInline = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
            hasInline = true;
        }
        auto value = [&]() -> std::string {
            if (hasInline)
                return inlineValue;
            if (i + 1 >= args.size())
                throw PackError("option " + name + " needs a value");
            return args[++i];
        };
        auto flag = [&]() {
            if (hasInline)
                throw PackError("option " + name + " takes no value");
        };
        if (name == "-o" || name == "--output") {
            if (outGiven)
                throw PackError("more than one output given (" + name + " repeated)");
            opt.out = PathFromUtf8(value());
            outGiven = true;
        } else if (name == "--message") {
            opt.message.text = value();
        } else if (name == "--font") {
            opt.message.face = value();
        } else if (name == "--color" || name == "--colour") {
            opt.message.colour = ParseColour(value());
        } else if (name == "--bold") {
            flag();
            opt.message.bold = 1;
        } else if (name == "--italic") {
            flag();
            opt.message.italic = 1;
        } else if (name == "--saver") {
            opt.saver = PathFromUtf8(value());
        } else if (name == "--max-side") {
            opt.maxSide = ParseMaxSide(value());
        } else if (name == "--info") {
            opt.infoSaver = PathFromUtf8(value());
            infoGiven = true;
        } else if (name == "--help" || name == "-h") {
            opt.action = PackOptions::Action::help;
            return opt;
        } else if (name == "--version") {
            opt.action = PackOptions::Action::version;
            return opt;
        } else {
            throw PackError("unknown option " + name + " (see mosvik-pack --help)");
        }
    }
    if (infoGiven) {
        if (outGiven || !positional.empty())
            throw PackError("--info takes only the saver to read");
        opt.action = PackOptions::Action::info;
        return opt;
    }
    if (positional.size() > 1)
        throw PackError("more than one picture given: " + positional[0] + ", " + positional[1]);
    if (positional.size() == 1)
        opt.picture = PathFromUtf8(positional[0]);
    if (!outGiven || opt.out.empty())
        throw PackError("no output given (use -o OUT; see mosvik-pack --help)");
    return opt;
}

const char* PackUsage()
{
    return "usage: mosvik-pack [PICTURE] -o OUT [options]\n"
           "       mosvik-pack --info SAVER\n"
           "\n"
           "Makes a Mosvik screen saver: a copy of the saver executable carrying the\n"
           "picture PICTURE (JPEG or PNG; the built-in default picture when omitted)\n"
           "and a closing message. A document the saver already carries is replaced.\n"
           "\n"
           "  -o, --output OUT    the saver to write (replaced atomically; never the picture,\n"
           "                      a link, a device or a FIFO)\n"
           "  --message TEXT      closing message, UTF-8, Windows-1252 characters only,\n"
           "                      no control characters but line breaks\n"
           "                      (default: the built-in message; \"\" for none)\n"
           "  --font FACE         font face of the message (default Arial, at most 31\n"
           "                      characters)\n"
           "  --color #RRGGBB     message colour (default #FFFF00)\n"
           "  --bold, --italic    message style\n"
           "  --saver EXE         saver executable to copy (default: mosvik beside this tool;\n"
           "                      mosvik.scr on Windows)\n"
           "  --max-side N        largest picture side in pixels (default 2048, at most 16384);\n"
           "                      larger pictures are scaled down, a longer side below 256\n"
           "                      is enlarged to 256\n"
           "  --info SAVER        print what a saver carries\n"
           "  --help, --version\n"
           "\n"
           "Exit status: 0 on success, 2 on any error (the output is then left untouched).\n";
}
