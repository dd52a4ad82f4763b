#!/usr/bin/env bash
# Starts the real program on an X display of its own, drives a short session with the
# keyboard and the mouse as a person would, and saves a screenshot of each step: the
# menus, the toolbox docked at start and floated by a double click on its title bar, a
# picture imported by File > Import Bitmap, rooms added with the toolbox's
# "Add Room", moved and reshaped by their handle boxes, a reshape undone with Ctrl+Z and
# redone, the toolbox's two pages; at 50 % a room dragged by its middle and by a wall's box;
# the window made bigger and View > Fit Picture showing the whole picture, with more rooms
# placed on it; a wall snapped onto its neighbour's, door lines made with the toolbox (one
# on the shared edge, one between rooms that share none, drawn red), View > Room Types, and
# a click on the Problems list's finding selecting its room; closing with unsaved work asks
# first, and Cancel keeps the window; File > Quit saves through the question, and the saved
# script holds the snapped room and the two door lines. The whole map's screenshot and the
# game rules' one, cropped to the main window, are also saved as whole-map.png and
# game-rules.png.
#
#   gui-smoke.sh PROGRAM SCREENSHOT_FOLDER WM_CLOSE
#
# WM_CLOSE is a program that closes a window (by its id) as a window manager's close button
# does. Fails, with a line saying what was missing, when a window does not appear, is out of
# place, a step shows no effect on screen, or the program does not end by itself with
# status 0 after File > Quit.
set -uo pipefail

usage="usage: gui-smoke.sh PROGRAM SCREENSHOT_FOLDER WM_CLOSE"
program=${1:?$usage}
shots=${2:?$usage}
wm_close=${3:?$usage}

test_name=gui-smoke
source "$(dirname "$0")/gui-support.sh"

need_tools Xvfb xdotool xwininfo xprop import convert compare
[ -x "$program" ] || fail "no program at $program"
[ -x "$wm_close" ] || fail "no program at $wm_close"

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

step=0
screenshot() {
    step=$((step + 1))
    local file
    file=$(printf '%s/%02d-%s.png' "$shots" "$step" "$1")
    import -window root "$file" 2>>"$work/import.log" || fail "could not take screenshot $file"
    say "screenshot $file"
    shot=$file
}

# --- An X server of our own, on whichever display number is free ---------------------
mkdir -p "$shots" || fail "cannot create $shots"
rm -f "$shots"/[0-9][0-9]-*.png
start_x_server
use_own_settings

# --- Helpers on the program's windows -------------------------------------------------
# A visible popup of the program (a menu): any window but the main window and the toolbox.
menu_window() { visible_windows | grep -vx -e "$main" -e "$toolbox" | head -n 1 | grep .; }
menu_open() { menu_window >/dev/null; }
menu_closed() { ! menu_open; }

# --- A picture to import: a metaroom of 16 x 8 blocks, sky over hills with tunnels, a cave
# and a house, and a band of rock along the bottom; no pure blue or lime in it -------------
picture="$work/hills.bmp"
picture_width=2048
picture_height=1024
ground='#6b4f32'
rock='#5a284a'   # the band along the bottom, 64 pixels high, only there
convert -size ${picture_width}x${picture_height} gradient:'#35506e-#b9c9c4' \
    -fill '#5d6b4a' -draw 'polygon 0,560 300,470 640,540 1000,450 1400,520 1800,440 2048,500 2048,700 0,700' \
    -fill "$ground" -draw 'polygon 0,330 200,300 420,360 640,400 820,560 1120,650 1400,620 1720,670 2048,630 2048,1024 0,1024' \
    -fill '#4a3522' -draw 'polygon 0,840 400,810 840,850 1200,820 1600,860 2048,830 2048,1024 0,1024' \
    -fill '#1e1812' -draw 'rectangle 200,690 900,790' -draw 'rectangle 860,600 910,790' \
    -draw 'rectangle 1150,870 1850,950' \
    -fill '#7a7468' -draw 'polygon 1280,600 1280,380 1500,280 1720,380 1720,600' \
    -fill '#50493f' -draw 'rectangle 1320,400 1680,590' \
    -fill "$rock" -draw "rectangle 0,960 $((picture_width - 1)),$((picture_height - 1))" \
    -type TrueColor "BMP3:$picture" 2>"$work/convert.log" \
    || fail "could not write the picture to import: $(cat "$work/convert.log")"

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

