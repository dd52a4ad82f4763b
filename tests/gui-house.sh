#!/usr/bin/env bash
# Builds a house as a new user would, on the real program under Xvfb with openbox: a
# painted picture imported, six rooms drawn by drags on the empty map (two floors of three,
# their walls snapped together), seven door lines (four at 100, two at 50, one at 0), two
# room types given to three rooms at a time, metaroom music, and both files saved with
# File > Save All under the names it suggests. Every click, drag, key chord and typed field
# goes through one helper that counts it; more than 40 fails. Then palisandre-tool finds
# no problem in the saved script and reads the saved background file, and the script holds
# exactly the planned corners, types, doors and music. The screen with the six rooms just
# drawn is saved as rooms-drawn.png in the screenshot folder, and the finished house with
# View > Room Types turned on (after the count), cropped to the main window, as house.png.
#
#   gui-house.sh PROGRAM TOOL SCREENSHOT_FOLDER
#
# Fails, with a line saying what was missing, when a window does not appear, a step shows
# no effect on screen, or a saved file is not what the steps made.
set -uo pipefail

usage="usage: gui-house.sh PROGRAM TOOL SCREENSHOT_FOLDER"
program=${1:?$usage}
tool=${2:?$usage}
shots=${3:?$usage}
test_name=gui-house
work=""
source "$(dirname "$0")/gui-support.sh"

