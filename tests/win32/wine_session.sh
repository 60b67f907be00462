# The frame of a Wine test script, sourced by it: PASS/FAIL counting that
# ends with "N passed, M failed", a work folder, one Xvfb display and one
# Wine prefix for the run, and a cleanup that stops every process the
# script started (listed in BG_PIDS) and removes it all.
#
#   . wine_session.sh; wine_session_start NAME
#
# WINE_OVERRIDES, when set before, adds DLL overrides to the session's.
# WINEARCH, when set to win32 in the environment, makes the prefix a 32-bit
# one; unset, Wine makes a 64-bit prefix, which runs the i686 build too
# (through WoW64: wine32 must be installed). After wine_session_start:
# WORK, DISPLAY and WINEPREFIX are set; a script skips all its tests
# (skip_all) when the display or the prefix cannot be made.

# wine_session_args "$0" "$@": BUILD_WIN (a cross build, either width) and
# NATIVE (the native build) from a script's two arguments, and WIDTH
# (i686 or x86_64), read from the machine field of BUILD_WIN's mosvik.scr.
wine_session_args() {
    local self=$1
    shift
    if [ $# -ne 2 ]; then
        echo "usage: $self BUILD_WIN NATIVE_BUILD" >&2
        exit 2
    fi
    BUILD_WIN=$(cd "$1" 2>/dev/null && pwd) || BUILD_WIN=$1
    NATIVE=$(cd "$2" 2>/dev/null && pwd) || NATIVE=$2
    WIDTH=$(pe_width "$BUILD_WIN/mosvik.scr")
}

# pe_width FILE: i686 or x86_64 from the PE header's machine field
# ("unknown" for anything else).
pe_width() {
    local pe machine
    pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    machine=$(od -An -tx2 -j$((${pe:-0} + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    case $machine in
        014c) echo i686 ;;
        8664) echo x86_64 ;;
        *) echo unknown ;;
    esac
}

passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit $?
}
skip_all() { echo "SKIP: $*"; finish; }

WORK=
XVFB_PID=
BG_PIDS=()
cleanup() {
    local pid
    for pid in "${BG_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    if [ -n "$WORK" ] && [ -d "$WORK/prefix" ]; then
        WINEPREFIX="$WORK/prefix" timeout 20 wineserver -k >/dev/null 2>&1
        WINEPREFIX="$WORK/prefix" timeout 20 wineserver -w >/dev/null 2>&1
    fi
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    [ -n "$WORK" ] && rm -rf "$WORK"
}

# wine_session_start NAME: the work folder, the display and the prefix.
wine_session_start() {
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || skip_all "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$WORK/display")"
    export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=${WINE_OVERRIDES:+;$WINE_OVERRIDES}"
    if ! timeout 180 wineboot -i >"$WORK/wineboot.log" 2>&1; then
        skip_all "wineboot could not make a prefix"
    fi
}