# --- The main window with the toolbox docked on its right; floated for the session -----
if ! wait_until 15 has_window_named Palisandre; then
    app_running || fail "the program ended after the splash"
    fail "the main window \"Palisandre\" is not on screen"
fi
main=$(window_named Palisandre)
read -r mx my mw mh <<<"$(geometry "$main")"
main_area="${mw}x${mh}+${mx}+${my}"
has_window_named Toolbox && fail "the toolbox is a window of its own at start, not docked in the main window"
screenshot main-window
# Its title bar stands at the top of the right side, under the menu bar: a double click
# there floats it, as a window of its own that the session then moves out of the way.
xdotool mousemove --sync $((mx + mw - 120)) $((my + 29)) click --repeat 2 --delay 80 1
wait_until 10 has_window_named Toolbox || fail "a double click on the toolbox's title bar did not float it"
toolbox=$(window_named Toolbox)
# The places below are the toolbox's pages' (226 x 247), inside the floating dock's own
# title bar and frame.
toolbox_pages() {
    read -r tx ty tw th <<<"$(geometry "$toolbox")"
    toolbox_area="${tw}x${th}+${tx}+${ty}"
    local frame=$(((tw - 226) / 2))
    tx=$((tx + frame)) ty=$((ty + th - 247 - frame))
}
toolbox_pages
say "main window ${mw}x${mh} at $mx,$my; floating toolbox $toolbox_area, its pages at $tx,$ty"

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

# --- A picture: File > Import Bitmap, the path typed into the file dialog -------------
xdotool windowfocus --sync "$main" || fail "could not give the main window the keyboard"
xdotool key --clearmodifiers alt+f
wait_until 10 menu_open || fail "Alt+F opened no menu"
xdotool key i
wait_until 10 has_window_named Open || fail "File > Import Bitmap showed no file dialog \"Open\""
dialog=$(window_named Open)
type_path "$dialog" "$picture"
screenshot import-dialog
xdotool key Return
dialog_closed() { ! has_window_named Open; }
if ! wait_until 15 dialog_closed; then
    # A slow build (the sanitizers) can lose keys to the name completion list while it
    # opens: the path typed again, into a field with the list gone, reaches the dialog.
    say "the file dialog is still open: the path typed again"
    xdotool windowfocus --sync "$dialog" || fail "could not give the file dialog the keyboard"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 60 "$picture"
    sleep 1
    xdotool key Return
    wait_until 30 dialog_closed || fail "Enter did not close the file dialog"
fi
picture_shown() { probe && [ "$(pixels_of "$work/probe.png" "$ground" "$main_area")" -gt 1000 ]; }
wait_until 10 picture_shown || fail "File > Import Bitmap showed no picture in the main window"
leftovers=$(visible_windows | grep -vx -e "$main" -e "$toolbox")
[ -z "$leftovers" ] || fail "a window of the file dialog stayed on screen: \"$(xdotool getwindowname "$leftovers")\""
# The picture is in no background file yet: the title marks the map unsaved.
title=$(xdotool getwindowname "$main")
[ "$title" = "Palisandre*" ] || fail "with an imported picture the main window's title is \"$title\", not \"Palisandre*\""
screenshot picture

