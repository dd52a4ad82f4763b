#!/usr/bin/env bash
# Starts the real program on an X display of its own, drives a short session with the
# keyboard as a person would, and saves a screenshot of each step.
#
#   gui-smoke.sh PROGRAM SCREENSHOT_FOLDER
#
# Fails, with a line saying what was missing, when a window does not appear, is out of
# place, or the program does not end by itself with status 0 after File > Quit.
set -uo pipefail

program=${1:?usage: gui-smoke.sh PROGRAM SCREENSHOT_FOLDER}
shots=${2:?usage: gui-smoke.sh PROGRAM SCREENSHOT_FOLDER}

fail() {
    echo "gui-smoke: FAIL: $*" >&2
    if [ -n "${work:-}" ] && [ -s "$work/program.log" ]; then
        echo "gui-smoke: the program printed:" >&2
        sed 's/^/  | /' "$work/program.log" >&2
    fi
    exit 1
}
say() { echo "gui-smoke: $*"; }

for tool in Xvfb xdotool xwininfo xprop import; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (bash tools/install-deps.sh installs it)"
done
[ -x "$program" ] || fail "no program at $program"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Polls a command every 0.1 s until it succeeds; gives up after the given seconds.
wait_until() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    while ! "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

step=0
screenshot() {
    step=$((step + 1))
    local file
    file=$(printf '%s/%02d-%s.png' "$shots" "$step" "$1")
    import -window root "$file" 2>>"$work/import.log" || fail "could not take screenshot $file"
    say "screenshot $file"
}

# --- An X server of our own, on whichever display number is free ---------------------
mkdir -p "$shots" || fail "cannot create $shots"
rm -f "$shots"/[0-9][0-9]-*.png
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
display_known() { [ -s "$work/display" ] && grep -q '^[0-9]\+$' "$work/display"; }
wait_until 20 display_known || fail "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"
say "Xvfb on display $DISPLAY"

# The real window system, never the headless one the unit tests use.
export QT_QPA_PLATFORM=xcb
unset QT_QPA_OFFSCREEN_NO_GLX
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# --- Helpers on the program's windows -------------------------------------------------
# Visible top-level windows of the program, one id a line.
visible_windows() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null; }
# The visible window of the program with exactly this title.
window_named() { xdotool search --all --onlyvisible --pid "$app_pid" --name "^$1\$" 2>/dev/null | head -n 1; }
has_window_named() { [ -n "$(window_named "$1")" ]; }
# "x y width height" of a window on the screen.
geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X/ { x = $NF }
        /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF }
        /^ *Height:/ { h = $NF }
        END { print x, y, w, h }'
}
# A visible popup of the program (a menu): any window but the main window and the toolbox.
menu_window() { visible_windows | grep -vx -e "$main" -e "$toolbox" | head -n 1 | grep .; }
menu_open() { menu_window >/dev/null; }
menu_closed() { ! menu_open; }
app_running() { kill -0 "$app_pid" 2>/dev/null; }
app_ended() { ! app_running; }

# --- Start-up: the splash alone, closing by itself ------------------------------------
"$program" >"$work/program.log" 2>&1 &
app_pid=$!
say "started $program (pid $app_pid)"

splash=""
find_splash() {
    app_running || fail "the program ended during start-up"
    local windows
    windows=$(visible_windows)
    [ "$(echo "$windows" | grep -c .)" -eq 1 ] || return 1
    splash=$windows
}
wait_until 20 find_splash || fail "no splash: the program showed no single window at start-up"
read -r sx sy sw sh <<<"$(geometry "$splash")"
say "splash ${sw}x${sh} at $sx,$sy"
[ "$sw" -eq 468 ] && [ "$sh" -eq 238 ] || fail "the splash is ${sw}x${sh}, not 468x238"
screenshot splash

splash_gone() { app_running && ! visible_windows | grep -qx "$splash"; }
wait_until 15 splash_gone || fail "the splash did not close by itself"

# --- The main window with the toolbox beside it ---------------------------------------
both_windows() { has_window_named Palisandre && has_window_named Toolbox; }
if ! wait_until 15 both_windows; then
    app_running || fail "the program ended after the splash"
    has_window_named Palisandre || fail "the main window \"Palisandre\" is not on screen"
    fail "the \"Toolbox\" window is not on screen"
fi
main=$(window_named Palisandre)
toolbox=$(window_named Toolbox)
read -r mx my mw mh <<<"$(geometry "$main")"
read -r tx ty tw th <<<"$(geometry "$toolbox")"
say "main window ${mw}x${mh} at $mx,$my; toolbox ${tw}x${th} at $tx,$ty"
[ $((tx + tw)) -eq $((mx + mw)) ] \
    || fail "the toolbox's right edge is at x=$((tx + tw)), the main window's at x=$((mx + mw))"
[ "$ty" -eq $((my + 40)) ] \
    || fail "the toolbox's top is at y=$ty, not 40 below the main window's top at y=$my"
screenshot main-window

# --- File menu by its accelerator -----------------------------------------------------
# No window manager runs here, so give the main window the keyboard ourselves.
xdotool windowfocus --sync "$main" || fail "could not give the main window the keyboard"
xdotool key --clearmodifiers alt+f
wait_until 10 menu_open || fail "Alt+F opened no menu"
# "File" is the first menu, so it drops down just below the menu bar's left end.
read -r px py _ _ <<<"$(geometry "$(menu_window)")"
[ "$px" -ge "$mx" ] && [ "$px" -lt $((mx + 40)) ] && [ "$py" -gt "$my" ] && [ "$py" -lt $((my + 60)) ] \
    || fail "the menu Alt+F opened is at $px,$py, not below \"File\" at the main window's top left"
screenshot file-menu
xdotool key Escape
wait_until 10 menu_closed || fail "Escape did not close the File menu"
screenshot menu-closed

# --- Help > About, closed by its own button ------------------------------------------
xdotool key --clearmodifiers alt+h
wait_until 10 menu_open || fail "Alt+H opened no menu"
xdotool key a
wait_until 10 has_window_named "About PLSD" || fail "Help > About showed no \"About PLSD\" window"
screenshot about
xdotool key --clearmodifiers alt+c
about_closed() { ! has_window_named "About PLSD"; }
wait_until 10 about_closed || fail "the about box's Close button (Alt+C) did not close it"

# --- Rooms: to come -------------------------------------------------------------------
# Later steps, once the toolbox's pages and the rooms are built:
#   - press the toolbox's "Add Room" and check that a room appears on the picture;
#   - drag the room by one of its handles and check that it changed shape;
#   - screenshot each of them.

# --- File > Quit by accelerators ------------------------------------------------------
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key --clearmodifiers alt+f
wait_until 10 menu_open || fail "Alt+F opened no menu before quitting"
xdotool key q
if ! wait_until 10 app_ended; then
    screenshot not-ended
    fail "the program did not end after File > Quit"
fi
status=0
wait "$app_pid" || status=$?
app_pid=""
screenshot ended
[ "$status" -eq 0 ] || fail "the program ended with status $status after File > Quit"

say "passed: $step screenshots in $shots"
