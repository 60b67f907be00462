// Parsing the headless backend's options.
#include "backends/headless/headless_options.h"

#include <cctype>
#include <charconv>
#include <vector>

#include "backends/headless/input_script.h"
#include "raster/surface.h"

namespace {

constexpr std::string_view kNames[] = {"--headless", "--clock",      "--input",        "--frames",
                                       "--fps",      "--record",     "--stop-after",   "--config-answer",
                                       "--frame-fd"};

template <typename T>
bool ParseNumber(std::string_view s, T& v)
{
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && ptr == s.data() + s.size() && !s.empty();
}

void ParseSize(const std::string& value, HeadlessOptions& o)
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

void ParseAnswer(const std::string& value, HeadlessOptions& o)
{
    if (value == "cancel") {
        o.configOk = false;
        return;
    }
    if (value.rfind("ok:", 0) == 0 && ParseNumber(std::string_view(value).substr(3), o.configPosition)) {
        o.configOk = true;
        return;
    }
    throw OptionError("--config-answer needs ok:POSITION or cancel, got \"" + value + "\"");
}

} // namespace

bool IsHeadlessOption(std::string_view arg)
{
    for (std::string_view name : kNames) {
        if (arg.substr(0, name.size()) == name && (arg.size() == name.size() || arg[name.size()] == '='))
            return true;
    }
    return false;
}

HeadlessOptions ParseHeadlessOptions(int& argc, char** argv)
{
    HeadlessOptions o;
    bool sized = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.substr(0, 2) != "--")
            break;
        const std::size_t eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        if (!IsHeadlessOption(name))
            throw OptionError("unknown option " + std::string(arg));
        if (eq == std::string_view::npos || eq + 1 == arg.size())
            throw OptionError(std::string(name) + " needs a value");
        const std::string value(arg.substr(eq + 1));
        if (name == "--headless") {
            ParseSize(value, o);
            sized = true;
        } else if (name == "--clock") {
            if (!ParseNumber(value, o.clockStart) || o.clockStart < 0 || o.clockStart > HeadlessOptions::kMaxClock)
                throw OptionError("--clock needs whole seconds, got \"" + value + "\"");
        } else if (name == "--input") {
            o.inputFile = value;
        } else if (name == "--frames") {
            o.framesDir = value;
        } else if (name == "--fps") {
            if (!ParseNumber(value, o.fps) || o.fps < 1 || o.fps > HeadlessOptions::kMaxFps)
                throw OptionError("--fps needs 1 to 1000, got \"" + value + "\"");
        } else if (name == "--frame-fd") {
            if (!ParseNumber(value, o.frameFd) || o.frameFd < 0)
                throw OptionError("--frame-fd needs a file descriptor, got \"" + value + "\"");
        } else if (name == "--record") {
            // Only WebP is written; another name would hide what the file holds.
            const std::size_t dot = value.rfind('.');
            std::string ext = dot == std::string::npos ? std::string() : value.substr(dot);
            for (char& c : ext)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            if (ext != ".webp")
                throw OptionError("--record writes an animated WebP: FILE must end in .webp, got \"" + value + "\"");
            o.recordFile = value;
        } else if (name == "--stop-after") {
            std::int64_t units = 0;
            if (!ParseSeconds(value, kMaxInputSeconds, units))
                throw OptionError("--stop-after needs seconds, got \"" + value + "\"");
            o.stopAfter = units;
        } else {
            ParseAnswer(value, o);
        }
    }
    if (!sized)
        throw OptionError("--headless=WIDTHxHEIGHT is required");
    // Keep argv[0] and everything from the first non-option on.
    const int removed = i - 1;
    for (int k = 1; k + removed < argc; ++k)
        argv[k] = argv[k + removed];
    argc -= removed;
    argv[argc] = nullptr;
    return o;
}