# --- Rooms: added with the toolbox's "Add Room", moved and reshaped by the mouse ------
# Places on the toolbox, from its client area's top-left: the middle of "Add Room" on the
# first page (at 0, 164 on a page that starts 2, 25 into the window), and of the second tab.
add_room() { xdotool mousemove --sync $((tx + 39)) $((ty + 201)) click 1; }
sub_room_tab() { xdotool mousemove --sync $((tx + 110)) $((ty + 12)) click 1; }
# The selected room's handle boxes (blue, the one under the mouse lime) touch the edges of
# its control, so the box around them is the room's control: waits until it is the
# expected "width height x y" on the screen.
seen=""
handles_at() {
    probe || return 1
    seen=$(handle_bounds "$work/probe.png")
    [ "$seen" = "$1" ]
}
expect_handles() {
    local expected=$1 what=$2
    wait_until 10 handles_at "$expected" \
        || fail "$what: the selected room's handle boxes span \"${seen:-nothing}\" (width height x y), not \"$expected\""
}

add_room
first_room() { probe && seen=$(handle_bounds "$work/probe.png") && [[ $seen == "100 100 "* ]]; }
if ! wait_until 10 first_room; then
    [ -n "$seen" ] || fail "\"Add Room\" showed no selected room with handle boxes over the picture"
    fail "the new room's handle boxes span \"$seen\" (width height x y), not 100 x 100 pixels"
fi
read -r _ _ ox oy <<<"$seen"
say "a new room's control at $ox,$oy: the middle of the view"
[ "$(pixels_of "$work/probe.png" '#ff00ff' "102x102+$((ox - 1))+$((oy - 1))")" -gt 300 ] \
    || fail "the new room has no fuchsia outline"
screenshot room-added

# Pressing inside a selected room, away from its boxes, moves the whole room.
drag $((ox + 50)) $((oy + 50)) $((ox - 190)) $((oy - 30))
expect_handles "100 100 $((ox - 240)) $((oy - 80))" "after dragging the room by its middle"
screenshot room-moved

add_room
expect_handles "100 100 $ox $oy" "after a second \"Add Room\""
# The first room, no longer selected, keeps a white outline and no boxes.
[ "$(pixels_of "$work/probe.png" '#ffffff' "100x100+$((ox - 240))+$((oy - 80))")" -gt 300 ] \
    || fail "the room that lost the selection has no white outline"
screenshot second-room

# The box in the middle of the right wall turns lime under the mouse.
xdotool mousemove --sync $((ox + 97)) $((oy + 49))
hot_box() { probe && [ "$(colour_bounds "$work/probe.png" '#00ff00')" = "5 5 $((ox + 95)) $((oy + 47))" ]; }
wait_until 10 hot_box || fail "the handle box under the mouse did not turn lime"
screenshot handle-under-mouse
# The wall keeps its place under the mouse: the left wall goes 60 pixels left (the right
# one would go under the toolbox)...
drag $((ox + 2)) $((oy + 49)) $((ox - 58)) $((oy + 49))
expect_handles "160 100 $((ox - 60)) $oy" "after dragging the left wall's box"
# ...and the bottom-right corner 80 pixels down.
drag $((ox + 97)) $((oy + 97)) $((ox + 97)) $((oy + 177))
expect_handles "160 180 $((ox - 60)) $oy" "after dragging the bottom-right box"
screenshot rooms

# --- Ctrl+Z takes back the last edit, the whole drag of the corner, and nothing else ---
xdotool windowfocus --sync "$main" || fail "could not give the main window the keyboard"
xdotool key --clearmodifiers ctrl+z
expect_handles "160 100 $((ox - 60)) $oy" "after Ctrl+Z"
[ "$(pixels_of "$work/probe.png" '#ffffff' "100x100+$((ox - 240))+$((oy - 80))")" -gt 300 ] \
    || fail "Ctrl+Z moved the other room"
screenshot undone
xdotool key --clearmodifiers ctrl+shift+z
expect_handles "160 180 $((ox - 60)) $oy" "after Ctrl+Shift+Z"

# --- The toolbox's second page shows the selected room --------------------------------
cp "$shot" "$work/meta-page.png"
sub_room_tab
page_switched() { probe && [ "$(changed_pixels "$work/meta-page.png" "$work/probe.png" "$toolbox_area")" -gt 1000 ]; }
wait_until 10 page_switched || fail "clicking the toolbox's \"Sub room\" tab changed nothing in the toolbox"
screenshot sub-room-page

