// The saver's one table of command-line options. Every option of every
// platform and backend is declared here once: its name, its value's name,
// its help text, the runs that take it (headless, X11, Windows) and where
// it stands on the command line. The readers (common_options.cpp on every
// platform, saver_options.cpp on POSIX), the --help text and the tests of
// the manual page and the XScreenSaver settings file all read the table.
// A new backend adds its options as rows and, when they are written its
// own way, a grammar.
// Trade-off: the table says what the options are, not how each value is
// checked; the readers do that in one switch over OptionId, so that every
// option keeps its own message.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

// A malformed, unknown or misplaced option (the process ends with status
// 2 on POSIX, 1 on Windows, after one line on stderr).
class OptionError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

enum class OptionId {
    Help, Version,
    Monitor,
    Picture, PictureDir, Message, Font, Color, Bold, Italic, Caption, PictureOrder,
    Headless, Clock, Input, Frames, Fps, Record, StopAfter, ConfigAnswer, FrameFd,
    Root, WindowId, Window, Speed,
    Wayland, X11, WaylandOutput,
};

// The runs an option belongs to (the backend a process runs with); a row
// may name several.
enum OptionRun : unsigned {
    kRunHeadless = 1u << 0,
    kRunX11 = 1u << 1,
    kRunWin32 = 1u << 2,
    kRunWayland = 1u << 3,
};
inline constexpr unsigned kRunsPosix = kRunHeadless | kRunX11 | kRunWayland;

// Where an option stands on the command line.
enum class OptionPlace {
    FirstArgument, // right after the program name, as --name=VALUE only
    Anywhere,      // anywhere, after the switch too: --name VALUE or --name=VALUE
    Query,         // --help, --version: answered when among the leading "--" words
    Leading,       // before the switch, written as the run's grammar says
    Choice,        // --wayland, --x11: among the leading "--" words, they pick the desktop run
};

struct OptionRow {
    OptionId id;
    const char* name;    // without dashes
    const char* metavar; // the value's name; null for a flag
    const char* help;    // null: internal, left out of --help; may hold several lines
    unsigned runs;       // OptionRun bits
    OptionPlace place;
    std::int64_t minimum = 0, maximum = 0; // a number's range, where the option has one
};

// How a run's leading options are written and reported.
struct OptionGrammar {
    unsigned run;
    const char* heading;     // of its --help section
    bool oneDash;            // "-name" as well as "--name"; a one-dash word it does not know is the switch
    bool valueApart;         // "--name VALUE" as well as "--name=VALUE"
    const char* unknownHint; // after "unknown option ARG"
    const char* notes;       // --help lines after the section
};

std::span<const OptionRow> OptionTable();

// The row named `name` (no dashes) that one of `runs` takes at `place`.
const OptionRow* FindOption(std::string_view name, unsigned runs, OptionPlace place);
const OptionRow& OptionRowOf(OptionId id);
// The grammar of a run with leading options (headless, X11).
const OptionGrammar& GrammarOf(unsigned run);

// How the option is shown in --help: "--name", "--name VALUE", or with
// '=' where the run's grammar takes the value only so.
std::string ShownOption(const OptionRow& row);
// The --help text of a POSIX saver built with the runs `built`.
std::string UsageText(unsigned built);
