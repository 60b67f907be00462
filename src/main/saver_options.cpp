// Reading the POSIX saver's command line: the run, the run's leading
// options by its grammar, each value checked with the message its option
// has always had, then the switch and the handle.
#include "main/saver_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "backends/headless/input_script.h"
#include "raster/surface.h"

namespace {

template <typename T>
bool ReadNumber(std::string_view s, T& v)
{
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && ptr == s.data() + s.size() && !s.empty();
}

void SetDisplay(HeadlessOptions& o, const std::string& value)
{
    try {
        o.monitors = ParseMonitorList(value);
    } catch (const MonitorLayoutError&) {
        throw OptionError("--headless needs WIDTHxHEIGHT[+X+Y][,...], got \"" + value + "\"");
    }
    const MonitorRect box = DesktopBox(o.monitors);
    o.width = box.width;
    o.height = box.height;
    if (o.width > HeadlessOptions::kMaxSide || o.height > HeadlessOptions::kMaxSide ||
        std::uint64_t(o.width) * std::uint64_t(o.height) > CSurface::kMaxPixels)
        throw OptionError("--headless size out of range: " + value + " (each side 1 to " +
                          std::to_string(HeadlessOptions::kMaxSide) + ", at most " +
                          std::to_string(CSurface::kMaxPixels) + " pixels)");
}

void SetHeadlessOption(HeadlessOptions& o, OptionId id, const std::string& value)
{
    switch (id) {
    case OptionId::Headless:
        SetDisplay(o, value);
        return;
    case OptionId::Clock:
        if (!ReadNumber(value, o.clockStart) || o.clockStart < 0 || o.clockStart > HeadlessOptions::kMaxClock)
            throw OptionError("--clock needs whole seconds, got \"" + value + "\"");
        return;
    case OptionId::Input:
        o.inputFile = value;
        return;
    case OptionId::Frames:
        o.framesDir = value;
        return;
    case OptionId::Fps:
        if (!ReadNumber(value, o.fps) || o.fps < 1 || o.fps > HeadlessOptions::kMaxFps)
            throw OptionError("--fps needs 1 to 1000, got \"" + value + "\"");
        return;
    case OptionId::FrameFd:
        if (!ReadNumber(value, o.frameFd) || o.frameFd < 0)
            throw OptionError("--frame-fd needs a file descriptor, got \"" + value + "\"");
        return;
    case OptionId::Record: {
        // Only WebP is written; another name would hide what the file holds.
        const std::size_t dot = value.rfind('.');
        std::string ext = dot == std::string::npos ? std::string() : value.substr(dot);
        for (char& c : ext)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (ext != ".webp")
            throw OptionError("--record writes an animated WebP: FILE must end in .webp, got \"" + value + "\"");
        o.recordFile = value;
        return;
    }
    case OptionId::StopAfter: {
        std::int64_t units = 0;
        if (!ParseSeconds(value, kMaxInputSeconds, units))
            throw OptionError("--stop-after needs seconds, got \"" + value + "\"");
        o.stopAfter = units;
        return;
    }
    case OptionId::ConfigAnswer:
        if (value == "cancel") {
            o.configOk = false;
            return;
        }
        // ok:POSITION, then optionally :FOLDER (which may hold colons itself).
        if (const std::size_t folderAt = value.find(':', 3);
            value.starts_with("ok:") &&
            ReadNumber(std::string_view(value).substr(3, folderAt == std::string::npos ? std::string::npos
                                                                                        : folderAt - 3),
                       o.configPosition)) {
            o.configOk = true;
            if (folderAt != std::string::npos)
                o.configFolder = value.substr(folderAt + 1);
            return;
        }
        throw OptionError("--config-answer needs ok:POSITION[:FOLDER] or cancel, got \"" + value + "\"");
    default:
        throw std::logic_error("not a headless option");
    }
}

// A whole number pulled into the option's range; beyond 64 bits it is the
// nearer end.
int ReadClamped(std::string_view text, const OptionRow& row)
{
    std::int64_t v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ptr != text.data() + text.size() ||
        (ec != std::errc() && ec != std::errc::result_out_of_range))
        throw OptionError("--" + std::string(row.name) + " needs a whole number, got \"" + std::string(text) + "\"");
    if (ec == std::errc::result_out_of_range)
        v = text[0] == '-' ? row.minimum : row.maximum;
    return int(std::clamp(v, row.minimum, row.maximum));
}

void SetX11Option(X11Options& o, const OptionRow& row, std::string_view value)
{
    auto setTarget = [&](X11Target t) {
        if (o.target != X11Target::Switch)
            throw OptionError("--root, --window-id and --window exclude each other");
        o.target = t;
    };
    switch (row.id) {
    case OptionId::Root:
        setTarget(X11Target::Root);
        return;
    case OptionId::Window:
        setTarget(X11Target::OwnWindow);
        return;
    case OptionId::WindowId: {
        setTarget(X11Target::WindowId);
        const auto id = ParseWindowId(value);
        if (!id)
            throw OptionError("--window-id needs a window id (decimal or 0x hex), got \"" + std::string(value) + "\"");
        o.windowId = *id;
        return;
    }
    case OptionId::Speed:
        o.speed = ReadClamped(value, row);
        return;
    default:
        throw std::logic_error("not an X11 option");
    }
}

// What the leading "--" words pick before any is read: --help and
// --version, answered whatever else is wrong; --headless, the headless
// run; --wayland and --x11, the desktop's. `foreign` gets the first option
// only the headless run takes.
struct RunChoice {
    bool headless = false, wayland = false, x11 = false;
    std::string foreign;
};

