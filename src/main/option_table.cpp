// The rows of the option table, the grammars of the runs that take leading
// options, and the --help text made from both.
#include "main/option_table.h"

#include <iterator>

#include "app/saver_app.h"

namespace {

constexpr unsigned kEverywhere = kRunsPosix | kRunWin32;

constexpr OptionRow kRows[] = {
    {OptionId::Help, "help", nullptr, "print this text and exit", kRunsPosix, OptionPlace::Query},
    {OptionId::Version, "version", nullptr, "print the version and exit", kRunsPosix, OptionPlace::Query},

    // Put in front of each show's arguments by a several-monitor run.
    {OptionId::Monitor, "monitor", "INDEX:WxH+X+Y", nullptr, kEverywhere, OptionPlace::FirstArgument},

    {OptionId::Picture, "picture", "FILE", "show this picture (JPEG, PNG, WebP, HEIC, AVIF) instead of the embedded one",
     kEverywhere, OptionPlace::Anywhere},
    {OptionId::PictureDir, "picture-dir", "DIR", "show the pictures of DIR and its subfolders, a new one each cycle",
     kEverywhere, OptionPlace::Anywhere},
    {OptionId::Message, "message", "TEXT", "closing message (UTF-8, Windows-1252 characters)", kEverywhere,
     OptionPlace::Anywhere},
    {OptionId::Font, "font", "FACE", "font face of the message", kEverywhere, OptionPlace::Anywhere},
    {OptionId::Color, "color", "#RRGGBB", "colour of the message", kEverywhere, OptionPlace::Anywhere},
    {OptionId::Bold, "bold", nullptr, "bold message", kEverywhere, OptionPlace::Anywhere},
    {OptionId::Italic, "italic", nullptr, "italic message", kEverywhere, OptionPlace::Anywhere},
    {OptionId::Caption, "caption", nullptr, "show each picture's date and file name in a corner", kEverywhere,
     OptionPlace::Anywhere},
    // Put in each monitor's show's arguments by a several-monitor run: the
    // seed of the folder's order they share and the number of shows.
    {OptionId::PictureOrder, "picture-order", "SEED:SHOWS", nullptr, kEverywhere, OptionPlace::Anywhere},

    {OptionId::Headless, "headless", "WxH[+X+Y][,...]",
     "the virtual display (for p: the preview parent's client size);\n"
     "several WxH+X+Y: a desktop of monitors, full screen a show on each",
     kRunHeadless, OptionPlace::Leading},
    {OptionId::Clock, "clock", "SECONDS", "calendar time at start (default 1000000000)", kRunHeadless,
     OptionPlace::Leading},
    {OptionId::Input, "input", "FILE",
     "timed input, one event a line: T mousemove X Y | T keydown |\n"
     "T lbuttondown | T rbuttondown | T mbuttondown | T deactivate |\n"
     "T close | T destroy-parent   (T in seconds of virtual time)",
     kRunHeadless, OptionPlace::Leading},
    {OptionId::Frames, "frames", "DIR", "write samples as DIR/frame-00000.png, ...", kRunHeadless,
     OptionPlace::Leading},
    {OptionId::Fps, "fps", "N", "samples per second of virtual time (default 10)", kRunHeadless,
     OptionPlace::Leading},
    {OptionId::Record, "record", "FILE.webp", "write the samples as an animated WebP", kRunHeadless,
     OptionPlace::Leading},
    {OptionId::StopAfter, "stop-after", "SECONDS", "end with status 0 after that much virtual time", kRunHeadless,
     OptionPlace::Leading},
    {OptionId::ConfigAnswer, "config-answer", "ok:POS[:DIR]|cancel",
     "how the configuration dialog is answered (default cancel); DIR is typed as the picture folder", kRunHeadless,
     OptionPlace::Leading},
    // The pipe one monitor's show hands its samples on (a several-monitor run).
    {OptionId::FrameFd, "frame-fd", "N", nullptr, kRunHeadless, OptionPlace::Leading},

    // Which desktop draws; listed with the Wayland run's options.
    {OptionId::Wayland, "wayland", nullptr,
     "draw on Wayland: a layer surface over each output (needs the wlr\n"
     "layer shell: sway, Hyprland, river, labwc, KDE Plasma)",
     kRunWayland, OptionPlace::Choice},
    {OptionId::X11, "x11", nullptr, "draw on X11 (under GNOME's Wayland session: XWayland)", kRunWayland,
     OptionPlace::Choice},

    {OptionId::Root, "root", nullptr, "draw into $XSCREENSAVER_WINDOW, else on the root window", kRunX11,
     OptionPlace::Leading},
    {OptionId::WindowId, "window-id", "ID", "draw into the X window ID (decimal or 0x hex)", kRunX11,
     OptionPlace::Leading},
    {OptionId::Window, "window", nullptr, "run in a resizable window; closing it ends the saver",
     kRunX11 | kRunWayland, OptionPlace::Leading},
    {OptionId::Speed, "speed", "N", "speed for this run, 1 (fastest) to 64 (slowest)", kRunX11 | kRunWayland,
     OptionPlace::Leading, kMinSpeed, kMaxSpeed},
    // The output a several-output run's show covers, put in front by the run.
    {OptionId::WaylandOutput, "wayland-output", "NAME", nullptr, kRunWayland, OptionPlace::Leading},
};

constexpr OptionGrammar kGrammars[] = {
    // The test harness's own: "--name=VALUE" only, nothing else before the switch.
    {kRunHeadless, "Headless options (a virtual display and clock; same options, same frames):", false, false, "",
     ""},
    // XScreenSaver's: one or two dashes, the value after '=' or as the next word.
    {kRunX11, "Desktop options:", true, true, " (see mosvik --help)",
     "  With none of --root, --window-id and --window the switch decides; for p the HANDLE\n"
     "  is an X window id in decimal. Without a switch the configuration dialog opens.\n"
     "  SIGTERM and SIGINT end the saver with status 0.\n"},
    // The other desktop, written as the X11 run's options are.
    {kRunWayland, "Wayland options (when WAYLAND_DISPLAY is set and DISPLAY is not, or with --wayland):", true,
     true, " (see mosvik --help)",
     "  --root and --window-id are X11's. Without a switch the configuration dialog opens\n"
     "  (GTK's, on Wayland too).\n"},
};

constexpr std::size_t kHelpColumn = 27;

// "  --name VALUE" padded to the help column, then the help, its further
// lines under the first.
void AddLine(std::string& text, const OptionRow& row)
{
    std::string line = "  " + ShownOption(row);
    if (line.size() < kHelpColumn)
        line.resize(kHelpColumn, ' ');
    else
        line += "  ";
    for (const char* c = row.help; *c; ++c) {
        line += *c;
        if (*c == '\n')
            line.append(kHelpColumn, ' ');
    }
    text += line + "\n";
}

} // namespace

