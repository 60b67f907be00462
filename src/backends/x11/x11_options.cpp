// Parsing the X11 backend's options from the table in x11_options.h.
#include "backends/x11/x11_options.h"

#include <algorithm>
#include <charconv>

namespace {

// "--name", "-name", "--name=value" or "-name=value": the name and, when
// written with '=', the value. False when `arg` has no dash or names
// nothing of ours (for one dash: then it is the saver's switch).
bool SplitOption(std::string_view arg, std::string_view& name, std::optional<std::string_view>& value, bool& doubleDash)
{
    if (arg.size() < 2 || arg[0] != '-')
        return false;
    doubleDash = arg[1] == '-';
    std::string_view body = arg.substr(doubleDash ? 2 : 1);
    const std::size_t eq = body.find('=');
    name = body.substr(0, eq);
    value.reset();
    if (eq != std::string_view::npos)
        value = body.substr(eq + 1);
    return true;
}

std::int64_t ParseSpeed(std::string_view text, const X11OptionSpec& option)
{
    std::int64_t v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ptr != text.data() + text.size() ||
        (ec != std::errc() && ec != std::errc::result_out_of_range))
        throw X11OptionError("--" + std::string(option.name) + " needs a whole number, got \"" + std::string(text) +
                             "\"");
    if (ec == std::errc::result_out_of_range)
        v = text[0] == '-' ? option.minimum : option.maximum;
    return std::clamp(v, option.minimum, option.maximum);
}

} // namespace

const X11OptionSpec* FindX11Option(std::string_view name)
{
    for (const X11OptionSpec& option : kX11Options) {
        if (name == option.name)
            return &option;
    }
    return nullptr;
}

std::optional<std::uint64_t> ParseWindowId(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    const X11OptionSpec* option = FindX11Option("window-id");
    if (v < std::uint64_t(option->minimum) || v > std::uint64_t(option->maximum))
        return std::nullopt;
    return v;
}

X11Options ParseX11Options(int& argc, char** argv)
{
    X11Options o;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        std::string_view name;
        std::optional<std::string_view> value;
        bool doubleDash = false;
        if (!SplitOption(arg, name, value, doubleDash))
            break;
        const X11OptionSpec* option = FindX11Option(name);
        if (!option) {
            if (!doubleDash)
                break; // "-s", "-p", "-c": the saver's switch
            throw X11OptionError("unknown option " + std::string(arg) + " (see mosvik --help)");
        }
        const std::string shown = "--" + std::string(option->name);
        if (option->metavar && !value) {
            if (i + 1 >= argc)
                throw X11OptionError(shown + " needs a value");
            value = std::string_view(argv[++i]);
        } else if (!option->metavar && value) {
            throw X11OptionError(shown + " takes no value");
        }
        auto setTarget = [&](X11Target t) {
            if (o.target != X11Target::Switch)
                throw X11OptionError("--root, --window-id and --window exclude each other");
            o.target = t;
        };
        switch (option->id) {
        case X11Option::Root:
            setTarget(X11Target::Root);
            break;
        case X11Option::OwnWindow:
            setTarget(X11Target::OwnWindow);
            break;
        case X11Option::WindowId: {
            setTarget(X11Target::WindowId);
            const auto id = ParseWindowId(*value);
            if (!id)
                throw X11OptionError(shown + " needs a window id (decimal or 0x hex), got \"" + std::string(*value) +
                                     "\"");
            o.windowId = *id;
            break;
        }
        case X11Option::Speed:
            o.speed = int(ParseSpeed(*value, *option));
            break;
        }
    }
    // Keep argv[0] and everything from the first non-option on.
    const int removed = i - 1;
    for (int k = 1; k + removed < argc; ++k)
        argv[k] = argv[k + removed];
    argc -= removed;
    argv[argc] = nullptr;
    return o;
}

std::string X11Usage()
{
    std::string text;
    for (const X11OptionSpec& option : kX11Options) {
        std::string left = "  --" + std::string(option.name);
        if (option.metavar)
            left += " " + std::string(option.metavar);
        if (left.size() < 27)
            left.resize(27, ' ');
        else
            left += "  ";
        text += left + option.help + "\n";
    }
    text += "  With none of --root, --window-id and --window the switch decides; for p the HANDLE\n"
            "  is an X window id in decimal. Without a switch the configuration dialog opens.\n"
            "  SIGTERM and SIGINT end the saver with status 0.\n";
    return text;
}
