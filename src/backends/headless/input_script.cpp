// Parsing the headless input script.
#include "backends/headless/input_script.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "backends/headless/virtual_clock.h"

namespace {

struct Name {
    const char* text;
    InputKind kind;
};

constexpr Name kNames[] = {
    {"mousemove", InputKind::MouseMove},     {"keydown", InputKind::KeyDown},
    {"lbuttondown", InputKind::LButtonDown}, {"rbuttondown", InputKind::RButtonDown},
    {"mbuttondown", InputKind::MButtonDown}, {"deactivate", InputKind::Deactivate},
    {"close", InputKind::Close},             {"destroy-parent", InputKind::DestroyParent},
};

bool ParseCoordinate(const std::string& s, int& v)
{
    const char* first = s.data();
    const char* last = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(first, last, v);
    // Window coordinates travel as 16-bit halves of a message parameter.
    return ec == std::errc() && ptr == last && v >= -32768 && v <= 32767;
}

[[noreturn]] void Fail(int line, const std::string& why)
{
    throw InputScriptError("input line " + std::to_string(line) + ": " + why);
}

} // namespace

bool ParseSeconds(const std::string& text, std::int64_t maxSeconds, std::int64_t& units)
{
    std::int64_t whole = 0, micros = 0;
    std::size_t i = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        whole = whole * 10 + (text[i] - '0');
        digits = true;
        if (whole > maxSeconds)
            return false;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        int places = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++places) {
            digits = true;
            if (places < 6)
                micros = micros * 10 + (text[i] - '0');
        }
        for (; places < 6; ++places)
            micros *= 10;
    }
    if (!digits || i != text.size() || (whole == maxSeconds && micros > 0))
        return false;
    units = whole * CVirtualClock::kUnitsPerSecond + micros * CVirtualClock::kUnitsPerUs;
    return true;
}

std::vector<InputEvent> ParseInputScript(std::istream& in)
{
    std::vector<InputEvent> events;
    std::string text;
    int lineNo = 0;
    while (std::getline(in, text)) {
        ++lineNo;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        std::istringstream words(text);
        std::vector<std::string> tok;
        for (std::string w; words >> w;)
            tok.push_back(w);
        if (tok.empty() || tok[0][0] == '#')
            continue;

        InputEvent ev;
        ev.line = lineNo;
        if (!ParseSeconds(tok[0], kMaxInputSeconds, ev.time))
            Fail(lineNo, "bad time \"" + tok[0] + "\"");
        if (tok.size() < 2)
            Fail(lineNo, "missing event name");
        const auto name = std::find_if(std::begin(kNames), std::end(kNames),
                                       [&](const Name& n) { return tok[1] == n.text; });
        if (name == std::end(kNames))
            Fail(lineNo, "unknown event \"" + tok[1] + "\"");
        ev.kind = name->kind;
        const std::size_t want = ev.kind == InputKind::MouseMove ? 4 : 2;
        if (tok.size() != want)
            Fail(lineNo, ev.kind == InputKind::MouseMove ? "mousemove needs X and Y" : "unexpected text after event");
        if (ev.kind == InputKind::MouseMove && (!ParseCoordinate(tok[2], ev.x) || !ParseCoordinate(tok[3], ev.y)))
            Fail(lineNo, "bad coordinate");
        events.push_back(ev);
    }
    if (in.bad())
        throw InputScriptError("input could not be read");
    std::stable_sort(events.begin(), events.end(),
                     [](const InputEvent& a, const InputEvent& b) { return a.time < b.time; });
    return events;
}

std::vector<InputEvent> LoadInputScript(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw InputScriptError("cannot read input file " + path + ": it is a directory");
    errno = 0;
    std::ifstream in(path);
    if (!in)
        throw InputScriptError("cannot read input file " + path + ": " + std::strerror(errno));
    try {
        return ParseInputScript(in);
    } catch (const InputScriptError& e) {
        throw InputScriptError("input file " + path + ": " + e.what());
    }
}
