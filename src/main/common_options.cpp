// Reading --monitor and the picture options. The picture values are
// checked as they are met, so the first bad one is the one reported.
#include "main/common_options.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "document/message_style.h"
#include "main/option_table.h"

namespace fs = std::filesystem;

namespace {

// A path from the command line's UTF-8 (on Windows the narrow form would
// be the ANSI code page's).
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

void SetPictureOption(PictureOptions& o, OptionId id, const std::string& value)
{
    std::error_code ec;
    switch (id) {
    case OptionId::Picture:
        if (value.empty() || fs::is_directory(PathOf(value), ec))
            throw OptionError("--picture needs a picture file, not a directory: \"" + value + "\"");
        o.file = PathOf(value);
        break;
    case OptionId::PictureDir:
        if (!fs::is_directory(PathOf(value), ec))
            throw OptionError("--picture-dir needs a directory: \"" + value + "\"");
        o.dir = PathOf(value);
        break;
    case OptionId::Message:
        o.message.text = ToStoredText(value, "the message", true);
        o.given |= PictureOptions::kText;
        break;
    case OptionId::Font:
        o.message.face = ToStoredFace(value);
        o.given |= PictureOptions::kFace;
        break;
    case OptionId::Color:
        o.message.colour = ParseColour(value);
        o.given |= PictureOptions::kColour;
        break;
    case OptionId::Bold:
        o.message.bold = 1;
        o.given |= PictureOptions::kBold;
        break;
    case OptionId::Italic:
        o.message.italic = 1;
        o.given |= PictureOptions::kItalic;
        break;
    default:
        throw std::logic_error("not a picture option");
    }
}

} // namespace

CommonOptions ReadCommonOptions(std::span<const std::string> args, unsigned runs, std::vector<std::string>& rest)
{
    CommonOptions o;
    rest.clear();
    std::size_t i = 1;
    if (args.size() > 1 && args[1].starts_with("--")) {
        const std::string_view arg = args[1];
        const std::size_t eq = arg.find('=');
        const OptionRow* row = FindOption(arg.substr(2, eq - 2), runs, OptionPlace::FirstArgument);
        if (row && eq != std::string_view::npos) {
            o.monitor = ParseMonitorOption(arg.substr(eq + 1));
            i = 2;
        }
    }
    if (!args.empty())
        o.given.push_back(args[0]);
    o.given.insert(o.given.end(), args.begin() + std::ptrdiff_t(std::min(i, args.size())), args.end());

    for (; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const std::size_t eq = arg.find('=');
        const OptionRow* row =
            arg.starts_with("--") ? FindOption(arg.substr(2, eq == std::string_view::npos ? eq : eq - 2), runs,
                                               OptionPlace::Anywhere)
                                  : nullptr;
        // A flag is taken only as its bare name ("--bold=x" is no flag).
        if (!row || (!row->metavar && eq != std::string_view::npos)) {
            rest.push_back(args[i]);
            continue;
        }
        std::string value;
        if (eq != std::string_view::npos)
            value = arg.substr(eq + 1);
        else if (row->metavar && i + 1 < args.size())
            value = args[++i];
        else if (row->metavar)
            throw OptionError("--" + std::string(row->name) + " needs " + row->metavar);
        SetPictureOption(o.pictures, row->id, value);
    }
    if (!o.pictures.file.empty() && !o.pictures.dir.empty())
        throw OptionError("--picture and --picture-dir cannot be used together");
    return o;
}
