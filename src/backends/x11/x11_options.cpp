// Reading X window ids, for --window-id and XSCREENSAVER_WINDOW.
#include "backends/x11/x11_options.h"

#include <charconv>

namespace {
constexpr std::uint64_t kMinWindowId = 1, kMaxWindowId = 0xFFFFFFFF; // 32 bits on the wire, never None
} // namespace

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
    if (v < kMinWindowId || v > kMaxWindowId)
        return std::nullopt;
    return v;
}
