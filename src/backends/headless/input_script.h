// The timed input of a headless run: one event a line,
//   T mousemove X Y | T keydown | T lbuttondown | T rbuttondown |
//   T mbuttondown | T deactivate | T close | T destroy-parent
// with T in seconds of virtual time (a decimal number, digits beyond the
// microsecond dropped) and X, Y in screen pixels. Blank lines and lines
// starting with '#' are skipped. Events are returned in time order; events
// of the same time keep the order of their lines.
#pragma once

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

enum class InputKind { MouseMove, KeyDown, LButtonDown, RButtonDown, MButtonDown, Deactivate, Close, DestroyParent };

struct InputEvent {
    std::int64_t time = 0; // virtual clock units (CVirtualClock)
    InputKind kind = InputKind::KeyDown;
    int x = 0, y = 0; // mousemove only
    int line = 0;     // where it was written
};

// A line that is not an event; what() names the line number.
class InputScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Largest time accepted, in seconds (about 31 years).
constexpr std::int64_t kMaxInputSeconds = 1'000'000'000;

std::vector<InputEvent> ParseInputScript(std::istream& in);
std::vector<InputEvent> LoadInputScript(const std::string& path); // also throws when unreadable

// A decimal number of seconds ("12", "0.5", ".25") in virtual clock units;
// false when it is not one or exceeds maxSeconds.
bool ParseSeconds(const std::string& text, std::int64_t maxSeconds, std::int64_t& units);
