// The command line's two readings, the switch letter and the preview
// window's handle, and the command they make. Both readings accept exactly
// what the system's screen-saver machinery and the C library accept.
#include "app/command_line.h"

namespace {
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
} // namespace

bool MatchSwitch(const char* arg, char letter)
{
    if (!arg)
        return false;
    if (*arg == '-' || *arg == '/')
        ++arg;
    return arg[0] != '\0' && arg[1] == '\0' && LowerAscii(arg[0]) == LowerAscii(letter);
}

bool ParsePreviewHandle(const char* text, std::int64_t& value)
{
    const char* p = text;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (*p < '0' || *p > '9')
        return false;
    // Accumulate the magnitude; beyond the 64-bit range the value saturates.
    constexpr std::uint64_t kLimit = std::uint64_t(INT64_MAX) + 1;
    std::uint64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const unsigned digit = unsigned(*p - '0');
        if (magnitude > (kLimit - digit) / 10)
            magnitude = kLimit;
        else
            magnitude = magnitude * 10 + digit;
    }
    if (negative)
        value = magnitude >= kLimit ? INT64_MIN : -std::int64_t(magnitude);
    else
        value = magnitude >= kLimit ? INT64_MAX : std::int64_t(magnitude);
    return true;
}

SaverCommand SaverCommand::FromArguments(const char* sw, const char* next)
{
    SaverCommand command;
    if (MatchSwitch(sw, 'p'))
        command.mode = Mode::Preview;
    else if (MatchSwitch(sw, 's'))
        command.mode = Mode::FullScreen;
    if (next)
        command.handle = next;
    return command;
}

SaverCommand SaverCommand::PreviewOf(std::uint64_t handle)
{
    SaverCommand command;
    command.mode = Mode::Preview;
    command.handle = std::to_string(handle);
    return command;
}

std::optional<std::int64_t> SaverCommand::PreviewHandle() const
{
    std::int64_t value = 0;
    if (mode != Mode::Preview || !handle || !ParsePreviewHandle(handle->c_str(), value))
        return std::nullopt;
    return value;
}