# --- At 50 %: a room dragged by its middle and by a wall's box lands at half scale -------
# The selected room is 160 x 180 in the middle of the view. Two Ctrl+- take 100 % to 50 %.
xdotool windowfocus --sync "$main" || fail "could not give the main window the keyboard"
probe && full=$(colour_bounds "$work/probe.png" '#ff00ff')
read -r fw fh _ _ <<<"$full"
xdotool key --clearmodifiers ctrl+minus
xdotool key --clearmodifiers ctrl+minus
outline_is() {
    probe || return 1
    seen=$(colour_bounds "$work/probe.png" '#ff00ff')
    local w h
    read -r w h _ _ <<<"$seen"
    [ -n "$seen" ] && [ "$w" -eq "$1" ] && [ "$h" -eq "$2" ]
}
# An outline from x0 to x0 + w - 1 at 100 % spans w / 2 + 1 rounded down at 50 % when x0
# is even, one less or more when it is odd.
half_w=$(((fw - 1) / 2 + 1)) half_h=$(((fh - 1) / 2 + 1))
outline_halved() {
    probe || return 1
    seen=$(colour_bounds "$work/probe.png" '#ff00ff')
    local w h
    read -r w h _ _ <<<"$seen"
    [ -n "$seen" ] && [ $((w - half_w)) -ge -1 ] && [ $((w - half_w)) -le 1 ] \
        && [ $((h - half_h)) -ge -1 ] && [ $((h - half_h)) -le 1 ]
}
wait_until 10 outline_halved \
    || fail "after Ctrl+- twice the selected room's outline spans \"${seen:-nothing}\" (width height x y), not $half_w x $half_h: not 50 % of the $fw x $fh at 100 %"
read -r half_w half_h hx hy <<<"$seen"
say "at 50 %: the selected room's outline at $hx,$hy"
screenshot half-size
# 150 x 60 screen pixels at 50 % move the room by 300 x 120 picture pixels (short of the
# toolbox)...
drag $((hx + 40)) $((hy + 45)) $((hx + 190)) $((hy + 105))
# At 50 % a side may span a pixel more or less as the room's place shifts its rounding.
outline_at() {
    probe || return 1
    seen=$(colour_bounds "$work/probe.png" '#ff00ff')
    local w h x y
    read -r w h x y <<<"$seen"
    [ -n "$seen" ] && [ $((w - $1)) -ge -1 ] && [ $((w - $1)) -le 1 ] && [ $((h - $2)) -ge -1 ] \
        && [ $((h - $2)) -le 1 ] && [ "$x" -eq "$3" ] && [ "$y" -eq "$4" ]
}
wait_until 10 outline_at "$half_w" "$half_h" $((hx + 150)) $((hy + 60)) \
    || fail "after a drag of 150,60 at 50 % the outline spans \"$seen\", not \"$half_w $half_h $((hx + 150)) $((hy + 60))\""
# ...and 40 screen pixels of the right wall's box widen it by 80 picture pixels.
# (The boxes sit on the corners, the right wall's on its middle pixel.)
wall_x=$((hx + 150 + half_w - 1)) wall_y=$((hy + 60 + half_h / 2))
drag "$wall_x" "$wall_y" $((wall_x + 40)) "$wall_y"
wait_until 10 outline_at $((half_w + 40)) "$half_h" $((hx + 150)) $((hy + 60)) \
    || fail "after dragging the right wall's box by 40 at 50 % the outline spans \"$seen\", not \"$((half_w + 40)) $half_h $((hx + 150)) $((hy + 60))\""
screenshot half-size-dragged