need_tools Xvfb openbox xdotool xwininfo xprop import convert compare
[ -x "$program" ] || fail "no program at $program"
[ -x "$tool" ] || fail "no program at $tool"

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
app_pid=""
cleanup() {
    local pid
    for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -p "$shots" || fail "cannot create $shots"
rm -f "$shots/failed.png" "$shots/house.png"

# --- The house to build, in picture pixels ----------------------------------------------
# Rooms in the order they are drawn, as the script writes them: xl xr ytl ytr ybl ybr.
planned_rooms=(
    "100 240 120 120 260 260" "240 380 120 120 260 260" "380 520 120 120 260 260"
    "100 240 260 260 400 400" "240 380 260 260 400 400" "380 520 260 260 400 400"
)
upstairs_type=1     # wooden walkway, the first three rooms
downstairs_type=3   # indoor concrete, the last three
music='house.mng\Hearth'
# The door lines, "first second permeability" with the lower room number first.
planned_doors="0 1 100
0 3 100
1 2 100
1 4 0
2 5 100
3 4 50
4 5 50"

# The picture: sky, a roof, the walls of a house with windows and a front door, a lawn.
mkdir -p "$work/metarooms/house"
picture="$work/metarooms/house/house.png"
lawn='#4f7a3a'   # only there, from y 410 to the bottom
convert -size 640x480 gradient:'#6f9fd8-#cfe3f0' \
    -fill '#8a5a3c' -draw 'polygon 70,120 310,20 550,120' \
    -fill '#d8c8a0' -draw 'rectangle 100,120 520,400' \
    -fill '#a08060' -draw 'rectangle 100,258 520,262' \
    -fill '#6a9ec8' -draw 'rectangle 140,160 200,220' -draw 'rectangle 280,160 340,220' \
    -draw 'rectangle 420,160 480,220' -draw 'rectangle 140,300 200,360' -draw 'rectangle 420,300 480,360' \
    -fill '#5a3a22' -draw 'rectangle 290,300 330,400' \
    -fill "$lawn" -draw 'rectangle 0,410 639,479' \
    "$picture" 2>"$work/convert.log" || fail "could not paint the picture to import: $(cat "$work/convert.log")"

# --- Every gesture of the user is one action ---------------------------------------------
actions=0
# action WHAT COMMAND...: runs one click, drag, key chord or typed field, and counts it.
action() {
    local what=$1
    shift
    actions=$((actions + 1))
    say "action $actions: $what"
    "$@"
}
click() { xdotool mousemove --sync "$1" "$2" click 1; }
ctrl_click() { xdotool keydown ctrl mousemove --sync "$1" "$2" click 1 keyup ctrl; }
key() { xdotool key --clearmodifiers "$1"; }
# A field typed and ended with Return.
type_field() {
    xdotool type --delay 40 "$1"
    xdotool key Return
}

# --- An X server with openbox, and the program with settings of its own ------------------
start_x_server
use_own_settings
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
wm_running() {
    kill -0 "$wm_pid" 2>/dev/null || fail "openbox ended at start: $(tail -n 3 "$work/openbox.log")"
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
wait_until 20 wm_running || fail "openbox did not take the screen"

# The program starts in the test's own folder, away from the source and build trees.
(cd "$work" && exec "$program") >"$work/program.log" 2>&1 &
app_pid=$!
say "started $program (pid $app_pid)"
main_shown() {
    app_running || fail "the program ended during start-up"
    has_window_named Palisandre
}
wait_until 30 main_shown || fail "the main window \"Palisandre\" is not on screen"
main=$(window_named Palisandre)
read -r mx my mw mh <<<"$(geometry "$main")"
main_area="${mw}x${mh}+${mx}+${my}"
say "main window ${mw}x${mh} at $mx,$my"

# --- 1. The window maximized by its title bar's maximize button --------------------------
# Openbox's title bar holds icon, title, iconify, maximize, close: the maximize button's
# middle is 27 pixels left of the window's right edge.
frame_top=""
framed() {
    read -r _ _ frame_top _ <<<"$(xprop -id "$main" _NET_FRAME_EXTENTS 2>/dev/null | grep '=' | sed 's/.*= //; s/,/ /g')"
    [ -n "$frame_top" ]
}
wait_until 10 framed || fail "openbox gave the main window no frame"
read -r mx my mw mh <<<"$(geometry "$main")"
action "maximize the window" click $((mx + mw - 27)) $((my - frame_top / 2))
maximized() { read -r mx my mw mh <<<"$(geometry "$main")" && [ "$mw" -ge 1200 ] && [ "$mh" -ge 900 ]; }
wait_until 10 maximized || fail "the title bar's maximize button left the window at ${mw}x${mh}"
main_area="${mw}x${mh}+${mx}+${my}"
# The toolbox is docked on the right: its pages' top-left on the screen, under the menu
# bar, the dock's title and the tabs (the pages are 226 x 247, their controls at fixed places).
page_x=$((mx + mw - 224)) page_y=$((my + 62))

# --- 2. File > Import Bitmap, the path typed -----------------------------------------------
# A visible popup of the program (a menu): any window but the main window and tooltips.
menu_window() {
    local window
    for window in $(visible_windows); do
        [ "$window" != "$main" ] || continue
        xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_TOOLTIP' || { echo "$window" && return 0; }
    done
    return 1
}
menu_open() { menu_window >/dev/null; }
menu_closed() { ! menu_open; }
xdotool windowactivate --sync "$main" 2>/dev/null
action "Alt+F" key alt+f
wait_until 10 menu_open || fail "Alt+F opened no menu"
action "I: Import Bitmap" key i
wait_until 20 has_window_named Open || fail "File > Import Bitmap showed no file dialog \"Open\""
dialog=$(window_named Open)
type_path "$dialog" "$picture"
action "the picture's path typed, Return" xdotool key Return
dialog_closed() { ! has_window_named Open; }
if ! wait_until 15 dialog_closed; then
    # A slow build can lose keys to the name completion list while it opens: the path
    # typed again, into a field with the list gone, counted as the user's.
    say "the file dialog is still open: the path typed again"
    xdotool windowfocus --sync "$dialog" || fail "could not give the file dialog the keyboard"
    action "Ctrl+A in the file name" key ctrl+a
    action "the path typed again, Return" type_field "$picture"
    wait_until 30 dialog_closed || fail "Enter did not close the file dialog"
fi
# The lawn gives where the picture's pixel 0, 0 is on the screen, at one screen pixel a pixel.
lawn_seen=""
picture_shown() {
    probe || return 1
    lawn_seen=$(colour_bounds "$work/probe.png" "$lawn")
    [ -n "$lawn_seen" ]
}
wait_until 20 picture_shown || fail "File > Import Bitmap showed no picture in the main window"
read -r lw lh lx ly <<<"$lawn_seen"
[ "$lw" -eq 640 ] && [ "$lh" -eq 70 ] \
    || fail "the picture's lawn spans ${lw}x${lh} on the screen, not 640x70: the picture is not shown whole at 100 %"
ox=$lx oy=$((ly - 410))
say "the picture's top-left at $ox,$oy"
# Handles are looked for on the picture and a little around it, not in the Problems list's icons.
search_area="660x500+$((ox - 10))+$((oy - 10))"
# Screen point of a picture point.
at() { echo $((ox + $1)) $((oy + $2)); }

# --- 3. Six rooms, each drawn by one drag on the empty map ---------------------------------
# Each drag starts on an outer corner, where no room is, and ends a few pixels off the
# shared corner: snapping puts the walls, ceilings and floors onto the neighbours' exactly.
draws=(
    "100 120 240 260" "380 260 242 122" "520 260 382 118"
    "100 400 242 262" "380 400 238 258" "520 400 383 263"
)
seen=""
# The new room is selected: its handle boxes stand around the planned room.
room_selected() {
    local xl=$1 xr=$2 ytl=$3 ybl=$4 w h x y
    probe || return 1
    seen=$(handle_bounds "$work/probe.png")
    read -r w h x y <<<"$seen"
    [ -n "$seen" ] && [ $((x + w / 2 - ox - (xl + xr) / 2)) -ge -3 ] && [ $((x + w / 2 - ox - (xl + xr) / 2)) -le 3 ] \
        && [ $((y + h / 2 - oy - (ytl + ybl) / 2)) -ge -3 ] && [ $((y + h / 2 - oy - (ytl + ybl) / 2)) -le 3 ] \
        && [ $((w - (xr - xl))) -ge -2 ] && [ $((w - (xr - xl))) -le 8 ]
}
for i in "${!draws[@]}"; do
    read -r x0 y0 x1 y1 <<<"${draws[$i]}"
    read -r sx0 sy0 <<<"$(at "$x0" "$y0")"
    read -r sx1 sy1 <<<"$(at "$x1" "$y1")"
    action "room $i drawn from $x0,$y0 to $x1,$y1" drag "$sx0" "$sy0" "$sx1" "$sy1"
    read -r xl xr ytl _ ybl _ <<<"${planned_rooms[$i]}"
    wait_until 10 room_selected "$xl" "$xr" "$ytl" "$ybl" \
        || fail "after drawing room $i the selected room's handles span \"${seen:-nothing}\" (width height x y), not room $xl..$xr x $ytl..$ybl"
done
probe && cp "$work/probe.png" "$shots/rooms-drawn.png"

# --- 4. Doors: one typed on a shared edge, then Doors on All Shared Edges at that
# permeability, then three changed -----------------------------------------------------------
# A click on a shared edge picks its two rooms and puts the keyboard in "Perm:"; the
# permeability typed with Return sets their door, or makes it. Its number is drawn at the
# edge's middle.
label_area() { echo "31x17+$((ox + $1 - 15))+$((oy + $2 - 8))"; }
label_changed() { probe && [ "$(changed_pixels "$work/before.png" "$work/probe.png" "$(label_area "$1" "$2")")" -gt 15 ]; }
# The left half of the status line, away from the mouse's coordinates at its right end.
status_changed() {
    probe && [ "$(changed_pixels "$work/before.png" "$work/probe.png" "$((mw / 2))x22+$mx+$((my + mh - 22))")" -gt 20 ]
}
door_on_edge() {
    local what=$1 x=$2 y=$3 mid_x=$4 mid_y=$5 perm=$6
    probe && cp "$work/probe.png" "$work/before.png"
    action "click on the shared edge $what" click $((ox + x)) $((oy + y))
    wait_until 10 status_changed || fail "a click on the shared edge $what said nothing on the status line"
    cp "$work/probe.png" "$work/before.png"
    action "permeability $perm typed, Return" type_field "$perm"
    wait_until 10 label_changed "$mid_x" "$mid_y" || fail "the door of $what shows no new permeability at its edge's middle"
}
# Clicks go a third of the way along an edge, away from the handles on walls' middles.
door_on_edge "of rooms 0 and 1" 240 160 240 190 100
probe && cp "$work/probe.png" "$work/before.png"
action "Alt+E" key alt+e
wait_until 10 menu_open || fail "Alt+E opened no menu"
action "D: Doors on All Shared Edges" key d
wait_until 10 menu_closed || fail "the Edit menu stayed open after D"
# The other edges' middles, one at a time.
for middle in "380 190" "170 260" "310 260" "450 260" "240 330" "380 330"; do
    read -r mid_x mid_y <<<"$middle"
    wait_until 10 label_changed "$mid_x" "$mid_y" \
        || fail "after Edit > Doors on All Shared Edges the edge with its middle at $mid_x,$mid_y shows no door"
done
door_on_edge "of rooms 1 and 4" 280 260 310 260 0
door_on_edge "of rooms 3 and 4" 240 300 240 330 50
door_on_edge "of rooms 4 and 5" 380 300 380 330 50

# --- 5. Room types: three rooms selected by a click and two Ctrl+clicks, then a type picked
# from the list beside "Room type:" ----------------------------------------------------------
pick_type() {
    local type=$1
    action "the list of room types opened" click $((page_x + 203)) $((page_y + 178))
    wait_until 10 menu_open || fail "the arrow beside \"Room type:\" opened no list"
    local px py pw ph
    read -r px py pw ph <<<"$(geometry "$(menu_window)")"
    # Sixteen types, one a row.
    action "type $type picked" click $((px + pw / 2)) $((py + ph * (2 * type + 1) / 32))
    wait_until 10 menu_closed || fail "the list of room types stayed open after a click on type $type"
}
select_three() {
    action "click on room $1" click $(at "$2" "$3")
    action "Ctrl+click on room $4" ctrl_click $(at "$5" "$6")
    action "Ctrl+click on room $7" ctrl_click $(at "$8" "$9")
}
select_three 0 170 200 1 310 200 2 450 200
pick_type "$upstairs_type"
select_three 3 170 330 4 310 330 5 450 330
pick_type "$downstairs_type"

# --- 6. The metaroom's music, on the toolbox's "Meta room" page -----------------------------
probe && cp "$work/probe.png" "$work/before.png"
action "the \"Meta room\" tab" click $((page_x + 34)) $((page_y - 12))
toolbox_area="224x250+$page_x+$page_y"
page_switched() { probe && [ "$(changed_pixels "$work/before.png" "$work/probe.png" "$toolbox_area")" -gt 1000 ]; }
wait_until 10 page_switched || fail "a click on the toolbox's \"Meta room\" tab changed nothing in the toolbox"
action "click in \"Metaroom Music:\"" click $((page_x + 156)) $((page_y + 90))
action "music typed, Return" type_field "$music"

# --- 7. File > Save All, taking the names offered ------------------------------------------
saved_blk="$work/metarooms/house/house.blk"
saved_cos="$work/metarooms/house/house.cos"
take_offered_name() {
    wait_until 20 has_window_named "Save As" || fail "Save All asked no name for the $1 (no \"Save As\" dialog)"
    local dialog
    dialog=$(window_named "Save As")
    xdotool windowfocus --sync "$dialog" || fail "could not give the save dialog the keyboard"
    # Keys that come before its name field has the keyboard go elsewhere.
    sleep 1
    action "Return: the $1 saved under the name offered" xdotool key Return
    dialog_gone() { ! visible_windows | grep -qx "$dialog"; }
    wait_until 30 dialog_gone || fail "Return did not close the save dialog of the $1"
}
action "Ctrl+S: Save All" key ctrl+s
take_offered_name "background file"
take_offered_name "room script"
saved_title() { [ "$(xdotool getwindowname "$main")" = "house.cos - Palisandre" ]; }
wait_until 20 saved_title || fail "after Save All the title is \"$(xdotool getwindowname "$main")\", not \"house.cos - Palisandre\""
[ -s "$saved_blk" ] || fail "Save All wrote no $saved_blk, the name offered from house.png"
[ -s "$saved_cos" ] || fail "Save All wrote no $saved_cos, the name offered from house.png"

say "the house took $actions actions"
[ "$actions" -le 40 ] || fail "the house took $actions actions, more than 40"

# For the picture, not counted: View > Room Types, the seventh item of the View menu,
# fills the rooms with their types' colours.
probe && cp "$work/probe.png" "$work/before.png"
key alt+v
wait_until 10 menu_open || fail "Alt+V opened no menu"
xdotool key Down Down Down Down Down Down Return
wait_until 10 menu_closed || fail "the View menu stayed open"
read -r room_x room_y <<<"$(at 170 240)"
types_shown() { probe && [ "$(changed_pixels "$work/before.png" "$work/probe.png" "41x21+$((room_x - 20))+$((room_y - 10))")" -gt 400 ]; }
wait_until 10 types_shown || fail "View > Room Types did not fill room 0"
convert "$work/probe.png" -crop "$main_area" +repage "$shots/house.png" 2>>"$work/convert.log" \
    || fail "could not crop the finished house's screenshot"
say "screenshot $shots/house.png"

# --- The saved files ------------------------------------------------------------------------
"$tool" info "$saved_blk" >"$work/info.txt" 2>&1 || fail "palisandre-tool info refused the saved background file: $(cat "$work/info.txt")"
grep -q 'picture: 640 x 512 pixels' "$work/info.txt" \
    || fail "the saved background file is not the 640 x 480 picture in 128-pixel blocks: $(cat "$work/info.txt")"
"$tool" check "$saved_cos" >"$work/check.txt" 2>&1 || fail "palisandre-tool check found problems in the saved script: $(cat "$work/check.txt")"
grep -qi 'error' "$work/check.txt" && fail "palisandre-tool check reported an error: $(cat "$work/check.txt")"

script=$(tr -d '\r' <"$saved_cos")
expected_rooms=""
for i in "${!planned_rooms[@]}"; do
    type=$([ "$i" -lt 3 ] && echo "$upstairs_type" || echo "$downstairs_type")
    expected_rooms+="setv va02 addr va01 ${planned_rooms[$i]}"$'\n'"rtyp va02 $type"$'\n'
done
rooms=$(grep -E '^setv va02 addr va01 |^rtyp va02 ' <<<"$script" | sed 's/[[:space:]]*$//')
[ "$rooms" = "${expected_rooms%$'\n'}" ] \
    || fail "the saved rooms are not the planned ones; saved:
$rooms
planned:
$expected_rooms"
doors=$(awk '$1 == "door" { print ($2 < $3 ? $2 " " $3 : $3 " " $2), $4 }' <<<"$script" | sort)
[ "$doors" = "$planned_doors" ] \
    || fail "the saved door lines are not the planned ones; saved:
$doors
planned:
$planned_doors"
escaped_music=${music//\\/\\\\}
grep -qxF "mmsc 320 256 \"$escaped_music\"" <<<"$script" \
    || fail "the saved script has no metaroom music \"$escaped_music\" at the middle of the metaroom: $(grep '^mmsc' <<<"$script")"

# --- Nothing is left unsaved: File > Quit ends the program without a question ----------------
xdotool windowactivate --sync "$main" 2>/dev/null
key alt+f
wait_until 10 menu_open || fail "Alt+F opened no menu before quitting"
key q
if ! wait_until 60 app_ended; then
    describe_program
    fail "File > Quit after Save All did not end the program: \"$(xdotool getwindowname "$(menu_window)" 2>/dev/null)\" is open"
fi
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status after File > Quit"

say "passed: the house in $actions actions"