std::span<const OptionRow> OptionTable() { return kRows; }

const OptionRow* FindOption(std::string_view name, unsigned runs, OptionPlace place)
{
    for (const OptionRow& row : kRows) {
        if ((row.runs & runs) != 0 && row.place == place && name == row.name)
            return &row;
    }
    return nullptr;
}

const OptionRow& OptionRowOf(OptionId id)
{
    for (const OptionRow& row : kRows) {
        if (row.id == id)
            return row;
    }
    throw std::logic_error("an option without a row");
}

const OptionGrammar& GrammarOf(unsigned run)
{
    for (const OptionGrammar& g : kGrammars) {
        if (g.run == run)
            return g;
    }
    throw std::logic_error("a run without a grammar");
}

std::string ShownOption(const OptionRow& row)
{
    std::string shown = "--" + std::string(row.name);
    if (!row.metavar)
        return shown;
    bool apart = row.place == OptionPlace::Anywhere;
    if (row.place == OptionPlace::Leading) {
        for (const OptionGrammar& g : kGrammars)
            apart = apart || ((row.runs & g.run) != 0 && g.valueApart);
    }
    return shown + (apart ? " " : "=") + row.metavar;
}

std::string UsageText(unsigned built)
{
    std::string text = "usage: mosvik --headless=WIDTHxHEIGHT [OPTIONS] SWITCH [HANDLE]\n";
    if (built & kRunX11)
        text += "       mosvik [DESKTOP OPTIONS] SWITCH [HANDLE]\n";
    text += "\n"
            "SWITCH (one leading - or / allowed, any case):\n"
            "  s            run the saver full screen\n"
            "  p HANDLE     run the preview inside window HANDLE (a decimal number)\n"
            "  other/none   open the configuration dialog\n";
    for (const OptionGrammar& g : kGrammars) {
        if (!(built & g.run))
            continue;
        text += std::string("\n") + g.heading + "\n";
        for (const OptionRow& row : kRows) {
            if ((row.runs & g.run) && (row.place == OptionPlace::Leading || row.place == OptionPlace::Choice) &&
                row.help)
                AddLine(text, row);
        }
        text += g.notes;
    }
    text += "\nPictures from the disk (with either backend, anywhere on the command line):\n";
    for (const OptionRow& row : kRows) {
        if (row.place == OptionPlace::Anywhere && row.help)
            AddLine(text, row);
    }
    text += "\n";
    for (const OptionRow& row : kRows) {
        if (row.place == OptionPlace::Query)
            AddLine(text, row);
    }
    text += "\nFull screen covers every monitor with a show of its own; the saver starts itself\n"
            "once per monitor with " +
            ShownOption(OptionRowOf(OptionId::Monitor)) + " in front.\n";
    return text;
}