# --- A bigger window, then View > Fit Picture: the whole picture in the view -------------
# The toolbox goes below the window, out of the map's way.
xdotool windowmove --sync "$main" 0 0 windowsize --sync "$main" 1200 740 || fail "could not resize the main window"
read -r mx my mw mh <<<"$(geometry "$main")"
main_area="${mw}x${mh}+${mx}+${my}"
[ "$mw" -eq 1200 ] && [ "$mh" -eq 740 ] || fail "the main window is ${mw}x${mh} after a resize to 1200x740"
xdotool windowmove --sync "$toolbox" "$mx" $((my + mh + 10)) || fail "could not move the toolbox"
toolbox_pages
xdotool windowfocus --sync "$main" || fail "could not give the main window the keyboard"
xdotool key --clearmodifiers alt+v
wait_until 10 menu_open || fail "Alt+V opened no menu"
xdotool key f
# The band of rock along the picture's bottom, whole, gives the zoom and where the picture is.
rock_seen=""
whole_picture() {
    probe || return 1
    rock_seen=$(colour_bounds "$work/probe.png" "$rock")
    [ -n "$rock_seen" ] || return 1
    local w h x y
    read -r w h x y <<<"$rock_seen"
    # The band's width over the picture's, its height over 64: the same zoom when it is whole.
    [ $((w * 64 * 100 / (h * picture_width))) -ge 90 ] && [ $((w * 64 * 100 / (h * picture_width))) -le 110 ] \
        && [ $((y + h - w * picture_height / picture_width)) -ge "$my" ] && [ "$w" -ge $((mw - 20)) ]
}
wait_until 10 whole_picture \
    || fail "View > Fit Picture: the rock band along the picture's bottom spans \"$rock_seen\" (width height x y), not the whole picture's width in the window"
read -r zw zh zx zy <<<"$rock_seen"
# Screen point of a picture point at this zoom.
fit_x() { echo $((zx + $1 * zw / picture_width)); }
fit_y() { echo $((zy + zh - (picture_height - $1) * zw / picture_width)); }
say "fit: the picture ${zw} pixels wide at $zx,$(fit_y 0)"
screenshot fit-picture

# --- More rooms, placed and shaped at fit -------------------------------------------------
meta_room_tab() { xdotool mousemove --sync $((tx + 40)) $((ty + 12)) click 1; }
meta_room_tab
# A new room (100 x 100) put at X,Y by the map's menu ("Add Room" at the mouse) and
# widened to W.
place_room() {
    local x=$1 y=$2 w=$3
    xdotool mousemove --sync "$(fit_x $((x + 49)))" "$(fit_y $((y + 49)))" click 3
    wait_until 10 menu_open || fail "a right click on the map opened no menu"
    xdotool key Down Return
    wait_until 10 menu_closed || fail "Return did not close the map's menu"
    sleep 0.5
    drag "$(fit_x $((x + 99)))" "$(fit_y $((y + 49)))" "$(fit_x $((x + w - 1)))" "$(fit_y $((y + 49)))"
    sleep 0.3
}
place_room 220 690 320
place_room 560 690 300
place_room 1180 850 640
place_room 1340 490 300
rooms_placed() { probe && [ "$(pixels_of "$work/probe.png" '#ffffff' "$main_area")" -gt 600 ]; }
wait_until 10 rooms_placed || fail "the rooms placed at fit show no white outlines"
screenshot whole-map
convert "$shot" -crop "$main_area" +repage "$shots/whole-map.png" 2>>"$work/convert.log" \
    || fail "could not crop the whole map's screenshot"

# --- The game's rules on the map ---------------------------------------------------------
# Rooms made by place_room: A (x 221..537) and B (561..856) at y 693..788, C (1180..1815,
# 852..947) and D (1341..1636, 493..588), give or take the pixel the mouse lands on at fit. Middles of rooms on the screen:
middle_of() { echo "$(fit_x "$1") $(fit_y "$2")"; }
click_at() { xdotool mousemove --sync "$1" "$2" click 1; sleep 0.3; }
read -r ax ay <<<"$(middle_of 380 739)"
read -r bx by <<<"$(middle_of 710 739)"
read -r cx cy <<<"$(middle_of 1500 899)"
read -r dx dy <<<"$(middle_of 1490 539)"
# Pixels of the shared edges' colour and of the refused doors' red in an area of the map.
edge_colour='#ffbe00'
door_red='#ff0000'
around() { echo "$(($3 * 2 + 1))x$(($4 * 2 + 1))+$(($1 - $3))+$(($2 - $4))"; }