RunChoice ChooseRun(SaverOptions& o, std::span<const std::string> rest)
{
    RunChoice c;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& arg = rest[i];
        if (arg == "--" || !arg.starts_with("--"))
            break;
        const std::string_view body = std::string_view(arg).substr(2);
        const std::string_view name = body.substr(0, body.find('='));
        // A desktop option's value may be the next word ("--speed 3").
        if (const OptionRow* row = FindOption(name, kRunX11 | kRunWayland, OptionPlace::Leading);
            row && row->metavar && name.size() == body.size())
            ++i;
        if (const OptionRow* query = FindOption(body, kRunsPosix, OptionPlace::Query))
            (query->id == OptionId::Help ? o.help : o.version) = true;
        else if (name == OptionRowOf(OptionId::Headless).name)
            c.headless = true;
        else if (const OptionRow* choice = FindOption(body, kRunsPosix, OptionPlace::Choice))
            (choice->id == OptionId::Wayland ? c.wayland : c.x11) = true;
        else if (c.foreign.empty() && FindOption(name, kRunHeadless, OptionPlace::Leading) &&
                 !FindOption(name, kRunX11 | kRunWayland, OptionPlace::Leading))
            c.foreign = "--" + std::string(name);
    }
    return c;
}

void SetWaylandOption(WaylandOptions& o, const OptionRow& row, std::string_view value)
{
    switch (row.id) {
    case OptionId::Window:
        o.ownWindow = true;
        return;
    case OptionId::Speed:
        o.speed = ReadClamped(value, row);
        return;
    case OptionId::WaylandOutput:
        if (value.empty())
            throw OptionError("--wayland-output needs an output's name");
        o.output = std::string(value);
        return;
    default:
        throw std::logic_error("not a Wayland option");
    }
}

// Reads the run's leading options; returns where the switch stands (after
// a lone "--", which ends them too).
std::size_t ReadLeading(SaverOptions& o, std::span<const std::string> rest)
{
    const OptionGrammar& g = GrammarOf(o.run);
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string_view arg = rest[i];
        if (arg == "--")
            return i + 1;
        const bool twoDashes = arg.starts_with("--");
        if (!twoDashes && !(g.oneDash && arg.size() >= 2 && arg[0] == '-'))
            return i;
        const std::string_view body = arg.substr(twoDashes ? 2 : 1);
        const std::size_t eq = body.find('=');
        if (twoDashes && FindOption(body, kRunsPosix, OptionPlace::Choice))
            continue; // picked the run already
        const OptionRow* row = FindOption(body.substr(0, eq), o.run, OptionPlace::Leading);
        if (!row) {
            if (!twoDashes)
                return i; // "-s", "-p": the switch
            if (const OptionRow* x11 = FindOption(body.substr(0, eq), kRunX11, OptionPlace::Leading);
                x11 && o.run == kRunWayland)
                throw OptionError("--" + std::string(x11->name) + " draws into X windows: run with --x11");
            throw OptionError("unknown option " + std::string(arg) + g.unknownHint);
        }
        const std::string shown = "--" + std::string(row->name);
        std::optional<std::string_view> value;
        if (eq != std::string_view::npos)
            value = body.substr(eq + 1);
        if (row->metavar) {
            if (!value && g.valueApart && i + 1 < rest.size())
                value = rest[++i];
            if (!value || (value->empty() && !g.valueApart))
                throw OptionError(shown + " needs a value");
        } else if (value) {
            throw OptionError(shown + " takes no value");
        }
        if (o.run == kRunHeadless)
            SetHeadlessOption(o.headless, row->id, std::string(value.value_or("")));
        else if (o.run == kRunWayland)
            SetWaylandOption(o.wayland, *row, value.value_or(""));
        else
            SetX11Option(o.x11, *row, value.value_or(""));
    }
    return rest.size();
}

} // namespace

SaverOptions ParseSaverOptions(std::span<const std::string> args, unsigned built, bool waylandSession)
{
    SaverOptions o;
    std::vector<std::string> rest;
    static_cast<CommonOptions&>(o) = ReadCommonOptions(args, kRunsPosix, rest);
    const RunChoice choice = ChooseRun(o, rest);
    if (o.help || o.version)
        return o;
    if (choice.headless) {
        o.run = kRunHeadless;
    } else {
        if (!choice.foreign.empty())
            throw OptionError(choice.foreign + " needs --headless=WIDTHxHEIGHT");
        if (choice.wayland && choice.x11)
            throw OptionError("--wayland and --x11 exclude each other");
        const bool wayland = choice.wayland || (!choice.x11 && waylandSession && (built & kRunWayland));
        o.run = wayland ? kRunWayland : kRunX11;
        if (wayland && !(built & kRunWayland))
            throw OptionError("not built with Wayland support: run with --x11");
        if (!wayland && !(built & kRunX11))
            throw OptionError("not built with X11 support: use --headless=WIDTHxHEIGHT");
    }
    const std::size_t at = ReadLeading(o, rest);
    const char* sw = at < rest.size() ? rest[at].c_str() : nullptr;
    const char* next = at + 1 < rest.size() ? rest[at + 1].c_str() : nullptr;
    if (o.run == kRunX11 && o.x11.target != X11Target::Switch && sw)
        throw OptionError("--root, --window-id and --window take no switch, got \"" + std::string(sw) + "\"");
    if (o.run == kRunWayland && o.wayland.ownWindow && sw)
        throw OptionError("--window takes no switch, got \"" + std::string(sw) + "\"");
    o.command = SaverCommand::FromArguments(sw, next);
    return o;
}

bool WaylandSession(const char* waylandDisplay, const char* display)
{
    return waylandDisplay && *waylandDisplay && !(display && *display);
}
