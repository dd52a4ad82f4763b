# Helpers of the GUI tests, sourced by them: an X server of their own, the program's
# windows, the mouse, and reading screenshots. The test sets before:
#   test_name   the prefix of its lines ("gui-smoke")
#   shots       the folder for screenshots (a failure leaves failed.png there)
#   work        a temporary folder of its own
# and, once it has them, app_pid (the program), main, and mx my mw mh with main_area
# (the main window's place and size on the screen, "WxH+X+Y").

say() { echo "$test_name: $*"; }

fail() {
    echo "$test_name: FAIL: $*" >&2
    # The screen as it is now, or else the last one looked at.
    if [ -n "${work:-}" ] && [ -n "${shots:-}" ] && [ -n "${DISPLAY:-}" ]; then
        import -window root "$work/probe.png" 2>/dev/null
        [ -s "$work/probe.png" ] && cp "$work/probe.png" "$shots/failed.png"
    fi
    if [ -n "${work:-}" ] && [ -s "$work/program.log" ]; then
        echo "$test_name: the program printed:" >&2
        sed 's/^/  | /' "$work/program.log" >&2
    fi
    exit 1
}

need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (bash tools/install-deps.sh installs it)"
    done
}

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

# Starts Xvfb on whichever display number is free and exports DISPLAY; sets xvfb_pid.
start_x_server() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    display_known() { [ -s "$work/display" ] && grep -q '^[0-9]\+$' "$work/display"; }
    wait_until 20 display_known || fail "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
    export DISPLAY=":$(cat "$work/display")"
    say "Xvfb on display $DISPLAY"
}

# The program's environment: the real window system, never the headless one the unit
# tests use; recent files and any other setting stay out of the user's own.
use_own_settings() {
    export QT_QPA_PLATFORM=xcb
    unset QT_QPA_OFFSCREEN_NO_GLX
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export XDG_CONFIG_HOME="$work/config"
}

# --- The program's windows --------------------------------------------------------------
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
app_running() { kill -0 "$app_pid" 2>/dev/null; }
app_ended() { ! app_running; }
# What a program that has not ended is doing: its windows' titles, the state of each of
# its threads (read after the name's closing parenthesis, as a name may hold spaces), and
# their stacks when gdb is there.
describe_program() {
    app_running || return 0
    local window task
    for window in $(visible_windows); do
        echo "$test_name: a window of the program is shown: \"$(xdotool getwindowname "$window" 2>/dev/null)\"" >&2
    done
    for task in /proc/"$app_pid"/task/*; do
        echo "$test_name: thread $(basename "$task") ($(cat "$task/comm" 2>/dev/null)):" \
            "state $(sed 's/.*) //' "$task/stat" 2>/dev/null | cut -d' ' -f1), waits in $(cat "$task/wchan" 2>/dev/null)" >&2
    done
    if command -v gdb >/dev/null; then
        timeout 60 gdb -p "$app_pid" -batch -ex 'thread apply all bt 30' 2>/dev/null \
            | grep '^#\|^Thread' | sed "s/^/$test_name: | /" >&2
    fi
}
# Types a path into a file dialog's name field. The dialog first gets a moment to settle:
# keys that come before its name field has the keyboard go to the file list's search, and
# a slow build (the sanitizers) takes a while to get there.
type_path() {
    local dialog=$1 path=$2
    xdotool windowfocus --sync "$dialog" || fail "could not give the file dialog the keyboard"
    sleep 1
    xdotool type --delay 40 "$path"
    sleep 0.5
}

# Drags with the left button from one point of the screen to another, in a few steps.
drag() {
    local x0=$1 y0=$2 x1=$3 y1=$4 i
    xdotool mousemove --sync "$x0" "$y0"
    xdotool mousemove --sync $((x0 + 1)) "$y0" mousemove --sync "$x0" "$y0"
    xdotool mousedown 1
    for i in 1 2 3 4; do
        xdotool mousemove --sync $((x0 + (x1 - x0) * i / 4)) $((y0 + (y1 - y0) * i / 4))
    done
    xdotool mouseup 1
}

# --- Reading screenshots ----------------------------------------------------------------
# A screenshot for a check, not kept.
probe() { import -window root "$work/probe.png" 2>>"$work/import.log"; }
# Number of pixels of exactly this colour in an area ("WxH+X+Y") of a screenshot.
pixels_of() {
    convert "$1" -crop "$3" +repage -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:int(mean * w * h + 0.5)]' info: 2>>"$work/convert.log"
}
# Number of pixels that differ between two screenshots in an area ("WxH+X+Y").
changed_pixels() { compare -metric AE "$1[$3]" "$2[$3]" null: 2>&1; }
# "width height x y" on the screen of the box around the pixels of exactly this colour in
# the main window of a screenshot, or in search_area ("WxH+X+Y") when it is set; nothing
# when there are none.
colour_bounds() {
    local area=${search_area:-$main_area} box
    [[ $area =~ \+([0-9]+)\+([0-9]+)$ ]] || return 0
    local ax=${BASH_REMATCH[1]} ay=${BASH_REMATCH[2]}
    box=$(convert "$1" -crop "$area" +repage -fill black +opaque "$2" -fill white -opaque "$2" \
        -bordercolor black -border 1 -format '%@' info: 2>/dev/null)
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -gt 0 ] || return 0
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} $((ax + BASH_REMATCH[3] - 1)) $((ay + BASH_REMATCH[4] - 1))"
}
# The box around the blue and the lime pixels of the main window: a selected room's handles.
handle_bounds() {
    local blue lime
    blue=$(colour_bounds "$1" '#0000ff')
    lime=$(colour_bounds "$1" '#00ff00')
    if [ -z "$blue" ] || [ -z "$lime" ]; then
        echo "$blue$lime"
        return
    fi
    local bw bh bx by lw lh lx ly
    read -r bw bh bx by <<<"$blue"
    read -r lw lh lx ly <<<"$lime"
    local left=$((bx < lx ? bx : lx)) top=$((by < ly ? by : ly))
    local right=$((bx + bw > lx + lw ? bx + bw : lx + lw)) bottom=$((by + bh > ly + lh ? by + bh : ly + lh))
    echo "$((right - left)) $((bottom - top)) $left $top"
}