# B's left wall dragged to 4 picture pixels from A's right wall snaps onto it: the game's
# door along it is drawn in its colour.
click_at "$bx" "$by"
wall_y=$(fit_y 739)
drag "$(fit_x 562)" "$wall_y" $(($(fit_x 562) - 11)) "$wall_y"
edge_area=$(around "$(fit_x 537)" "$wall_y" 3 20)
edge_drawn() { probe && [ "$(pixels_of "$work/probe.png" "$edge_colour" "$edge_area")" -gt 20 ]; }
wait_until 10 edge_drawn \
    || fail "B's left wall dragged next to A's right wall shows no shared edge at x $(fit_x 537) (did it snap?)"
screenshot wall-snapped

# Door lines made with the toolbox: Add with a permeability, then a click on the other room.
sub_room_tab
sleep 0.3
add_door() {
    local from_x=$1 from_y=$2 to_x=$3 to_y=$4 perm=$5
    click_at "$from_x" "$from_y"
    click_at $((tx + 90)) $((ty + 155))
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 "$perm"
    click_at $((tx + 126)) $((ty + 155))
    click_at "$to_x" "$to_y"
}
# A to B, on their shared edge: its permeability is written at the edge's middle.
probe && cp "$work/probe.png" "$work/before-door.png"
add_door "$ax" "$ay" "$bx" "$by" 70
label_area=$(around "$(fit_x 537)" "$wall_y" 16 9)
label_drawn() { probe && [ "$(changed_pixels "$work/before-door.png" "$work/probe.png" "$label_area")" -gt 20 ]; }
wait_until 10 label_drawn || fail "the door line from A to B shows no permeability on their shared edge"
# D to C, rooms that share no edge: a red line between them, which the game refuses.
add_door "$dx" "$dy" "$cx" "$cy" 40
red_line() { probe && [ "$(pixels_of "$work/probe.png" "$door_red" "$main_area")" -gt 20 ]; }
wait_until 10 red_line || fail "the door line between D and C, which share no edge, is not drawn in red"

# Room types: A fresh water (8), C normal soil (5), typed into the toolbox; then View >
# Room Types, the seventh item of the View menu, fills the rooms by type.
set_type() {
    click_at "$1" "$2"
    click_at $((tx + 190)) $((ty + 203))
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 "$3"
    xdotool key Tab
    sleep 0.3
}
set_type "$ax" "$ay" 8
set_type "$cx" "$cy" 5
probe && cp "$work/probe.png" "$work/before-types.png"
xdotool windowfocus --sync "$main" || fail "could not give the main window the keyboard"
xdotool key --clearmodifiers alt+v
wait_until 10 menu_open || fail "Alt+V opened no menu"
xdotool key Down Down Down Down Down Down Return
wait_until 10 menu_closed || fail "the View menu stayed open"
types_area=$(around "$ax" "$((ay + 10))" 40 10)
filled() { probe && [ "$(changed_pixels "$work/before-types.png" "$work/probe.png" "$types_area")" -gt 500 ]; }
wait_until 10 filled || fail "View > Room Types did not fill room A"

# The Problems list has the refused door first; a click on it selects its first room, C,
# away from B, selected now.
click_at "$bx" "$by"
problems_row_y=$((my + mh - 66))
click_at $((mx + 200)) "$problems_row_y"
c_selected() {
    probe || return 1
    seen=$(handle_bounds "$work/probe.png")
    local w h x y
    read -r w h x y <<<"$seen"
    [ -n "$seen" ] && [ $((x + w / 2 - cx)) -ge -3 ] && [ $((x + w / 2 - cx)) -le 3 ] \
        && [ $((y + h / 2 - cy)) -ge -3 ] && [ $((y + h / 2 - cy)) -le 3 ]
}
wait_until 10 c_selected \
    || fail "a click on the Problems list's first finding did not select room C (handles span \"${seen:-nothing}\", C's middle is at $cx,$cy)"
screenshot game-rules
convert "$shot" -crop "$main_area" +repage "$shots/game-rules.png" 2>>"$work/convert.log" \
    || fail "could not crop the game rules' screenshot"

# --- Closing with unsaved work asks first; Cancel keeps the window ---------------------
question_title="Palisandre - palisandre.example.org"
question_shown() { has_window_named "$question_title"; }
question_gone() { ! question_shown; }
"$wm_close" "$main" || fail "could not ask the main window to close"
wait_until 10 question_shown || fail "closing the main window with unsaved work asked nothing"
screenshot close-asks
xdotool windowfocus --sync "$(window_named "$question_title")" || fail "could not give the question the keyboard"
xdotool key Escape
wait_until 10 question_gone || fail "Escape (Cancel) did not close the question"
sleep 0.5
app_running || fail "the program ended after Cancel to the question"
visible_windows | grep -qx "$main" || fail "the main window went after Cancel to the question"
screenshot close-cancelled

# --- File > Quit by accelerators, saving through the question --------------------------
# Enter takes the question's default, Save: the picture and the rooms have no file yet,
# so a name is asked for each.
saved="$work/saved"
mkdir "$saved"
save_as() {
    wait_until 10 has_window_named "Save As" || fail "Save asked no name for the $1 (no \"Save As\" dialog)"
    local dialog
    dialog=$(window_named "Save As")
    type_path "$dialog" "$2"
    xdotool key Return
    dialog_gone() { ! visible_windows | grep -qx "$dialog"; }
    wait_until 30 dialog_gone || fail "Enter did not close the save dialog of the $1"
}
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key --clearmodifiers alt+f
wait_until 10 menu_open || fail "Alt+F opened no menu before quitting"
xdotool key q
wait_until 10 question_shown || fail "File > Quit with unsaved work asked nothing"
xdotool windowfocus --sync "$(window_named "$question_title")" || fail "could not give the question the keyboard"
xdotool key Return
save_as picture "$saved/hills.blk"
save_as "room script" "$saved/hills.cos"
saved_at=$(date +%s%N)
# A sanitized build checks the whole heap for leaks as it ends, which is slow on a busy machine.
if ! wait_until 60 app_ended; then
    screenshot not-ended
    describe_program
    fail "the program did not end within 60 s of File > Quit and Save"
fi
say "the program ended $((($(date +%s%N) - saved_at) / 1000000)) ms after the last save dialog closed"
status=0
wait "$app_pid" || status=$?
app_pid=""
screenshot ended
[ "$status" -eq 0 ] || fail "the program ended with status $status after File > Quit"
# 16 x 8 blocks of 128 x 128 16-bit pixels, after a 10-byte header and an 8-byte index record each.
size=$(stat -c %s "$saved/hills.blk" 2>/dev/null)
[ "$size" = $((10 + 128 * (8 + 32768))) ] || fail "the saved background file has ${size:-no} bytes, not those of 16 x 8 blocks"
rooms=$(grep -c ' addr ' "$saved/hills.cos" 2>/dev/null)
[ "$rooms" = 6 ] || fail "the saved room script holds ${rooms:-no} rooms, not 6"
# The room dragged at 50 %: added at the middle of the 640 x 480 window's view (264..359 x
# 115..210), its left wall 60 to the left and its bottom-right corner 80 down, then moved by
# 300,120 and widened by 80.
grep -q ' addr va01 504 739 235 235 330 410[[:space:]]*$' "$saved/hills.cos" \
    || fail "the saved room script has no room at 504..739 x 235..410, where the drags at 50 % put it: $(grep ' addr ' "$saved/hills.cos" | head -n 3)"
# B snapped to A, and the two door lines made on the map.
grep -q ' addr va01 537 856 693 693 788 788[[:space:]]*$' "$saved/hills.cos" \
    || fail "the saved room script has no room B at 537..856, where the snap put it: $(grep ' addr ' "$saved/hills.cos")"
doors=$(grep -c '^door ' "$saved/hills.cos")
[ "$doors" = 2 ] || fail "the saved room script holds ${doors:-no} door lines, not 2"

say "passed: $step screenshots in $shots"
